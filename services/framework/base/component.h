#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

/// Root of the component model; the sender of every event.
class TObject {
public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* Sender)>;

/// Keeps an event's handler away for a scope and puts it back on any path out: a change
/// made by code then does not run what a person's change runs.
template <typename Event> class TEventDetached {
public:
    explicit TEventDetached(Event& event) : event_(event), saved_(std::move(event)) {
        event_ = nullptr;
    }
    ~TEventDetached() { event_ = std::move(saved_); }
    TEventDetached(const TEventDetached&) = delete;
    TEventDetached& operator=(const TEventDetached&) = delete;

private:
    Event& event_;
    Event saved_;
};

/// A named object with an owner. The owner keeps its components alive and frees them
/// with itself; everybody else holds plain, non-owning pointers.
class TComponent : public TObject {
public:
    explicit TComponent(TComponent* Owner = nullptr);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    /// True while a form definition is being applied to this component or its owner:
    /// setting properties then runs no events.
    bool Loading() const { return loading_ || (owner_ && owner_->loading_); }
    void SetLoading(bool loading) { loading_ = loading; }
    /// True while this component or its owner is being freed: no events run then, as
    /// the handlers' objects may already be gone.
    bool Destroying() const { return destroying_ || (owner_ && owner_->destroying_); }
    /// Loading or being freed: true when no event may run now.
    bool Quiet() const { return Loading() || Destroying(); }

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    TComponent* Owner() const { return owner_; }

    /// The owned component with that name (case-insensitive), or nullptr.
    TComponent* FindComponent(std::string_view name) const;
    size_t ComponentCount() const { return components_.size(); }
    TComponent* Components(size_t index) const { return components_[index].get(); }

    /// Takes ownership of a component built elsewhere (a form definition's).
    TComponent* InsertComponent(std::unique_ptr<TComponent> component) {
        TComponent* raw = component.get();
        Adopt(std::move(component));
        return raw;
    }

    /// Creates a component owned by this one.
    template <class T, class... Args> T* Create(std::string name, Args&&... args) {
        auto owned = std::make_unique<T>(this, std::forward<Args>(args)...);
        T* raw = owned.get();
        if (!name.empty()) { // a form names itself from its definition
            raw->SetName(std::move(name));
        }
        Adopt(std::move(owned));
        return raw;
    }

protected:
    /// Takes ownership of a component built elsewhere; its owner becomes this one.
    void Adopt(std::unique_ptr<TComponent> component);
    /// Destroys a component this one owns; does nothing for any other.
    void FreeComponent(TComponent* component);

private:
    std::string name_;
    TComponent* owner_ = nullptr;
    bool loading_ = false;
    bool destroying_ = false;
    std::vector<std::unique_ptr<TComponent>> components_;
};
