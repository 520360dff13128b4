// The rich-text editors and the format panel's fourteen tools working on them.
#include "framework/controls/db_controls.h"
#include "framework/controls/format_panel.h"
#include "qt/adapters.h"
#include "qt/form_view.h"
#include "qt/qt_support.h"

#include <QColorDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>
#include <QToolButton>

namespace oca::qt {

namespace {

/// The model keeps the text as HTML. A person's change (typing, a format tool) sends
/// the whole document; a change from the model replaces the document unless it is
/// the text the editor just sent.
class RichEditAdapter : public Adapter {
public:
    RichEditAdapter(FormView& view, TDBRichEdit& edit, QWidget* parent)
        : Adapter(view, edit, new QTextEdit(parent)) {
        Editor()->setAcceptRichText(true);
        Editor()->setTabChangesFocus(true);
        QObject::connect(Editor(), &QTextEdit::textChanged, Editor(), [this] { Edited(); });
    }
    QTextEdit* Editor() const { return static_cast<QTextEdit*>(Widget()); }

    void Sync(TProperty property) override {
        Adapter::Sync(property);
        if (!Control()) {
            return;
        }
        auto& edit = static_cast<TDBRichEdit&>(*Control());
        // While a keystroke is on its way to the model, the model's echoes (a record
        // put into edit shows its field first) must not rewrite what the person types.
        if ((property == TProperty::All || property == TProperty::Text ||
             property == TProperty::DataSource) &&
            !typing_ && edit.RichText() != sent_) {
            Show(edit.RichText());
        }
        if (property == TProperty::All || property == TProperty::ReadOnly) {
            Editor()->setReadOnly(edit.ReadOnly());
        }
    }

private:
    // Replaces the document, keeping the caret and the selection where they were.
    void Show(const std::string& rich) {
        QTextCursor cursor = Editor()->textCursor();
        const int anchor = cursor.anchor();
        const int position = cursor.position();
        const QString text = Q(rich);
        syncing_ = true;
        if (Qt::mightBeRichText(text)) {
            Editor()->setHtml(text);
        } else {
            Editor()->setPlainText(text);
        }
        syncing_ = false;
        sent_ = rich;
        const int last = std::max(0, Editor()->document()->characterCount() - 1);
        QTextCursor restored(Editor()->document());
        restored.setPosition(std::min(anchor, last));
        restored.setPosition(std::min(position, last), QTextCursor::KeepAnchor);
        Editor()->setTextCursor(restored);
    }

    void Edited() {
        auto* edit = static_cast<TDBRichEdit*>(Control());
        if (syncing_ || !edit) {
            return;
        }
        const std::string html = S(Editor()->toHtml());
        bool taken = false;
        typing_ = true;
        View().Act([&] { taken = edit->UserType(html); });
        typing_ = false;
        if (!Control()) {
            return;
        }
        if (taken && edit->RichText() == html) {
            sent_ = html;
            return;
        }
        Show(edit->RichText()); // refused or changed by the model: its text comes back
    }

    std::string sent_;
    bool syncing_ = false;
    bool typing_ = false;
};

/// The panel: its tools in one row, grouped as the editor's commands are.
class FormatPanelAdapter : public Adapter {
public:
    FormatPanelAdapter(FormView& view, TFormatPanel& panel, QWidget* parent)
        : Adapter(view, panel, new QWidget(parent)) {}

