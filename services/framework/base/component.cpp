#include "framework/base/component.h"

#include "core/text.h"

TComponent::TComponent(TComponent* Owner) : owner_(Owner) {}

TComponent::~TComponent() {
    destroying_ = true;
    // Free in reverse creation order, as later components may refer to earlier ones.
    while (!components_.empty()) {
        components_.pop_back();
    }
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    for (const auto& c : components_) {
        if (SameText(c->Name(), name)) {
            return c.get();
        }
    }
    return nullptr;
}

void TComponent::Adopt(std::unique_ptr<TComponent> component) {
    component->owner_ = this;
    components_.push_back(std::move(component));
}

void TComponent::FreeComponent(TComponent* component) {
    for (auto it = components_.begin(); it != components_.end(); ++it) {
        if (it->get() == component) {
            // Move out first: the destructor may look the owner's list up.
            std::unique_ptr<TComponent> doomed = std::move(*it);
            components_.erase(it);
            return;
        }
    }
}
