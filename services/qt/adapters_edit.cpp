// One-line edits (plain, masked, data-aware) and the date editors with their calendar.
#include "core/datetime.h"
#include "core/mask.h"
#include "framework/controls/date_edit.h"
#include "framework/controls/db_controls.h"
#include "qt/adapters.h"
#include "qt/form_view.h"
#include "qt/qt_support.h"

#include <QCalendarWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

namespace oca::qt {

namespace {

/// Every keystroke reaches the model as the whole new text, so the model's OnChange
/// runs per key and its refusals (browse data set that will not edit, read-only) put
/// the old text back at once.
class EditAdapter : public Adapter {
public:
    EditAdapter(FormView& view, TCustomEdit& edit, QWidget* widget, QLineEdit* line)
        : Adapter(view, edit, widget), line_(line) {
        QObject::connect(line_, &QLineEdit::textEdited, line_, [this] { Edited(); });
        line_->installEventFilter(&clicks_);
    }
    QWidget* FocusWidget() const override { return line_; }

    void Sync(TProperty property) override {
        Adapter::Sync(property);
        if (!Control()) {
            return;
        }
        const bool all = property == TProperty::All;
        if (all || property == TProperty::EditMask || property == TProperty::DataSource ||
            property == TProperty::Text) {
            SyncMask();
        }
        if (all || property == TProperty::Text || property == TProperty::EditMask ||
            property == TProperty::DataSource) {
            SyncText();
        }
        if (all || property == TProperty::ReadOnly) {
            line_->setReadOnly(Edit().ReadOnly());
        }
    }

    bool KeyPress(QKeyEvent& event) override {
        auto& edit = Edit();
        if (const std::uint16_t key = VirtualKey(event.key()); key != 0) {
            std::uint16_t left = 0;
            View().Act([&] { left = edit.UserKeyDownLeft(key, ShiftState(event.modifiers())); });
            return left == 0 || !Control();
        }
        const QString text = event.text();
        if (text.size() != 1 || text[0].unicode() < 32 || text[0].unicode() > 126 ||
            (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            return false;
        }
        const char typed = static_cast<char>(text[0].unicode());
        char left = 0;
        View().Act([&] { left = edit.UserKeyPressLeft(typed); });
        if (left == typed) {
            return false;
        }
        if (left != 0 && Control()) {
            line_->insert(QString(QChar(left)));
            Edited();
        }
        return true;
    }

protected:
    TCustomEdit& Edit() const { return static_cast<TCustomEdit&>(*Control()); }

    void SyncColor() override {
        QPalette palette = line_->palette();
        palette.setColor(QPalette::Base, ToQColor(Control()->Color()));
        palette.setColor(QPalette::Text, TextColor());
        line_->setPalette(palette);
    }
    virtual QColor TextColor() const { return QColor(0, 0, 0); }

private:
    void SyncMask() {
        const std::string mask = Edit().EditMask();
        if (mask == mask_) {
            return;
        }
        mask_ = mask;
        const QSignalBlocker block(line_);
        line_->setInputMask(QtInputMask(mask));
        const int length = Edit().MaxLength();
        if (mask.empty() && length > 0) {
            line_->setMaxLength(length);
        }
    }

    void SyncText() {
        const QString text = Q(Edit().EditText());
        if (line_->displayText() != text) {
            const int cursor = line_->cursorPosition();
            const QSignalBlocker block(line_);
            line_->setText(text);
            line_->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
        }
        SyncColor();
    }

    void Edited() {
        TCustomEdit* edit = static_cast<TCustomEdit*>(Control());
        if (!edit) {
            return;
        }
        std::string value = S(line_->displayText());
        if (!mask_.empty()) {
            value = EditMask(mask_).Strip(value);
        }
        View().Act([edit, value] { edit->UserType(value); });
        if (Control()) {
            SyncText();
        }
    }

    // A click into an empty masked edit starts typing at its first place, not where the
    // click fell between the mask's literals.
    class ClickToStart : public QObject {
    public:
        explicit ClickToStart(EditAdapter& adapter) : adapter_(adapter) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::MouseButtonRelease) {
                adapter_.StartIfEmpty();
            }
            return false;
        }

    private:
        EditAdapter& adapter_;
    };

