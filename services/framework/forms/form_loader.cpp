#include "framework/forms/form_loader.h"

#include "framework/controls/form.h"
#include "framework/controls/menus.h"
#include "framework/controls/pages.h"
#include "framework/data/dataset.h"
#include "framework/forms/class_registry.h"

#include <fstream>
#include <sstream>

namespace {

/// Applies definitions to one form; references and published members are resolved at
/// the end, when every component exists.
class FormLoader : public LoadContext {
public:
    FormLoader(TForm& form, const PublishedTable& table) : form_(form), table_(table) {}

    void Apply(const DfmObject& root, const std::string& file) {
        file_ = file;
        form_.SetName(root.name);
        ApplyProperties(form_, root, ClassOf(form_, root));
        for (const DfmObject& child : root.children) {
            ApplyObject(child, form_);
        }
    }

    void Finish() {
        for (auto& [name, line, file, resolve] : references_) {
            file_ = file;
            TComponent* found = SameName(name, form_.Name()) ? &form_ : form_.FindComponent(name);
            if (!found) {
                Fail(line, "componente '" + name + "' não existe");
            }
            resolve(found);
        }
        references_.clear();
        for (const auto& [name, set] : table_.Components()) {
            TComponent* found = form_.FindComponent(name);
            if (!found || !set(form_, found)) {
                throw EFormDefinitionError(file_ + ": componente publicado '" + name +
                                           (found ? "' de classe errada" : "' não existe"));
            }
        }
    }

    std::any Handler(const std::string& name, std::type_index signature, int line) override {
        const PublishedTable::HandlerInfo* h = table_.FindHandler(name);
        if (!h) {
            Fail(line, "manipulador desconhecido '" + name + "'");
        }
        if (h->signature != signature) {
            Fail(line, "manipulador '" + name + "' com assinatura errada para o evento");
        }
        return h->bind(form_);
    }

    void Reference(const std::string& name, int line,
                   std::function<void(TComponent*)> resolve) override {
        references_.push_back({name, line, file_, std::move(resolve)});
    }

    [[noreturn]] void Fail(int line, const std::string& what) override {
        throw EFormDefinitionError(file_ + ":" + std::to_string(line) + ": " + what);
    }

private:
    struct PendingReference {
        std::string name;
        int line;
        std::string file;
        std::function<void(TComponent*)> resolve;
    };

    static bool SameName(const std::string& a, const std::string& b) {
        return !a.empty() && a == b;
    }

    // The class description a definition's object is applied with: the registered class
    // of that name, or for the form itself the nearest registered base (TForm).
    const ClassInfo& ClassOf(TComponent&, const DfmObject& obj) {
        const ClassInfo* info = ClassRegistry::Instance().Find(obj.className);
        return info ? *info : ClassRegistry::Instance().Get("TForm");
    }

    void ApplyProperties(TComponent& target, const DfmObject& obj, const ClassInfo& info) {
        for (const DfmProperty& p : obj.properties) {
            const PropertySetter* set = info.FindProperty(p.name);
            if (!set) {
                Fail(p.line, "propriedade desconhecida '" + p.name + "' em " + info.name);
            }
            (*set)(target, p.value, *this);
        }
    }

    void ApplyObject(const DfmObject& obj, TComponent& container) {
        const ClassInfo* info = ClassRegistry::Instance().Find(obj.className);
        if (!info || (!obj.inherited && !info->create)) {
            Fail(obj.line, "classe de componente desconhecida '" + obj.className + "'");
        }
        TComponent* comp = form_.FindComponent(obj.name);
        if (obj.inherited) {
            if (!comp) {
                Fail(obj.line, "componente herdado '" + obj.name + "' não existe");
            }
        } else {
            if (comp) {
                Fail(obj.line, "componente '" + obj.name + "' repetido");
            }
            comp = form_.InsertComponent(info->create());
            comp->SetName(obj.name);
            Attach(*comp, container, obj);
        }
        ApplyProperties(*comp, obj, *info);
        for (const DfmObject& child : obj.children) {
            ApplyObject(child, *comp);
        }
    }

    // Puts a new component where its place in the definition says: a field into its
    // data set, a page into its page control, a menu item into its menu, a control
    // into its parent.
    void Attach(TComponent& comp, TComponent& container, const DfmObject& obj) {
        if (auto* field = dynamic_cast<TField*>(&comp)) {
            auto* ds = dynamic_cast<TDataSet*>(&container);
            if (!ds) {
                Fail(obj.line,
                     "o campo '" + obj.name + "' deve estar dentro de um conjunto de dados");
            }
            field->SetFieldName(obj.name.size() > ds->Name().size() &&
                                        obj.name.rfind(ds->Name(), 0) == 0
                                    ? obj.name.substr(ds->Name().size())
                                    : obj.name);
            field->SetDataSet(ds);
            return;
        }
        if (auto* item = dynamic_cast<TMenuItem*>(&comp)) {
            TMenuItem* menu = dynamic_cast<TMenuItem*>(&container);
            if (auto* main = dynamic_cast<TMainMenu*>(&container)) {
                menu = &main->Items();
            } else if (auto* popup = dynamic_cast<TPopupMenu*>(&container)) {
                menu = &popup->Items();
            }
            if (!menu) {
                Fail(obj.line, "o item '" + obj.name + "' deve estar dentro de um menu");
            }
            menu->Insert(obj.index < 0 ? menu->Items().size() : static_cast<size_t>(obj.index),
                         item);
            return;
        }
        if (auto* page = dynamic_cast<TTabSheet*>(&comp)) {
            auto* pages = dynamic_cast<TPageControl*>(&container);
            if (!pages) {
                Fail(obj.line, "a página '" + obj.name + "' deve estar dentro de um TPageControl");
            }
            page->SetPageControl(pages);
            return;
        }
        auto* control = dynamic_cast<TControl*>(&comp);
        auto* parent = dynamic_cast<TWinControl*>(&container);
        if (control && parent) {
            control->SetParent(parent);
        }
    }

