#include "framework/forms/dfm.h"

#include <algorithm>

#include <cctype>

namespace {

class DfmParser {
public:
    DfmParser(std::string_view text, const std::string& file) : text_(text), file_(file) {}

    DfmObject ParseRoot() {
        SkipBlank();
        DfmObject root = ParseObject();
        SkipBlank();
        if (pos_ < text_.size()) {
            Fail("texto depois do 'end' final");
        }
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw EFormDefinitionError(file_ + ":" + std::to_string(line_) + ": " + what);
    }

    void SkipBlank() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++pos_;
            } else if (c == '/' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '/') {
                while (pos_ < text_.size() && text_[pos_] != '\n') {
                    ++pos_;
                }
            } else {
                break;
            }
        }
    }

    bool IsWordChar(char c) const {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
    }

    std::string Word() {
        SkipBlank();
        const size_t start = pos_;
        while (pos_ < text_.size() && IsWordChar(text_[pos_])) {
            ++pos_;
        }
        return std::string(text_.substr(start, pos_ - start));
    }

    std::string PeekWord() {
        const size_t savedPos = pos_;
        const int savedLine = line_;
        std::string w = Word();
        pos_ = savedPos;
        line_ = savedLine;
        return w;
    }

    void Expect(char c) {
        SkipBlank();
        if (pos_ >= text_.size() || text_[pos_] != c) {
            Fail(std::string("'") + c + "' esperado");
        }
        ++pos_;
    }

    bool Accept(char c) {
        SkipBlank();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    DfmObject ParseObject() {
        DfmObject obj;
        obj.line = line_;
        const std::string kind = Word();
        if (kind != "object" && kind != "inherited") {
            Fail("'object' ou 'inherited' esperado, encontrado '" + kind + "'");
        }
        obj.inherited = kind == "inherited";
        obj.name = Word();
        Expect(':');
        obj.className = Word();
        if (obj.name.empty() || obj.className.empty()) {
            Fail("nome e classe do objeto esperados");
        }
        if (Accept('[')) {
            // A component new in an inherited definition may name its place among the
            // base's children: "object mnuDescricao: TMenuItem [2]".
            const std::string index = Word();
            if (index.empty() ||
                !std::all_of(index.begin(), index.end(), [](char c) { return std::isdigit(c); })) {
                Fail("posição do objeto esperada entre colchetes");
            }
            obj.index = std::stoi(index);
            Expect(']');
        }
        for (;;) {
            SkipBlank();
            if (pos_ >= text_.size()) {
                Fail("'end' de " + obj.name + " não encontrado");
            }
            const std::string next = PeekWord();
            if (next == "end") {
                Word();
                return obj;
            }
            if (next == "object" || next == "inherited") {
                obj.children.push_back(ParseObject());
                continue;
            }
            obj.properties.push_back(ParseProperty());
        }
    }

    DfmProperty ParseProperty() {
        DfmProperty prop;
        prop.line = line_;
        prop.name = Word();
        if (prop.name.empty()) {
            Fail("nome de propriedade esperado");
        }
        Expect('=');
        prop.value = ParseValue();
        return prop;
    }

    std::string ParseString() {
        std::string out;
        for (;;) {
            Expect('\'');
            for (;;) {
                if (pos_ >= text_.size() || text_[pos_] == '\n') {
                    Fail("texto entre aspas não fechado");
                }
                if (text_[pos_] == '\'') {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
                        out += '\'';
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                out += text_[pos_++];
            }
            if (!Accept('+')) {
                return out;
            }
        }
    }

    DfmValue ParseValue() {
        SkipBlank();
        DfmValue v;
        v.line = line_;
        if (pos_ >= text_.size()) {
            Fail("valor esperado");
        }
        const char c = text_[pos_];
        if (c == '\'') {
            v.kind = DfmValue::String;
            v.text = ParseString();
        } else if (c == '[') {
            ++pos_;
            v.kind = DfmValue::Set;
            while (!Accept(']')) {
                const std::string member = Word();
                if (member.empty()) {
                    Fail("membro de conjunto esperado");
                }
                v.items.push_back(member);
                Accept(',');
            }
        } else if (c == '(') {
            ++pos_;
            v.kind = DfmValue::List;
            while (!Accept(')')) {
                v.items.push_back(ParseString());
            }
        } else if (c == '<') {
            ++pos_;
            v.kind = DfmValue::Collection;
            while (!Accept('>')) {
                DfmItem item;
                item.line = line_;
                if (Word() != "item") {
                    Fail("'item' esperado");
                }
                while (PeekWord() != "end") {
                    if (pos_ >= text_.size()) {
                        Fail("'end' do item não encontrado");
                    }
                    item.properties.push_back(ParseProperty());
                }
                Word();
                v.collection.push_back(std::move(item));
            }
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '-') {
            ParseNumber(v);
        } else {
            const std::string word = Word();
            if (word.empty()) {
                Fail(std::string("valor inesperado '") + c + "'");
            }
            if (word == "True" || word == "False") {
                v.kind = DfmValue::Boolean;
                v.boolean = word == "True";
            } else {
                v.kind = DfmValue::Ident;
                v.text = word;
            }
        }
        return v;
    }

    void ParseNumber(DfmValue& v) {
        const size_t start = pos_;
        ++pos_;
        bool isFloat = false;
        while (pos_ < text_.size() &&
               (std::isdigit(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '.')) {
            isFloat = isFloat || text_[pos_] == '.';
            ++pos_;
        }
        const std::string number(text_.substr(start, pos_ - start));
        try {
            if (isFloat) {
                v.kind = DfmValue::Float;
                v.number = std::stod(number);
            } else {
                v.kind = DfmValue::Integer;
                v.integer = std::stoll(number);
            }
        } catch (const std::exception&) {
            Fail("número inválido '" + number + "'");
        }
    }

    std::string_view text_;
    const std::string& file_;
    size_t pos_ = 0;
    int line_ = 1;
};

} // namespace

DfmObject ParseDfm(std::string_view text, const std::string& fileName) {
    return DfmParser(text, fileName).ParseRoot();
}
