#include "framework/forms/class_registry.h"

#include "framework/base/component.h"
#include "framework/forms/published.h"

// -- PublishedTable -------------------------------------------------------------------

void PublishedTable::Inherit(const PublishedTable& base) {
    for (const auto& [name, info] : base.handlers_) {
        handlers_.emplace(name, info);
    }
    for (const auto& [name, set] : base.components_) {
        components_.emplace(name, set);
    }
}

const PublishedTable::HandlerInfo* PublishedTable::FindHandler(const std::string& name) const {
    const auto it = handlers_.find(name);
    return it == handlers_.end() ? nullptr : &it->second;
}

// -- ClassInfo and the registry ----------------------------------------------------------

const PropertySetter* ClassInfo::FindProperty(const std::string& property) const {
    for (const ClassInfo* c = this; c; c = c->parent) {
        const auto it = c->properties.find(property);
        if (it != c->properties.end()) {
            return &it->second;
        }
    }
    return nullptr;
}

ClassRegistry& ClassRegistry::Instance() {
    // Never destroyed, as the module registry: its users may outlive this library's
    // statics at exit.
    static ClassRegistry* registry = new ClassRegistry;
    return *registry;
}

ClassRegistry::ClassRegistry() {
    Add("TComponent", "", nullptr);
    RegisterControlClasses(*this);
    RegisterDataClasses(*this);
}

const ClassInfo* ClassRegistry::Find(const std::string& className) const {
    const auto it = classes_.find(className);
    return it == classes_.end() ? nullptr : it->second.get();
}

ClassInfo& ClassRegistry::Add(const std::string& name, const std::string& parent,
                              std::function<std::unique_ptr<TComponent>()> create) {
    auto info = std::make_unique<ClassInfo>();
    info->name = name;
    info->parent = parent.empty() ? nullptr : &Get(parent);
    info->create = std::move(create);
    ClassInfo& ref = *info;
    classes_[name] = std::move(info);
    return ref;
}

ClassInfo& ClassRegistry::Get(const std::string& name) {
    return *classes_.at(name);
}

// -- value helpers -----------------------------------------------------------------------

namespace {
const char* KindName(DfmValue::Kind kind) {
    switch (kind) {
    case DfmValue::String:
        return "texto";
    case DfmValue::Integer:
        return "número inteiro";
    case DfmValue::Float:
        return "número";
    case DfmValue::Boolean:
        return "True/False";
    case DfmValue::Ident:
        return "identificador";
    case DfmValue::Set:
        return "conjunto";
    case DfmValue::List:
        return "lista de textos";
    case DfmValue::Collection:
        return "coleção";
    }
    return "valor";
}

void Want(const DfmValue& v, DfmValue::Kind kind, LoadContext& ctx) {
    if (v.kind != kind) {
        ctx.Fail(v.line, std::string(KindName(kind)) + " esperado, encontrado " + KindName(v.kind));
    }
}
} // namespace

int DfmInt(const DfmValue& v, LoadContext& ctx) {
    Want(v, DfmValue::Integer, ctx);
    return static_cast<int>(v.integer);
}

bool DfmBool(const DfmValue& v, LoadContext& ctx) {
    Want(v, DfmValue::Boolean, ctx);
    return v.boolean;
}

const std::string& DfmString(const DfmValue& v, LoadContext& ctx) {
    Want(v, DfmValue::String, ctx);
    return v.text;
}

const std::string& DfmIdent(const DfmValue& v, LoadContext& ctx) {
    Want(v, DfmValue::Ident, ctx);
    return v.text;
}

const std::vector<std::string>& DfmList(const DfmValue& v, LoadContext& ctx) {
    Want(v, DfmValue::List, ctx);
    return v.items;
}
