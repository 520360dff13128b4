#pragma once

#include "core/strings.h"
#include "framework/forms/dfm.h"

#include <any>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <typeindex>

class TComponent;
class PublishedTable;

/// What a property setter needs besides the value: the published handlers of the form
/// being loaded and a way to resolve component names once everything exists.
class LoadContext {
public:
    virtual ~LoadContext() = default;
    /// The event value of handler `name`, checked against `signature`.
    virtual std::any Handler(const std::string& name, std::type_index signature, int line) = 0;
    /// Runs `resolve` with the named component once the whole definition is built.
    virtual void Reference(const std::string& name, int line,
                           std::function<void(TComponent*)> resolve) = 0;
    [[noreturn]] virtual void Fail(int line, const std::string& what) = 0;
};

using PropertySetter = std::function<void(TComponent&, const DfmValue&, LoadContext&)>;

/// A component class that form definitions may create, with the properties they may set.
struct ClassInfo {
    std::string name;
    const ClassInfo* parent = nullptr;
    std::function<std::unique_ptr<TComponent>()> create; ///< null for abstract classes
    std::map<std::string, PropertySetter> properties;

    /// The setter of a property here or in a parent class, or nullptr.
    const PropertySetter* FindProperty(const std::string& property) const;
};

/// The classes of the framework by name. Registered once, on first use.
class ClassRegistry {
public:
    static ClassRegistry& Instance();
    const ClassInfo* Find(const std::string& className) const;
    ClassInfo& Add(const std::string& name, const std::string& parent,
                   std::function<std::unique_ptr<TComponent>()> create);
    ClassInfo& Get(const std::string& name);

private:
    ClassRegistry();
    std::map<std::string, std::unique_ptr<ClassInfo>> classes_;
};

// The classes of the controls and data layers, registered by the registry itself.
void RegisterControlClasses(ClassRegistry& registry);
void RegisterDataClasses(ClassRegistry& registry);

/// How a layer above the form definitions adds its own classes: one of these at namespace
/// scope in that layer runs `add` when its library loads, after the registry's own classes,
/// so the layer may derive from them. Keeps the loader free of the layers above it.
struct ClassRegistration {
    explicit ClassRegistration(void (*add)(ClassRegistry&)) { add(ClassRegistry::Instance()); }
};

// -- helpers for property tables --------------------------------------------------------

/// The factory of a concrete class.
template <class T> std::function<std::unique_ptr<TComponent>()> Maker() {
    return [] {
        return std::make_unique<T>();
    };
}

/// Replaces `target` with the lines a list property gives.
template <class T> void AssignLines(TStrings& target, const std::vector<std::string>& lines) {
    TStrings copy;
    for (const std::string& line : lines) {
        copy.Add(line);
    }
    target.Assign(copy);
}

int DfmInt(const DfmValue& v, LoadContext& ctx);
bool DfmBool(const DfmValue& v, LoadContext& ctx);
const std::string& DfmString(const DfmValue& v, LoadContext& ctx);
const std::string& DfmIdent(const DfmValue& v, LoadContext& ctx);
const std::vector<std::string>& DfmList(const DfmValue& v, LoadContext& ctx);

/// An event property stored in `member` (a std::function); the handler named in the
/// definition must have exactly that signature.
template <class T, class E> PropertySetter EventProperty(E T::*member) {
    return [member](TComponent& c, const DfmValue& v, LoadContext& ctx) {
        std::any bound = ctx.Handler(DfmIdent(v, ctx), typeid(E), v.line);
        dynamic_cast<T&>(c).*member = std::any_cast<E>(bound);
    };
}

/// A property naming another component of the form, resolved after all are built.
template <class T, class R> PropertySetter ReferenceProperty(std::function<void(T&, R*)> set) {
    return [set](TComponent& c, const DfmValue& v, LoadContext& ctx) {
        T& self = dynamic_cast<T&>(c);
        const int line = v.line;
        const std::string name = DfmIdent(v, ctx);
        ctx.Reference(name, line, [&self, set, &ctx, line, name](TComponent* found) {
            R* typed = dynamic_cast<R*>(found);
            if (!typed) {
                ctx.Fail(line, "'" + name + "' não é um componente do tipo esperado");
            }
            set(self, typed);
        });
    };
}

template <class T> PropertySetter StringProperty(std::function<void(T&, const std::string&)> set) {
    return [set](TComponent& c, const DfmValue& v, LoadContext& ctx) {
        set(dynamic_cast<T&>(c), DfmString(v, ctx));
    };
}

template <class T> PropertySetter IntProperty(std::function<void(T&, int)> set) {
    return [set](TComponent& c, const DfmValue& v, LoadContext& ctx) {
        set(dynamic_cast<T&>(c), DfmInt(v, ctx));
    };
}

template <class T> PropertySetter BoolProperty(std::function<void(T&, bool)> set) {
    return [set](TComponent& c, const DfmValue& v, LoadContext& ctx) {
        set(dynamic_cast<T&>(c), DfmBool(v, ctx));
    };
}

template <class T>
PropertySetter ListProperty(std::function<void(T&, const std::vector<std::string>&)> set) {
    return [set](TComponent& c, const DfmValue& v, LoadContext& ctx) {
        set(dynamic_cast<T&>(c), DfmList(v, ctx));
    };
}

/// An identifier property that must be one of `names` (enum values).
template <class T, class V>
PropertySetter EnumProperty(std::map<std::string, V> names, std::function<void(T&, V)> set) {
    return [names, set](TComponent& c, const DfmValue& v, LoadContext& ctx) {
        const auto it = names.find(DfmIdent(v, ctx));
        if (it == names.end()) {
            ctx.Fail(v.line, "valor desconhecido '" + v.text + "'");
        }
        set(dynamic_cast<T&>(c), it->second);
    };
}
