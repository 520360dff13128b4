#pragma once

#include <string>
#include <string_view>
#include <vector>

/// An edit mask in the desktop framework's syntax: "mask;save-literals;blank", for
/// example "999;0; " (three optional digits, literals not saved, blank shown as space)
/// or "99:99;1; " (hour, the colon saved). Mask characters: 0 digit, 9 optional digit,
/// # digit or sign, L letter, l optional letter, A letter or digit, a optional one,
/// C any character, c optional one, > upper case and < lower case from there on (<>
/// neither), \ takes the next character literally, _ a blank literal, ! (ignored here:
/// alignment only). Everything else is a literal. A missing "save-literals" part means
/// literals are saved; a missing blank part means "_".
class EditMask {
public:
    struct Slot {
        bool literal = false;
        char32_t ch = 0;  ///< the literal, or the mask character of an input slot
        int caseMode = 0; ///< +1 upper, -1 lower, 0 as typed
        bool required = false;
    };

    EditMask() = default;
    explicit EditMask(std::string_view editMask);

    bool Empty() const { return slots_.empty(); }
    bool SaveLiterals() const { return saveLiterals_; }
    char32_t BlankChar() const { return blank_; }
    const std::vector<Slot>& Slots() const { return slots_; }
    /// Number of characters of the text shown (literals included).
    size_t Length() const { return slots_.size(); }

    /// The text an edit shows for a stored value: the value's characters fill the
    /// input positions left to right (case rules applied), literals stand in place,
    /// unfilled positions show the blank character. With literals saved, a value
    /// character equal to the literal at its place is taken as that literal.
    std::string Format(std::string_view value) const;
    /// The value an edit stores for the text it shows: blank characters become spaces;
    /// without saved literals only the input positions are kept and trailing spaces
    /// dropped.
    std::string Strip(std::string_view editText) const;
    /// Index of the first required position left blank or holding a character its
    /// slot does not accept; -1 when the text is complete.
    int FirstInvalidPosition(std::string_view editText) const;
    /// Whether a typed character fits an input slot.
    static bool Accepts(const Slot& slot, char32_t c);

private:
    std::vector<Slot> slots_;
    bool saveLiterals_ = true;
    char32_t blank_ = U'_';
};

/// The edit mask of an inscription number by its person kind: "F" a natural person's
/// (CPF), "J" a company's (CNPJ), "I" a state inscription; "" for any other kind.
std::string InscriptionMask(std::string_view personKind);

/// The desktop framework's FormatMaskText: `value` shown through `editMask`.
std::string FormatMaskText(std::string_view editMask, std::string_view value);
