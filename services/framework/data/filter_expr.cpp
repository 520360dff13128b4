#include "framework/data/filter_expr.h"

#include "core/exceptions.h"
#include "core/text.h"

#include <cctype>

struct FilterExpression::Node {
    enum Kind { Or, And, Not, Compare, IsNull, Field, Literal } kind = Literal;
    std::string op;      // for Compare: = <> < > <= >=
    bool negate = false; // IS NOT NULL
    size_t fieldIndex = 0;
    Variant literal;
    std::shared_ptr<const Node> left, right;
};

namespace {

using NodePtr = std::shared_ptr<const FilterExpression::Node>;
using Node = FilterExpression::Node;

struct Token {
    enum Kind { End, Ident, Text, Number, Op, LParen, RParen } kind = End;
    std::string text;
    size_t pos = 0;
};

class Parser {
public:
    Parser(std::string_view text, std::vector<std::string>& names) : text_(text), names_(names) {
        Advance();
    }

    NodePtr ParseAll() {
        NodePtr n = ParseOr();
        if (tok_.kind != Token::End) {
            Error("texto inesperado '" + tok_.text + "'");
        }
        return n;
    }

private:
    [[noreturn]] void Error(const std::string& what) const {
        throw EDatabaseError("Filtro inválido: " + what + " na posição " +
                             std::to_string(tok_.pos + 1) + " de \"" + std::string(text_) + "\"");
    }

    bool IsKeyword(const char* word) const {
        return tok_.kind == Token::Ident && SameText(tok_.text, word);
    }

    void Advance() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
            ++pos_;
        }
        tok_ = Token{};
        tok_.pos = pos_;
        if (pos_ >= text_.size()) {
            return;
        }
        const char c = text_[pos_];
        if (c == '\'') {
            ReadText();
        } else if (c == '[') {
            const size_t end = text_.find(']', pos_);
            if (end == std::string_view::npos) {
                Error("']' não fechado");
            }
            tok_.kind = Token::Ident;
            tok_.text = std::string(text_.substr(pos_ + 1, end - pos_ - 1));
            pos_ = end + 1;
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '-' && pos_ + 1 < text_.size() &&
                    std::isdigit(static_cast<unsigned char>(text_[pos_ + 1])))) {
            size_t end = pos_ + 1;
            while (end < text_.size() &&
                   (std::isdigit(static_cast<unsigned char>(text_[end])) || text_[end] == '.')) {
                ++end;
            }
            tok_.kind = Token::Number;
            tok_.text = std::string(text_.substr(pos_, end - pos_));
            pos_ = end;
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_' ||
                   static_cast<unsigned char>(c) >= 0x80) {
            size_t end = pos_;
            while (end < text_.size() &&
                   (std::isalnum(static_cast<unsigned char>(text_[end])) || text_[end] == '_' ||
                    static_cast<unsigned char>(text_[end]) >= 0x80)) {
                ++end;
            }
            tok_.kind = Token::Ident;
            tok_.text = std::string(text_.substr(pos_, end - pos_));
            pos_ = end;
        } else if (c == '(' || c == ')') {
            tok_.kind = c == '(' ? Token::LParen : Token::RParen;
            tok_.text = std::string(1, c);
            ++pos_;
        } else if (c == '=' || c == '<' || c == '>') {
            ReadOperator();
        } else {
            Error("caractere inesperado '" + std::string(1, c) + "'");
        }
    }

    void ReadText() {
        std::string value;
        size_t i = pos_ + 1;
        for (;;) {
            if (i >= text_.size()) {
                Error("texto entre aspas não fechado");
            }
            if (text_[i] == '\'') {
                if (i + 1 < text_.size() && text_[i + 1] == '\'') {
                    value += '\'';
                    i += 2;
                    continue;
                }
                break;
            }
            value += text_[i++];
        }
        tok_.kind = Token::Text;
        tok_.text = std::move(value);
        pos_ = i + 1;
    }

    void ReadOperator() {
        std::string op(1, text_[pos_++]);
        if (pos_ < text_.size() && op != "=" &&
            (text_[pos_] == '=' || (op == "<" && text_[pos_] == '>'))) {
            op += text_[pos_++];
        }
        tok_.kind = Token::Op;
        tok_.text = op;
    }

    NodePtr Binary(Node::Kind kind, NodePtr left, NodePtr right) {
        auto n = std::make_shared<Node>();
        n->kind = kind;
        n->left = std::move(left);
        n->right = std::move(right);
        return n;
    }

    NodePtr ParseOr() {
        NodePtr left = ParseAnd();
        while (IsKeyword("OR")) {
            Advance();
            left = Binary(Node::Or, left, ParseAnd());
        }
        return left;
    }

    NodePtr ParseAnd() {
        NodePtr left = ParseFactor();
        while (IsKeyword("AND")) {
            Advance();
            left = Binary(Node::And, left, ParseFactor());
        }
        return left;
    }

    NodePtr ParseFactor() {
        if (IsKeyword("NOT")) {
            Advance();
            return Binary(Node::Not, ParseFactor(), nullptr);
        }
        if (tok_.kind == Token::LParen) {
            Advance();
            NodePtr inner = ParseOr();
            if (tok_.kind != Token::RParen) {
                Error("')' esperado");
            }
            Advance();
            return inner;
        }
        return ParseComparison();
    }

    NodePtr ParseComparison() {
        NodePtr left = ParseOperand();
        if (IsKeyword("IS")) {
            Advance();
            auto n = std::make_shared<Node>();
            n->kind = Node::IsNull;
            if (IsKeyword("NOT")) {
                n->negate = true;
                Advance();
            }
            if (!IsKeyword("NULL")) {
                Error("NULL esperado depois de IS");
            }
            Advance();
            n->left = left;
            return n;
        }
        if (tok_.kind != Token::Op) {
            Error("operador de comparação esperado");
        }
        auto n = std::make_shared<Node>();
        n->kind = Node::Compare;
        n->op = tok_.text;
        Advance();
        n->left = left;
        n->right = ParseOperand();
        return n;
    }

    NodePtr ParseOperand() {
        auto n = std::make_shared<Node>();
        switch (tok_.kind) {
        case Token::Text:
            n->kind = Node::Literal;
            n->literal = Variant(tok_.text);
            break;
        case Token::Number: {
            n->kind = Node::Literal;
            double d = 0;
            if (!TryStrToFloat(tok_.text, d)) {
                Error("número inválido '" + tok_.text + "'");
            }
            n->literal = Variant(d);
            break;
        }
        case Token::Ident:
            if (SameText(tok_.text, "NULL")) {
                n->kind = Node::Literal;
                break;
            }
            if (SameText(tok_.text, "AND") || SameText(tok_.text, "OR") ||
                SameText(tok_.text, "NOT") || SameText(tok_.text, "IS")) {
                Error("campo ou valor esperado");
            }
            n->kind = Node::Field;
            n->fieldIndex = FieldSlot(tok_.text);
            break;
        default:
            Error(tok_.kind == Token::End ? "fim inesperado" : "campo ou valor esperado");
        }
        Advance();
        return n;
    }

    size_t FieldSlot(const std::string& name) {
        for (size_t i = 0; i < names_.size(); ++i) {
            if (SameText(names_[i], name)) {
                return i;
            }
        }
        names_.push_back(name);
        return names_.size() - 1;
    }

    std::string_view text_;
    std::vector<std::string>& names_;
    size_t pos_ = 0;
    Token tok_;
};