    TForm& form_;
    const PublishedTable& table_;
    std::string file_;
    std::vector<PendingReference> references_;
};

void ApplyAll(TForm& form, const std::vector<std::pair<DfmObject, std::string>>& definitions,
              const PublishedTable& table) {
    FormLoader loader(form, table);
    form.SetLoading(true);
    try {
        for (const auto& [def, file] : definitions) {
            loader.Apply(def, file);
        }
        loader.Finish();
    } catch (...) {
        form.SetLoading(false);
        throw;
    }
    form.SetLoading(false);
}

} // namespace

// -- ModuleRegistry ------------------------------------------------------------------------

ModuleRegistry& ModuleRegistry::Instance() {
    // Never destroyed: modules unregister from it as they unload, which may happen after
    // this library's statics are gone at exit.
    static ModuleRegistry* registry = new ModuleRegistry;
    return *registry;
}

void ModuleRegistry::RegisterModule(const std::string& module,
                                    std::vector<FormResource> resources) {
    UnregisterModule(module);
    modules_.emplace_back(module, std::move(resources));
}

void ModuleRegistry::UnregisterModule(const std::string& module) {
    std::erase_if(modules_, [&](const auto& m) { return m.first == module; });
}

bool ModuleRegistry::IsRegistered(const std::string& module) const {
    for (const auto& m : modules_) {
        if (m.first == module) {
            return true;
        }
    }
    return false;
}

const FormResource* ModuleRegistry::FindForm(const std::string& className) const {
    for (auto m = modules_.rbegin(); m != modules_.rend(); ++m) {
        for (const FormResource& r : m->second) {
            if (r.className == className) {
                return &r;
            }
        }
    }
    return nullptr;
}

// -- resource bundles ----------------------------------------------------------------------

std::vector<FormResource> ParseResourceBundle(std::string_view text, const std::string& fileName) {
    std::vector<FormResource> out;
    std::istringstream in{std::string(text)};
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (line.rfind("#form ", 0) == 0) {
            std::istringstream header(line.substr(6));
            FormResource r;
            header >> r.className >> r.baseClass >> r.fileName;
            if (r.className.empty() || r.baseClass.empty() || r.fileName.empty()) {
                throw EFormDefinitionError(fileName + ":" + std::to_string(number) +
                                           ": cabeçalho '#form CLASSE BASE ARQUIVO' incompleto");
            }
            if (r.baseClass == "-") {
                r.baseClass.clear();
            }
            out.push_back(std::move(r));
        } else if (!out.empty()) {
            out.back().text += line + "\n";
        } else if (!line.empty()) {
            throw EFormDefinitionError(fileName + ":" + std::to_string(number) +
                                       ": texto antes do primeiro '#form'");
        }
    }
    return out;
}

std::string WriteResourceBundle(const std::vector<FormResource>& resources) {
    std::string out;
    for (const FormResource& r : resources) {
        out += "#form " + r.className + " " + (r.baseClass.empty() ? "-" : r.baseClass) + " " +
               r.fileName + "\n" + r.text;
        if (!r.text.empty() && r.text.back() != '\n') {
            out += '\n';
        }
    }
    return out;
}

std::vector<FormResource> LoadResourceModule(const std::string& modulePath,
                                             std::vector<FormResource> builtIn,
                                             const std::string& language) {
    const std::string path = modulePath + "." + language;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return builtIn;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return ParseResourceBundle(text.str(), path);
}

// -- loading -------------------------------------------------------------------------------

void InitInheritedComponent(TForm& form, const std::string& className,
                            const PublishedTable& table) {
    std::vector<const FormResource*> chain;
    for (std::string name = className; !name.empty();) {
        const FormResource* r = ModuleRegistry::Instance().FindForm(name);
        if (!r) {
            throw EFormDefinitionError("definição de formulário não registrada para " + name);
        }
        for (const FormResource* seen : chain) {
            if (seen == r) {
                throw EFormDefinitionError(r->fileName + ": herança circular em " + name);
            }
        }
        chain.insert(chain.begin(), r);
        name = r->baseClass;
    }
    std::vector<std::pair<DfmObject, std::string>> definitions;
    for (const FormResource* r : chain) {
        DfmObject def = ParseDfm(r->text, r->fileName);
        if (def.className != r->className) {
            throw EFormDefinitionError(r->fileName + ":" + std::to_string(def.line) +
                                       ": a definição é de " + def.className + ", esperado " +
                                       r->className);
        }
        definitions.emplace_back(std::move(def), r->fileName);
    }
    ApplyAll(form, definitions, table);
}

void LoadFormDefinition(TForm& form, std::string_view text, const std::string& fileName,
                        const PublishedTable& table) {
    std::vector<std::pair<DfmObject, std::string>> definitions;
    definitions.emplace_back(ParseDfm(text, fileName), fileName);
    ApplyAll(form, definitions, table);
}
