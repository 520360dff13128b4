#pragma once

#include "framework/base/component.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class TForm;
class TWinControl;

/// Colours by name, as form definitions write them; other values are 0xBBGGRR.
enum TColor : std::int32_t {
    clBlack = 0x000000,
    clBlue = 0xFF0000,
    clRed = 0x0000FF,
    clWhite = 0xFFFFFF,
    clWindow = -0x7FFFFFFB,  // system colour of edit backgrounds
    clBtnFace = -0x7FFFFFF1, // system colour of buttons and display-only edits
    clInfoBk = -0x7FFFFFE8,  // system colour of tool tips: required fields
};

/// Virtual keys the screens test.
enum : std::uint16_t {
    VK_BACK = 8,
    VK_TAB = 9,
    VK_RETURN = 13,
    VK_ESCAPE = 27,
    VK_DELETE = 46,
    VK_F9 = 120,
};

enum TShiftStateFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using TShiftState = unsigned;

using TKeyEvent = std::function<void(TObject* Sender, std::uint16_t& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;

/// Where a control stands in its parent as the parent's size changes: docked to a side
/// or filling what the docked ones leave (client), or placed by its anchors.
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
/// The parent's edges a control keeps its distance to; left and top by default.
enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;

/// What changed on a control, as its observers (the views) hear it; All asks them to
/// show everything again.
enum class TProperty {
    All,
    ActiveControl,
    ActivePage,
    Bands,
    Bounds,
    Caption,
    Checked,
    Color,
    Data,
    DataSource,
    Destroyed,
    EditMask,
    Enabled,
    Hint,
    ModalResult,
    Picture,
    Points,
    Range,
    ReadOnly,
    Row,
    Selected,
    Series,
    Text,
    Title,
    Visible,
    WindowState,
};

/// A visible thing on a form. Properties changed by code notify observers (the
/// renderer) with the property (TProperty). Methods named User* are what a person does;
/// they refuse (return false) on a control the user cannot reach: disabled, hidden, or
/// inside a disabled or hidden parent.
class TControl : public TComponent {
public:
    explicit TControl(TComponent* Owner = nullptr) : TComponent(Owner) {}
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    void SetParent(TWinControl* parent);
    /// The form the control stands on (through its parents), or nullptr.
    TForm* ParentForm() const;

    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    /// Enabled and visible, and so is every parent.
    bool CanReach() const;

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    const std::string& Hint() const { return hint_; }
    void SetHint(std::string hint);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    /// A container whose size changes lays out its aligned and anchored children.
    void SetBounds(int left, int top, int width, int height);
    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors anchors) { anchors_ = anchors; }
    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int order) { tabOrder_ = order; }
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int context) { helpContext_ = context; }

    /// Runs OnClick (code may click a disabled control; a user may not).
    virtual void Click();
    bool UserClick();

    TNotifyEvent OnClick;

    /// Whether this control is the lookup button of `control` (F9 there clicks it).
    virtual bool LooksUpFor(const TControl* /*control*/) const { return false; }
    using Observer = std::function<void(TControl& control, TProperty property)>;
    /// Returns a number for RemoveObserver.
    int AddObserver(Observer observer);
    void RemoveObserver(int id);

protected:
    void Changed(TProperty property);

private:
    friend class TWinControl;
    TWinControl* parent_ = nullptr;
    bool enabled_ = true;
    bool visible_ = true;
    std::string caption_;
    std::string hint_;
    TColor color_ = clBtnFace;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    TAlign align_ = alNone;
    TAnchors anchors_ = akLeft | akTop;
    int tabOrder_ = -1;
    int helpContext_ = 0;
    std::vector<std::pair<int, Observer>> observers_;
    int nextObserver_ = 1;
};

/// A control that holds others and may take the input focus.
class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* Owner = nullptr) : TControl(Owner) {}
    ~TWinControl() override;

    size_t ControlCount() const { return children_.size(); }
    TControl* Controls(size_t index) const { return children_.at(index); }
    const std::vector<TControl*>& Children() const { return children_; }

    /// Whether Tab stops here (edits, buttons that take the focus).
    bool TabStop() const { return tabStop_; }
    /// Whether Tab stops here among its siblings: a group of radio buttons is one stop.
    virtual bool TakesTab() const { return tabStop_; }
    void SetTabStop(bool stop) { tabStop_ = stop; }
    /// Reachable and a tab stop; containers are never focused themselves.
    virtual bool CanFocus() const;
    bool Focused() const;
    /// Moves the focus here from code, running the exits and enters on the way.
    void SetFocus();
    /// What a person does by clicking into the control.
    bool UserFocus();

    /// The controls in tab order, depth first through containers (only the shown page
    /// of a page control).
    void CollectTabOrder(std::vector<TWinControl*>& out);
    /// Runs before OnExit when the focus leaves; a raise keeps the focus here.
    virtual void PrepareExit() {}

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;

    /// A key pressed while this control has the focus: OnKeyDown, then the control's
    /// own reaction. False when the control cannot be reached.
    bool UserKeyDown(std::uint16_t key, TShiftState shift = 0);
    /// A character typed: OnKeyPress (which may change or swallow it with 0), then the
    /// control's own reaction.
    bool UserKeyPress(char key);
    /// As UserKeyDown and UserKeyPress, giving back what the handlers left of the key
    /// (0 when a handler took it or the control cannot be reached), so that a toolkit
    /// knows whether to let the key through.
    std::uint16_t UserKeyDownLeft(std::uint16_t key, TShiftState shift = 0);
    char UserKeyPressLeft(char key);

    /// Lays the children out in the client area: docked ones first (top, bottom, left,
    /// right, each in creation order), then the client one; anchored ones keep their
    /// distances to the edges they hold, from a size of oldWidth x oldHeight.
    void AlignControls(int oldWidth, int oldHeight);

protected:
    virtual void KeyDown(std::uint16_t key, TShiftState shift);
    virtual void KeyPress(char /*key*/) {}
    /// Whether this control's children are shown now (a page's only while it is the
    /// active one): hidden children are out of the tab order and out of reach.
    virtual bool ChildrenShown() const { return true; }

private:
    friend class TControl;
    std::vector<TControl*> children_;
    bool tabStop_ = false;
    bool aligning_ = false;
};
