// Labels, containers, buttons, radio buttons, check boxes and the navigator.
#include "framework/controls/db_controls.h"
#include "framework/controls/format_panel.h"
#include "framework/controls/pages.h"
#include "framework/host/btn_pesquisa.h"
#include "qt/adapters.h"
#include "qt/form_view.h"
#include "qt/icons.h"
#include "qt/qt_support.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>
#include <QScrollArea>
#include <QToolButton>

namespace oca::qt {

namespace {

/// A caption with an accelerator: a click on the label (or Alt+letter) focuses the
/// control it names, as the model does.
class LabelAdapter : public Adapter {
public:
    LabelAdapter(FormView& view, TControl& control, QWidget* parent)
        : Adapter(view, control, new QLabel(parent)) {
        Label()->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

protected:
    void SyncCaption() override {
        QString text = Q(Control()->Caption());
        if (dynamic_cast<TDBText*>(Control())) {
            text.replace(u'&', QStringLiteral("&&")); // data, not an accelerator
            Label()->setTextFormat(Qt::PlainText);
        }
        Label()->setText(text);
    }
    void Sync(TProperty property) override {
        Adapter::Sync(property);
        // Labels size to their text from their left edge, as an auto-sized caption
        // does; the form's box may be wider than the words.
        if ((property == TProperty::All || property == TProperty::Caption ||
             property == TProperty::Bounds) &&
            Control()) {
            const QSize hint = Label()->sizeHint();
            const int height = std::max(hint.height(), View().Scale(Control()->Height()));
            Label()->resize(std::max(hint.width(), 1), height);
        }
    }

private:
    QLabel* Label() const { return static_cast<QLabel*>(Widget()); }
};

/// A picture, reduced to fit its box and centred in it.
class ImageAdapter : public Adapter {
public:
    ImageAdapter(FormView& view, TImage& image, QWidget* parent)
        : Adapter(view, image, new QLabel(parent)) {
        Label()->setAlignment(Qt::AlignCenter);
    }

protected:
    void Sync(TProperty property) override {
        Adapter::Sync(property);
        auto* image = static_cast<TImage*>(Control());
        if (!image || (property != TProperty::All && property != TProperty::Picture &&
                       property != TProperty::Bounds)) {
            return;
        }
        QPixmap picture;
        const std::string& bytes = image->Picture();
        if (bytes.empty() || !picture.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                                                   static_cast<uint>(bytes.size()))) {
            Label()->clear();
            return;
        }
        const QSize box = Label()->size();
        Label()->setPixmap(picture.width() > box.width() || picture.height() > box.height()
                               ? picture.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                               : picture);
    }

private:
    QLabel* Label() const { return static_cast<QLabel*>(Widget()); }
};

class PanelAdapter : public Adapter {
public:
    PanelAdapter(FormView& view, TControl& control, QWidget* parent)
        : Adapter(view, control, new QWidget(parent)) {}
};

class GroupBoxAdapter : public Adapter {
public:
    GroupBoxAdapter(FormView& view, TControl& control, QWidget* parent)
        : Adapter(view, control, new QGroupBox(parent)) {}

protected:
    void SyncCaption() override {
        static_cast<QGroupBox*>(Widget())->setTitle(Q(Control()->Caption()));
    }
};

/// A scroll box: the children stand on a content widget as large as their extent.
class ScrollBoxAdapter : public Adapter {
public:
    ScrollBoxAdapter(FormView& view, TControl& control, QWidget* parent)
        : Adapter(view, control, new QScrollArea(parent)) {
        auto* area = static_cast<QScrollArea*>(Widget());
        area->setFrameShape(QFrame::NoFrame);
        content_ = new QWidget;
        area->setWidget(content_);
    }
    QWidget* ChildHost() const override { return content_; }
    void Finish() override {
        int right = 0, bottom = 0;
        for (const TControl* child : static_cast<TWinControl*>(Control())->Children()) {
            right = std::max(right, child->Left() + child->Width());
            bottom = std::max(bottom, child->Top() + child->Height());
        }
        content_->resize(View().Scale(right + 8), View().Scale(bottom + 8));
    }

private:
    QWidget* content_;
};

/// A toolbar button: never takes the focus, so clicking it runs no exit.
class SpeedButtonAdapter : public Adapter {
public:
    SpeedButtonAdapter(FormView& view, TSpeedButton& button, QWidget* parent)
        : Adapter(view, button, new QToolButton(parent)) {
        auto* tool = static_cast<QToolButton*>(Widget());
        tool->setFocusPolicy(Qt::NoFocus);
        tool->setAutoRaise(button.Flat() && !dynamic_cast<TBtnPesquisa*>(&button));
        const QIcon icon = GlyphIcon(button.Glyph());
        if (!icon.isNull()) {
            tool->setIcon(icon);
        }
        QObject::connect(tool, &QToolButton::clicked, tool, [this] { Clicked(); });
    }

protected:
    void SyncCaption() override {
        auto* tool = static_cast<QToolButton*>(Widget());
        const QString caption = Q(Control()->Caption());
        if (!caption.isEmpty()) {
            tool->setText(caption);
            tool->setToolButtonStyle(tool->icon().isNull() ? Qt::ToolButtonTextOnly
                                                           : Qt::ToolButtonTextBesideIcon);
        }
    }
    void Sync(TProperty property) override {
        Adapter::Sync(property);
        if (property == TProperty::All || property == TProperty::Bounds) {
            auto* tool = static_cast<QToolButton*>(Widget());
            const int side = std::min(tool->width(), tool->height());
            tool->setIconSize(QSize(side - 8, side - 8));
        }
    }

private:
    void Clicked() {
        TControl* control = Control();
        if (!control) {
            return;
        }
        auto* panel = dynamic_cast<TFormatPanel*>(control->Parent());
        int tool = -1;
        for (size_t i = 0; panel && i < TFormatPanel::kToolCount; ++i) {
            if (panel->Tool(static_cast<TFormatTool>(i)) == control) {
                tool = static_cast<int>(i);
            }
        }
        View().Act([control] { control->UserClick(); });
        if (tool >= 0 && Control()) {
            ApplyFormatTool(View(), *panel, tool);
        }
    }
};

/// Radio buttons and check boxes: Qt does not toggle them itself; the click goes to
/// the model, which checks, unchecks the siblings and runs the handler, and the widgets
/// follow what the model decided.
template <class TModel, class QButton> class CheckableAdapter : public Adapter {
public:
    CheckableAdapter(FormView& view, TModel& control, QWidget* parent)
        : Adapter(view, control, new QButton(parent)) {
        auto* button = static_cast<QButton*>(Widget());
        if constexpr (std::is_same_v<QButton, QRadioButton>) {
            button->setAutoExclusive(false);
        }
        QObject::connect(button, &QAbstractButton::clicked, button, [this] {
            if (TControl* c = Control()) {
                View().Act([c] { c->UserClick(); });
            }
            if (Control()) {
                Sync(TProperty::Checked);
            }
        });
    }
    bool FocusByMouse() const override { return false; }
    /// The arrows move within a group of radio buttons and check the one they reach, as
    /// Tab stops at the group once.
    bool KeyPress(QKeyEvent& event) override {
        if constexpr (std::is_same_v<TModel, TRadioButton>) {
            const int key = event.key();
            const int step = key == Qt::Key_Down || key == Qt::Key_Right ? 1
                             : key == Qt::Key_Up || key == Qt::Key_Left  ? -1
                                                                         : 0;
            auto* radio = static_cast<TRadioButton*>(Control());
            TRadioButton* next = step && radio ? radio->Neighbour(step) : nullptr;
            if (!next) {
                return step != 0;
            }
            View().Act([next] {
                if (next->UserFocus()) {
                    next->UserClick();
                }
            });
            return true;
        }
        return Adapter::KeyPress(event);
    }
    void Sync(TProperty property) override {
        Adapter::Sync(property);
        if ((property == TProperty::All || property == TProperty::Checked) && Control()) {
            static_cast<QButton*>(Widget())->setChecked(static_cast<TModel*>(Control())->Checked());
        }
    }

protected:
    void SyncCaption() override {
        static_cast<QButton*>(Widget())->setText(Q(Control()->Caption()));
    }
};

class NavigatorAdapter : public Adapter {
public:
    NavigatorAdapter(FormView& view, TDBNavigator& navigator, QWidget* parent)
        : Adapter(view, navigator, new QWidget(parent)) {
        auto* layout = new QHBoxLayout(Widget());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(1);
        const struct {
            TNavigateBtn button;
            Qt::ArrowType arrow;
            const char* hint;
            const char* name;
        } buttons[] = {{nbFirst, Qt::UpArrow, "Primeiro", "First"},
                       {nbPrior, Qt::LeftArrow, "Anterior", "Prior"},
                       {nbNext, Qt::RightArrow, "Próximo", "Next"},
                       {nbLast, Qt::DownArrow, "Último", "Last"}};
        for (const auto& b : buttons) {
            auto* tool = new QToolButton(Widget());
            tool->setObjectName(Q(navigator.Name()) + b.name);
            tool->setArrowType(b.arrow);
            tool->setToolTip(QString::fromUtf8(b.hint));
            tool->setFocusPolicy(Qt::NoFocus);
            tool->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            layout->addWidget(tool);
            const TNavigateBtn which = b.button;
            QObject::connect(tool, &QToolButton::clicked, tool, [this, which] {
                if (auto* nav = static_cast<TDBNavigator*>(Control())) {
                    View().Act([nav, which] { nav->UserNavigate(which); });
                }
            });
        }
    }
};

} // namespace

std::unique_ptr<Adapter> MakeBasicAdapter(FormView& view, TControl& control, QWidget* parent) {
    if (auto* button = dynamic_cast<TSpeedButton*>(&control)) {
        return std::make_unique<SpeedButtonAdapter>(view, *button, parent);
    }
    if (auto* radio = dynamic_cast<TRadioButton*>(&control)) {
        return std::make_unique<CheckableAdapter<TRadioButton, QRadioButton>>(view, *radio, parent);
    }
    if (auto* check = dynamic_cast<TCheckBox*>(&control)) {
        return std::make_unique<CheckableAdapter<TCheckBox, QCheckBox>>(view, *check, parent);
    }
    if (auto* navigator = dynamic_cast<TDBNavigator*>(&control)) {
        return std::make_unique<NavigatorAdapter>(view, *navigator, parent);
    }
    if (auto* image = dynamic_cast<TImage*>(&control)) {
        return std::make_unique<ImageAdapter>(view, *image, parent);
    }
    if (dynamic_cast<TGroupBox*>(&control)) {
        return std::make_unique<GroupBoxAdapter>(view, control, parent);
    }
    if (dynamic_cast<TScrollBox*>(&control)) {
        return std::make_unique<ScrollBoxAdapter>(view, control, parent);
    }
    if (dynamic_cast<TLabel*>(&control) || dynamic_cast<TDBText*>(&control)) {
        return std::make_unique<LabelAdapter>(view, control, parent);
    }
    return std::make_unique<PanelAdapter>(view, control, parent);
}

std::unique_ptr<Adapter> MakeAdapter(FormView& view, TControl& control, QWidget* parent) {
    for (auto make :
         {MakeRichAdapter, MakeGridAdapter, MakePageAdapter, MakeEditAdapter, MakeChartAdapter}) {
        if (auto adapter = make(view, control, parent)) {
            return adapter;
        }
    }
    return MakeBasicAdapter(view, control, parent);
}

} // namespace oca::qt
