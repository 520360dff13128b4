#include "qt/adapter.h"

#include "framework/controls/control.h"
#include "qt/form_view.h"
#include "qt/qt_support.h"

namespace oca::qt {

Adapter::Adapter(FormView& view, TControl& control, QWidget* widget)
    : view_(view), control_(&control), widget_(widget) {
    widget->setObjectName(Q(control.Name()));
    observer_ = control.AddObserver([this](TControl&, TProperty property) {
        if (property == TProperty::Destroyed) {
            ControlGone();
        } else if (widget_) {
            Sync(property);
        }
    });
}

Adapter::~Adapter() {
    if (control_) {
        control_->RemoveObserver(observer_);
    }
}

void Adapter::ControlGone() {
    if (!control_) {
        return;
    }
    control_->RemoveObserver(observer_);
    control_ = nullptr;
    if (widget_) {
        widget_->hide();
    }
    view_.ControlGone(*this);
}

void Adapter::Sync(TProperty property) {
    if (!control_ || !widget_) {
        return;
    }
    const bool all = property == TProperty::All;
    if (all || property == TProperty::Bounds) {
        SyncBounds();
    }
    if (all || property == TProperty::Enabled) {
        widget_->setEnabled(control_->Enabled());
    }
    if (all || property == TProperty::Visible) {
        widget_->setVisible(control_->Visible());
    }
    if (all || property == TProperty::Hint) {
        widget_->setToolTip(Q(control_->Hint()));
    }
    if (all || property == TProperty::Caption) {
        SyncCaption();
    }
    if (all || property == TProperty::Color) {
        SyncColor();
    }
}

void Adapter::SyncBounds() {
    const TControl& c = *control_;
    if (c.Width() > 0 || c.Height() > 0) {
        widget_->setGeometry(view_.Scale(c.Left()), view_.Scale(c.Top()), view_.Scale(c.Width()),
                             view_.Scale(c.Height()));
    }
}

void Adapter::SyncColor() {
    QPalette palette = widget_->palette();
    const QColor color = ToQColor(control_->Color());
    palette.setColor(QPalette::Base, color);
    widget_->setPalette(palette);
}

} // namespace oca::qt