    void StartIfEmpty() {
        if (mask_.empty() || line_->hasSelectedText()) {
            return;
        }
        // Nothing typed yet: only blanks and the mask's literals are shown.
        for (const QChar c : line_->displayText()) {
            if (c.isLetterOrNumber()) {
                return;
            }
        }
        line_->setCursorPosition(0);
    }

    QLineEdit* line_;
    std::string mask_;
    ClickToStart clicks_{*this};
};

QLineEdit* NewLine(QWidget* parent) {
    auto* line = new QLineEdit(parent);
    line->setFrame(true);
    return line;
}

/// The date editor: the line edit and a button that drops a calendar in pt-BR.
class DateEditAdapter : public EditAdapter {
public:
    DateEditAdapter(FormView& view, TDateEditPlus& edit, QWidget* box, QLineEdit* line)
        : EditAdapter(view, edit, box, line), line_(line) {
        auto* layout = new QHBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(1);
        layout->addWidget(line);
        button_ = new QToolButton(box);
        button_->setObjectName(Q(edit.Name()) + "Calendario");
        button_->setText(QStringLiteral("▾"));
        button_->setToolTip(QStringLiteral("Calendário"));
        button_->setFocusPolicy(Qt::NoFocus);
        button_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        button_->setFixedWidth(View().Scale(15));
        layout->addWidget(button_);
        QObject::connect(button_, &QToolButton::clicked, button_, [this] { DropCalendar(); });
    }
    ~DateEditAdapter() override { delete calendar_.data(); }

protected:
    QColor TextColor() const override {
        const auto& edit = static_cast<TDateEditPlus&>(Edit());
        return !edit.IsEmpty() && edit.IsDateValid() ? ToQColor(edit.ValidDateColor())
                                                     : QColor(0, 0, 0);
    }
    void Sync(TProperty property) override {
        EditAdapter::Sync(property);
        if (Control() && (property == TProperty::All || property == TProperty::ReadOnly ||
                          property == TProperty::Enabled)) {
            button_->setEnabled(!Edit().ReadOnly());
        }
    }

private:
    void DropCalendar() {
        auto& edit = static_cast<TDateEditPlus&>(Edit());
        if (!calendar_) {
            calendar_ = new QCalendarWidget;
            calendar_->setWindowFlags(Qt::Popup);
            calendar_->setLocale(QLocale(QLocale::Portuguese, QLocale::Brazil));
            calendar_->setFirstDayOfWeek(Qt::Sunday);
            calendar_->setGridVisible(true);
            calendar_->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
            calendar_->setObjectName(Q(edit.Name()) + "Calendario");
            QObject::connect(calendar_, &QCalendarWidget::clicked, calendar_,
                             [this](QDate date) { Chosen(date); });
            QObject::connect(calendar_, &QCalendarWidget::activated, calendar_,
                             [this](QDate date) { Chosen(date); });
        }
        QDate current = QDate::currentDate();
        if (edit.IsDateValid() && !edit.IsEmpty()) {
            current = QDate::fromString(Q(edit.EditText()), QStringLiteral("dd/MM/yyyy"));
        }
        calendar_->setSelectedDate(current);
        calendar_->adjustSize();
        calendar_->move(line_->mapToGlobal(QPoint(0, line_->height())));
        calendar_->show();
    }

    void Chosen(QDate date) {
        calendar_->hide();
        auto* edit = static_cast<TDateEditPlus*>(Control());
        if (!edit) {
            return;
        }
        const std::string text = S(date.toString(QStringLiteral("dd/MM/yyyy")));
        View().Act([edit, text] {
            if (edit->UserFocus() || edit->Focused()) {
                edit->UserType(text);
            }
        });
    }

    QLineEdit* line_;
    QToolButton* button_;
    QPointer<QCalendarWidget> calendar_;
};

} // namespace

std::unique_ptr<Adapter> MakeEditAdapter(FormView& view, TControl& control, QWidget* parent) {
    if (auto* date = dynamic_cast<TDateEditPlus*>(&control)) {
        auto* box = new QWidget(parent);
        return std::make_unique<DateEditAdapter>(view, *date, box, NewLine(box));
    }
    if (auto* edit = dynamic_cast<TCustomEdit*>(&control)) {
        QLineEdit* line = NewLine(parent);
        return std::make_unique<EditAdapter>(view, *edit, line, line);
    }
    return nullptr;
}

} // namespace oca::qt
