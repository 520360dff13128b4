#include "framework/controls/pages.h"

#include "framework/controls/form.h"

#include <algorithm>

void TTabSheet::SetPageControl(TPageControl* control) {
    if (pageControl_) {
        auto& pages = pageControl_->pages_;
        pages.erase(std::remove(pages.begin(), pages.end(), this), pages.end());
        if (pageControl_->active_ == this) {
            pageControl_->active_ = pages.empty() ? nullptr : pages.front();
        }
    }
    pageControl_ = control;
    SetParent(control);
    if (control) {
        control->pages_.push_back(this);
        if (!control->active_) {
            control->active_ = this;
        }
    }
}

int TTabSheet::PageIndex() const {
    if (!pageControl_) {
        return -1;
    }
    const auto& pages = pageControl_->pages_;
    return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

bool TTabSheet::ChildrenShown() const {
    return !pageControl_ || pageControl_->ActivePage() == this;
}

TPageControl::TPageControl(TComponent* Owner) : TWinControl(Owner) {
    SetTabStop(true);
}

void TPageControl::SetActivePage(TTabSheet* page) {
    if (page && page->PageControl() != this) {
        return;
    }
    if (active_ != page) {
        active_ = page;
        Changed(TProperty::ActivePage);
    }
}

bool TPageControl::UserSelectPage(TTabSheet* page) {
    if (!CanReach() || !page || page->PageControl() != this || !page->Enabled()) {
        return false;
    }
    if (page == active_) {
        return true;
    }
    if (TForm* form = ParentForm()) {
        form->FocusControl(this);
    }
    bool allow = true;
    if (OnChanging) {
        OnChanging(this, allow);
    }
    if (!allow) {
        return false;
    }
    SetActivePage(page);
    if (OnChange) {
        OnChange(this);
    }
    return true;
}
