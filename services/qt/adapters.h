#pragma once

// The adapters of each control kind, for the factory and for each other.
#include "qt/adapter.h"

#include <QPointer>

class QLineEdit;
class QTextEdit;
class QTabWidget;
class TFormatPanel;

namespace oca::qt {

std::unique_ptr<Adapter> MakeBasicAdapter(FormView& view, TControl& control, QWidget* parent);
std::unique_ptr<Adapter> MakeEditAdapter(FormView& view, TControl& control, QWidget* parent);
std::unique_ptr<Adapter> MakeGridAdapter(FormView& view, TControl& control, QWidget* parent);
std::unique_ptr<Adapter> MakeRichAdapter(FormView& view, TControl& control, QWidget* parent);
std::unique_ptr<Adapter> MakePageAdapter(FormView& view, TControl& control, QWidget* parent);
std::unique_ptr<Adapter> MakeChartAdapter(FormView& view, TControl& control, QWidget* parent);

/// The format panel's tools act on the Qt editor of the panel's rich-text editor.
void ApplyFormatTool(FormView& view, TFormatPanel& panel, int tool);

} // namespace oca::qt
