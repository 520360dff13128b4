#pragma once

#include "framework/forms/dfm.h"
#include "framework/forms/published.h"

#include <string>
#include <string_view>
#include <vector>

class TForm;

/// The definition of one form class as a module ships it.
struct FormResource {
    std::string className;
    std::string baseClass; ///< the class whose definition comes first; empty for none
    std::string fileName;  ///< named in load errors
    std::string text;
};

/// The form definitions of the loaded modules. A later module may replace a class's
/// definition; unloading a module takes its definitions away.
class ModuleRegistry {
public:
    static ModuleRegistry& Instance();
    void RegisterModule(const std::string& module, std::vector<FormResource> resources);
    void UnregisterModule(const std::string& module);
    bool IsRegistered(const std::string& module) const;
    const FormResource* FindForm(const std::string& className) const;

private:
    std::vector<std::pair<std::string, std::vector<FormResource>>> modules_;
};

/// Resource bundle text: each definition introduced by a line
/// "#form CLASS BASE FILE" (BASE "-" for none), its text up to the next such line.
std::vector<FormResource> ParseResourceBundle(std::string_view text, const std::string& fileName);
std::string WriteResourceBundle(const std::vector<FormResource>& resources);
/// The resources of a module: those of the language file beside it
/// ("<module path>.<language>") when it exists, else the module's own.
std::vector<FormResource> LoadResourceModule(const std::string& modulePath,
                                             std::vector<FormResource> builtIn,
                                             const std::string& language = "pt_BR");

/// Builds `form` from the registered definitions of `className` and its base classes
/// (base first): creates the components, sets their properties, binds each event to
/// the handler of that name in `table` and each published member to its component.
/// Raises EFormDefinitionError naming file, line and name on an unknown class,
/// property or handler, a handler of another signature, or a missing component.
void InitInheritedComponent(TForm& form, const std::string& className, const PublishedTable& table);
/// Applies one definition text to `form` (the same rules, without the registry).
void LoadFormDefinition(TForm& form, std::string_view text, const std::string& fileName,
                        const PublishedTable& table);
