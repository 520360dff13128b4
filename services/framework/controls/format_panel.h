#pragma once

#include "framework/controls/std_controls.h"

#include <array>

class TDBRichEdit;

/// The tools of a rich-text editor, in the order the panel shows them.
enum TFormatTool {
    ftCut,
    ftCopy,
    ftPaste,
    ftUndo,
    ftFont,
    ftSize,
    ftBold,
    ftItalic,
    ftUnderline,
    ftAlignLeft,
    ftAlignCenter,
    ftAlignRight,
    ftBullets,
    ftColor
};

/// A bar of fourteen formatting tools over a rich-text editor. The tools are buttons
/// owned by the panel; what each does to the text is the renderer's (it owns the
/// selection and the clipboard).
class TFormatPanel : public TPanel {
public:
    static constexpr size_t kToolCount = 14;

    explicit TFormatPanel(TComponent* Owner = nullptr);
    TSpeedButton* Tool(TFormatTool tool) const { return tools_[tool]; }
    TDBRichEdit* Editor() const { return editor_; }
    void SetEditor(TDBRichEdit* editor) { editor_ = editor; }

private:
    std::array<TSpeedButton*, kToolCount> tools_{};
    TDBRichEdit* editor_ = nullptr;
};
