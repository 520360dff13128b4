#pragma once

#include "framework/base/component.h"

#include <string>
#include <string_view>
#include <vector>

/// A menu entry; "-" as caption makes a separator. Items hold sub-items in order.
class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* Owner = nullptr) : TComponent(Owner) {}

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption) { caption_ = std::move(caption); }
    bool IsSeparator() const { return caption_ == "-"; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    bool Checked() const { return checked_; }
    void SetChecked(bool checked) { checked_ = checked; }
    const std::string& Hint() const { return hint_; }
    void SetHint(std::string hint) { hint_ = std::move(hint); }
    /// "Ctrl+L", "F9", "Shift+Ctrl+A"; empty for none.
    const std::string& ShortCut() const { return shortCut_; }
    void SetShortCut(std::string shortCut) { shortCut_ = std::move(shortCut); }

    TMenuItem* Parent() const { return parent_; }
    const std::vector<TMenuItem*>& Items() const { return items_; }
    /// Inserts a sub-item at `index` (appends past the end).
    void Insert(size_t index, TMenuItem* item);
    void Add(TMenuItem* item) { Insert(items_.size(), item); }
    void Remove(TMenuItem* item);
    int IndexOf(const TMenuItem* item) const;

    /// Runs OnClick (code may click a disabled item).
    void Click();
    /// What a person does: refused for a disabled or hidden item, or one in a disabled
    /// or hidden menu.
    bool UserClick();
    /// The item (this or below) whose shortcut matches, reachable by a person.
    TMenuItem* FindShortCut(std::string_view shortCut);

    TNotifyEvent OnClick;

private:
    std::string caption_, hint_, shortCut_;
    bool enabled_ = true, visible_ = true, checked_ = false;
    TMenuItem* parent_ = nullptr;
    std::vector<TMenuItem*> items_;
};

/// The bar of a window's menus; its Items are the top-level menus.
class TMainMenu : public TComponent {
public:
    explicit TMainMenu(TComponent* Owner = nullptr) : TComponent(Owner) {}
    TMenuItem& Items() { return root_; }

private:
    TMenuItem root_;
};

/// A menu that pops up (option menus of the filter screen).
class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* Owner = nullptr) : TComponent(Owner) {}
    TMenuItem& Items() { return root_; }

private:
    TMenuItem root_;
};

/// Compares shortcut texts ignoring case and the order of modifiers ("ctrl+l" matches
/// "Ctrl+L").
bool SameShortCut(std::string_view a, std::string_view b);
