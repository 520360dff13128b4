#pragma once

#include "framework/controls/control.h"

#include <functional>
#include <vector>

class TPageControl;

/// A page of a page control. A disabled page cannot be selected by a person.
class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent* Owner = nullptr) : TWinControl(Owner) {}
    TPageControl* PageControl() const { return pageControl_; }
    void SetPageControl(TPageControl* control);
    int PageIndex() const;

protected:
    bool ChildrenShown() const override;

private:
    TPageControl* pageControl_ = nullptr;
};

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

/// Pages shown one at a time. Setting the active page from code fires nothing; a person
/// selecting an enabled page fires OnChanging (which may refuse) and then OnChange.
class TPageControl : public TWinControl {
public:
    explicit TPageControl(TComponent* Owner = nullptr);
    size_t PageCount() const { return pages_.size(); }
    TTabSheet* Pages(size_t index) const { return pages_.at(index); }
    TTabSheet* ActivePage() const { return active_; }
    void SetActivePage(TTabSheet* page);
    int ActivePageIndex() const { return active_ ? active_->PageIndex() : -1; }
    bool UserSelectPage(TTabSheet* page);

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;

private:
    friend class TTabSheet;
    std::vector<TTabSheet*> pages_;
    TTabSheet* active_ = nullptr;
};