// Orders two non-null values: numbers and dates by value, anything else as text.
int CompareValues(const Variant& a, const Variant& b, bool caseInsensitive) {
    const bool aNum =
        a.Type() == VarType::Integer || a.Type() == VarType::Float || a.Type() == VarType::DateTime;
    const bool bNum =
        b.Type() == VarType::Integer || b.Type() == VarType::Float || b.Type() == VarType::DateTime;
    if (aNum || bNum) {
        double x = 0, y = 0;
        try {
            x = a.Type() == VarType::String && b.Type() == VarType::DateTime ? a.AsDateTime().Value
                                                                             : a.AsFloat();
            y = b.Type() == VarType::String && a.Type() == VarType::DateTime ? b.AsDateTime().Value
                                                                             : b.AsFloat();
        } catch (const EConvertError&) {
            // A text that is no number never equals one; order it after numbers.
            return aNum ? -1 : 1;
        }
        return x < y ? -1 : x > y ? 1 : 0;
    }
    std::string x = a.AsString();
    std::string y = b.AsString();
    if (caseInsensitive) {
        x = UpperCase(x);
        y = UpperCase(y);
    }
    return x.compare(y) < 0 ? -1 : x.compare(y) > 0 ? 1 : 0;
}

Variant EvalOperand(const Node& n, const std::function<Variant(size_t)>& valueOf) {
    return n.kind == Node::Field ? valueOf(n.fieldIndex) : n.literal;
}

bool Eval(const Node& n, const std::function<Variant(size_t)>& valueOf, bool ci) {
    switch (n.kind) {
    case Node::Or:
        return Eval(*n.left, valueOf, ci) || Eval(*n.right, valueOf, ci);
    case Node::And:
        return Eval(*n.left, valueOf, ci) && Eval(*n.right, valueOf, ci);
    case Node::Not:
        return !Eval(*n.left, valueOf, ci);
    case Node::IsNull:
        return EvalOperand(*n.left, valueOf).IsNull() != n.negate;
    case Node::Compare: {
        const Variant a = EvalOperand(*n.left, valueOf);
        const Variant b = EvalOperand(*n.right, valueOf);
        if (a.IsNull() || b.IsNull()) {
            const bool bothNull = a.IsNull() && b.IsNull();
            return n.op == "=" ? bothNull : n.op == "<>" ? !bothNull : false;
        }
        const int c = CompareValues(a, b, ci);
        if (n.op == "=") {
            return c == 0;
        }
        if (n.op == "<>") {
            return c != 0;
        }
        if (n.op == "<") {
            return c < 0;
        }
        if (n.op == ">") {
            return c > 0;
        }
        if (n.op == "<=") {
            return c <= 0;
        }
        return c >= 0;
    }
    default:
        return !EvalOperand(n, valueOf).IsNull() && EvalOperand(n, valueOf).AsBoolean();
    }
}

} // namespace

FilterExpression FilterExpression::Parse(std::string_view text) {
    FilterExpression expr;
    Parser parser(text, expr.fieldNames_);
    expr.root_ = parser.ParseAll();
    return expr;
}

bool FilterExpression::Matches(const std::function<Variant(size_t)>& valueOf,
                               bool caseInsensitive) const {
    return root_ && Eval(*root_, valueOf, caseInsensitive);
}
