#include "core/mask.h"

#include "core/text.h"

namespace {

bool IsDigit(char32_t c) {
    return c >= U'0' && c <= U'9';
}

bool IsLetter(char32_t c) {
    return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') ||
           (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7);
}

bool IsInputChar(char32_t c) {
    switch (c) {
    case U'0':
    case U'9':
    case U'#':
    case U'L':
    case U'l':
    case U'A':
    case U'a':
    case U'C':
    case U'c':
        return true;
    default:
        return false;
    }
}

// Splits "mask;1;_" into its three parts, honouring "\;" inside the mask. Only the
// last two unescaped separators count, so literal semicolons may stand in the mask.
void SplitParts(std::u32string_view all, std::u32string& mask, bool& save, char32_t& blank) {
    std::vector<size_t> seps;
    for (size_t i = 0; i < all.size(); ++i) {
        if (all[i] == U'\\') {
            ++i;
        } else if (all[i] == U';') {
            seps.push_back(i);
        }
    }
    if (seps.size() >= 2) {
        const size_t a = seps[seps.size() - 2];
        const size_t b = seps.back();
        mask = all.substr(0, a);
        const std::u32string_view saveText = all.substr(a + 1, b - a - 1);
        save = !(saveText.size() == 1 && saveText[0] == U'0');
        blank = b + 1 < all.size() ? all[b + 1] : U'_';
    } else if (seps.size() == 1) {
        mask = all.substr(0, seps[0]);
        const std::u32string_view saveText = all.substr(seps[0] + 1);
        save = !(saveText.size() == 1 && saveText[0] == U'0');
    } else {
        mask = all;
    }
}

char32_t ApplyCase(char32_t c, int mode) {
    return mode > 0 ? UpperChar(c) : mode < 0 ? LowerChar(c) : c;
}

} // namespace

EditMask::EditMask(std::string_view editMask) {
    std::u32string mask;
    SplitParts(Utf8Decode(editMask), mask, saveLiterals_, blank_);
    int caseMode = 0;
    for (size_t i = 0; i < mask.size(); ++i) {
        const char32_t c = mask[i];
        if (c == U'!') {
            continue;
        }
        if (c == U'<' && i + 1 < mask.size() && mask[i + 1] == U'>') {
            caseMode = 0;
            ++i;
            continue;
        }
        if (c == U'>' || c == U'<') {
            caseMode = c == U'>' ? 1 : -1;
            continue;
        }
        Slot slot;
        slot.caseMode = caseMode;
        if (c == U'\\' && i + 1 < mask.size()) {
            slot.literal = true;
            slot.ch = mask[++i];
        } else if (IsInputChar(c)) {
            slot.ch = c;
            slot.required = c == U'0' || c == U'L' || c == U'A' || c == U'C';
        } else {
            slot.literal = true;
            slot.ch = c == U'_' ? U' ' : c;
        }
        slots_.push_back(slot);
    }
}

bool EditMask::Accepts(const Slot& slot, char32_t c) {
    switch (slot.ch) {
    case U'0':
    case U'9':
        return IsDigit(c);
    case U'#':
        return IsDigit(c) || c == U'+' || c == U'-';
    case U'L':
    case U'l':
        return IsLetter(c);
    case U'A':
    case U'a':
        return IsLetter(c) || IsDigit(c);
    default:
        return c >= U' ';
    }
}

std::string EditMask::Format(std::string_view value) const {
    if (slots_.empty()) {
        return std::string(value);
    }
    const std::u32string v = Utf8Decode(value);
    std::u32string out;
    out.reserve(slots_.size());
    size_t vi = 0;
    for (const Slot& slot : slots_) {
        if (slot.literal) {
            out += slot.ch;
            if (saveLiterals_ && vi < v.size() && v[vi] == slot.ch) {
                ++vi;
            }
            continue;
        }
        out += vi < v.size() ? ApplyCase(v[vi++], slot.caseMode) : blank_;
    }
    return Utf8Encode(out);
}

std::string EditMask::Strip(std::string_view editText) const {
    if (slots_.empty()) {
        return std::string(editText);
    }
    const std::u32string t = Utf8Decode(editText);
    std::u32string out;
    for (size_t i = 0; i < t.size(); ++i) {
        const bool literal = i < slots_.size() && slots_[i].literal;
        if (literal && !saveLiterals_) {
            continue;
        }
        out += (!literal && t[i] == blank_) ? U' ' : t[i];
    }
    if (!saveLiterals_) {
        while (!out.empty() && out.back() == U' ') {
            out.pop_back();
        }
    }
    return Utf8Encode(out);
}

int EditMask::FirstInvalidPosition(std::string_view editText) const {
    const std::u32string t = Utf8Decode(editText);
    for (size_t i = 0; i < slots_.size(); ++i) {
        const Slot& slot = slots_[i];
        if (slot.literal) {
            continue;
        }
        const char32_t c = i < t.size() ? t[i] : blank_;
        const bool empty = c == blank_ || c == U' ';
        if (empty ? slot.required : !Accepts(slot, c)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string FormatMaskText(std::string_view editMask, std::string_view value) {
    return EditMask(editMask).Format(value);
}

std::string InscriptionMask(std::string_view personKind) {
    if (personKind == "F") {
        return "999.999.999-99;0;_";
    }
    if (personKind == "J") {
        return "99.999.999/9999-99;0;_";
    }
    if (personKind == "I") {
        return "999.999.999.999;0;_";
    }
    return {};
}
