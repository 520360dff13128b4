#pragma once

#include "core/variant.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

/// A data set's Filter text, compiled once. Grammar:
///   expr   := term { OR term }
///   term   := factor { AND factor }
///   factor := NOT factor | "(" expr ")" | operand op operand | operand IS [NOT] NULL
///   op     := = | <> | < | > | <= | >=
///   operand:= field name (or [name]) | 'text' ('' for a quote) | number | NULL
/// Keywords ignore case. Comparing with null is true only for "=" between two nulls and
/// for "<>" between a null and a value. Texts compare exactly unless case is ignored.
class FilterExpression {
public:
    /// Raises EDatabaseError "Filtro inválido: ..." naming the place of the error.
    static FilterExpression Parse(std::string_view text);

    /// The field names the expression reads, in order of first use.
    const std::vector<std::string>& FieldNames() const { return fieldNames_; }

    /// `valueOf(i)` is the value of FieldNames()[i] for the row being tested.
    bool Matches(const std::function<Variant(size_t)>& valueOf, bool caseInsensitive) const;

    struct Node;

private:
    std::shared_ptr<const Node> root_;
    std::vector<std::string> fieldNames_;
};
