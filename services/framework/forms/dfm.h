#pragma once

#include "core/exceptions.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// A form definition that cannot be read or applied; the message names the file, the
/// line and what is wrong ("cli.dfm:12: propriedade desconhecida 'Captoin' em TLabel").
class EFormDefinitionError : public Exception {
public:
    using Exception::Exception;
};

struct DfmProperty;

/// One item of a collection (grid columns, query parameters).
struct DfmItem {
    std::vector<DfmProperty> properties;
    int line = 0;
};

struct DfmValue {
    enum Kind { String, Integer, Float, Boolean, Ident, Set, List, Collection } kind = String;
    std::string text;               ///< String and Ident
    std::int64_t integer = 0;       ///< Integer
    double number = 0;              ///< Float
    bool boolean = false;           ///< Boolean
    std::vector<std::string> items; ///< Set members and List strings
    std::vector<DfmItem> collection;
    int line = 0;
};

struct DfmProperty {
    std::string name; ///< may be dotted: "SQL.Strings", "Title.Caption"
    DfmValue value;
    int line = 0;
};

/// `object Name: TClass` (or `inherited Name: TClass` to change a component that the
/// base form already has), its properties, and the objects inside it, up to `end`.
struct DfmObject {
    bool inherited = false;
    std::string name;
    std::string className;
    std::vector<DfmProperty> properties;
    std::vector<DfmObject> children;
    int line = 0;
    int index = -1; ///< "[n]" after the class: the place among its container's items
};

/// Reads a definition. Values: 'text' ('' for a quote; 'a' + 'b' joins), numbers,
/// True/False, identifiers, [set, members], ('string' 'list'), <item ... end ...>.
/// "//" starts a comment. A new object may give its place among the children of an
/// inherited one as "object Name: TClass [n]". Raises EFormDefinitionError with file and line.
DfmObject ParseDfm(std::string_view text, const std::string& fileName);
