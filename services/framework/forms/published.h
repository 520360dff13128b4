#pragma once

#include "framework/base/component.h"

#include <any>
#include <functional>
#include <map>
#include <string>
#include <typeindex>

/// What a form class shows to its definition: the handlers that events may name, and
/// the members that receive the components the definition creates.
///
///     static const PublishedTable& Published() {
///         static const PublishedTable table = [] {
///             PublishedTable t;
///             t.Handler("dbeCdFilialExit", &TfrmX::dbeCdFilialExit);
///             t.Component("dbeCdFilial", &TfrmX::dbeCdFilial);
///             return t;
///         }();
///         return table;
///     }
class PublishedTable {
public:
    struct HandlerInfo {
        std::type_index signature = typeid(void);
        /// Makes the event value (a std::function of the signature) bound to a form.
        std::function<std::any(TComponent& form)> bind;
    };

    template <class F, class... A> void Handler(const std::string& name, void (F::*method)(A...)) {
        using Event = std::function<void(A...)>;
        handlers_[name] = HandlerInfo{typeid(Event), [method](TComponent& form) {
                                          F& self = dynamic_cast<F&>(form);
                                          return std::any(Event([&self, method](A... args) {
                                              (self.*method)(std::forward<A>(args)...);
                                          }));
                                      }};
    }

    template <class F, class C> void Component(const std::string& name, C* F::*member) {
        components_[name] = [member](TComponent& form, TComponent* found) {
            C* typed = dynamic_cast<C*>(found);
            if (!typed) {
                return false;
            }
            dynamic_cast<F&>(form).*member = typed;
            return true;
        };
    }

    /// Adds everything of a base class's table (a derived screen's own entries win).
    void Inherit(const PublishedTable& base);

    const HandlerInfo* FindHandler(const std::string& name) const;
    /// Each published member's setter: false when the component has the wrong class.
    const std::map<std::string, std::function<bool(TComponent&, TComponent*)>>& Components() const {
        return components_;
    }

private:
    std::map<std::string, HandlerInfo> handlers_;
    std::map<std::string, std::function<bool(TComponent&, TComponent*)>> components_;
};