    void Finish() override {
        auto& panel = static_cast<TFormatPanel&>(*Control());
        const int side = View().Scale(26);
        int left = View().Scale(4);
        for (size_t i = 0; i < TFormatPanel::kToolCount; ++i) {
            const auto tool = static_cast<TFormatTool>(i);
            if (tool == ftFont || tool == ftBold || tool == ftAlignLeft || tool == ftBullets) {
                left += View().Scale(8); // a gap between groups
            }
            if (QWidget* button = View().WidgetOf(panel.Tool(tool))) {
                button->setGeometry(left, View().Scale(2), side, side);
                if (auto* tool = qobject_cast<QToolButton*>(button)) {
                    tool->setIconSize(QSize(side - 8, side - 8));
                }
            }
            left += side;
        }
    }
};

QTextEdit* EditorOf(FormView& view, TFormatPanel& panel) {
    return qobject_cast<QTextEdit*>(view.WidgetOf(panel.Editor()));
}

void ToggleCharFormat(QTextEdit& editor, const std::function<void(QTextCharFormat&)>& change) {
    QTextCharFormat format;
    change(format);
    editor.mergeCurrentCharFormat(format);
}

} // namespace

void ApplyFormatTool(FormView& view, TFormatPanel& panel, int tool) {
    QTextEdit* editor = EditorOf(view, panel);
    if (!editor || editor->isReadOnly() || !editor->isEnabled()) {
        return;
    }
    const QTextCharFormat current = editor->currentCharFormat();
    switch (static_cast<TFormatTool>(tool)) {
    case ftCut:
        editor->cut();
        break;
    case ftCopy:
        editor->copy();
        break;
    case ftPaste:
        editor->paste();
        break;
    case ftUndo:
        editor->undo();
        break;
    case ftFont: {
        bool ok = false;
        const QFont font =
            QFontDialog::getFont(&ok, current.font(), editor, QStringLiteral("Fonte"));
        if (ok) {
            ToggleCharFormat(*editor, [&](QTextCharFormat& f) { f.setFont(font); });
        }
        break;
    }
    case ftSize: {
        bool ok = false;
        const double size = QInputDialog::getInt(
            editor, QStringLiteral("Tamanho"), QStringLiteral("Tamanho da fonte:"),
            static_cast<int>(current.fontPointSize() > 0 ? current.fontPointSize() : 10), 6, 72, 1,
            &ok);
        if (ok) {
            ToggleCharFormat(*editor, [&](QTextCharFormat& f) { f.setFontPointSize(size); });
        }
        break;
    }
    case ftBold:
        ToggleCharFormat(*editor, [&](QTextCharFormat& f) {
            f.setFontWeight(current.fontWeight() > QFont::Normal ? QFont::Normal : QFont::Bold);
        });
        break;
    case ftItalic:
        ToggleCharFormat(*editor,
                         [&](QTextCharFormat& f) { f.setFontItalic(!current.fontItalic()); });
        break;
    case ftUnderline:
        ToggleCharFormat(*editor,
                         [&](QTextCharFormat& f) { f.setFontUnderline(!current.fontUnderline()); });
        break;
    case ftAlignLeft:
        editor->setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
        break;
    case ftAlignCenter:
        editor->setAlignment(Qt::AlignHCenter);
        break;
    case ftAlignRight:
        editor->setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
        break;
    case ftBullets: {
        QTextCursor cursor = editor->textCursor();
        if (QTextList* list = cursor.currentList()) {
            QTextBlockFormat block = cursor.blockFormat();
            list->remove(cursor.block());
            block.setIndent(0);
            cursor.setBlockFormat(block);
        } else {
            cursor.createList(QTextListFormat::ListDisc);
        }
        break;
    }
    case ftColor: {
        const QColor color =
            QColorDialog::getColor(current.foreground().color(), editor, QStringLiteral("Cores"));
        if (color.isValid()) {
            ToggleCharFormat(*editor, [&](QTextCharFormat& f) { f.setForeground(color); });
        }
        break;
    }
    }
}

std::unique_ptr<Adapter> MakeRichAdapter(FormView& view, TControl& control, QWidget* parent) {
    if (auto* edit = dynamic_cast<TDBRichEdit*>(&control)) {
        return std::make_unique<RichEditAdapter>(view, *edit, parent);
    }
    if (auto* panel = dynamic_cast<TFormatPanel*>(&control)) {
        return std::make_unique<FormatPanelAdapter>(view, *panel, parent);
    }
    return nullptr;
}

} // namespace oca::qt
