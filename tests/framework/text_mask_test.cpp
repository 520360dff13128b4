#include "core/exceptions.h"
#include "core/mask.h"
#include "core/text.h"
#include "core/variant.h"

#include <gtest/gtest.h>

namespace {

TEST(Text, CountsAndCutsCharactersNotBytes) {
    EXPECT_EQ(Utf8Length("Ocorrência"), 10u);
    EXPECT_EQ(std::string("Ocorrência").size(), 11u);
    EXPECT_EQ(Utf8Left("Ocorrência", 7), "Ocorrên");
    EXPECT_EQ(Utf8Left("Ocorrência", 6), "Ocorrê");
    EXPECT_EQ(Utf8Left("ação", 100), "ação");
    // A malformed byte counts as one character and is never split further.
    EXPECT_EQ(Utf8Length("a\xC3"), 2u);
}

TEST(Text, UpperAndLowerCaseCoverPortugueseLetters) {
    EXPECT_EQ(UpperCase("ocorrência ação çãõ àéíóú"), "OCORRÊNCIA AÇÃO ÇÃÕ ÀÉÍÓÚ");
    EXPECT_EQ(LowerCase("SÃO JOSÉ"), "são josé");
    EXPECT_EQ(Trim("\t  texto \r\n"), "texto");
}

// Plain ASCII is settled byte by byte; anything else by the full upper case.
TEST(Text, SameTextAndStartsTextIgnoreCaseOnly) {
    const struct {
        const char* a;
        const char* b;
        bool same;
        bool starts; ///< a begins b
    } cases[] = {
        {"Situação", "SITUAÇÃO", true, true},
        {"Situação", "SITUACAO", false, false},
        {"aç", "AÇÃO", false, true},
        {"0000100000", "0000100000", true, true},
        {"abc", "ABC", true, true},
        {"abd", "ABC", false, false},
        {"ab", "ABC", false, true},
        {"abc", "AB", false, false},
        {"a[", "A{", false, false}, // '[' and '{' are 32 apart but are not letters
        {"@", "`", false, false},
        {"éa", "ÉA", true, true},
        {"aé", "Aé", true, true},
        {"", "", true, true},
        {"", "x", false, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SameText(c.a, c.b), c.same) << c.a << " / " << c.b;
        EXPECT_EQ(StartsText(c.a, c.b), c.starts) << c.a << " / " << c.b;
    }
}

struct MaskCase {
    const char* mask;
    const char* value;
    const char* shown;
};

void PrintTo(const MaskCase& c, std::ostream* os) {
    *os << std::string(c.mask) + " <- " + c.value;
}

class FormatMaskTextCases : public ::testing::TestWithParam<MaskCase> {};

TEST_P(FormatMaskTextCases, ShowsTheValueThroughTheMask) {
    EXPECT_EQ(FormatMaskText(GetParam().mask, GetParam().value), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Vcl, FormatMaskTextCases,
    ::testing::Values(
        // Literals not saved: the value holds only the input characters.
        MaskCase{"999.999.999-99;0;_", "12345678901", "123.456.789-01"},
        MaskCase{"99.999.999/9999-99;0;_", "12345678000190", "12.345.678/0001-90"},
        MaskCase{"999.999.999-99;0;_", "123", "123.___.___-__"},
        // Literals saved: a value character equal to the literal is that literal.
        MaskCase{"999.999.999-99;1;_", "123.456.789-01", "123.456.789-01"},
        MaskCase{"99:99;1; ", "09:30", "09:30"}, MaskCase{"99:99;1; ", "0930", "09:30"},
        MaskCase{"99:99;1; ", "", "  :  "}, MaskCase{"999;0; ", "12", "12 "},
        MaskCase{">ccccc;0; ", "ab1", "AB1  "}, MaskCase{"<LL>LL;0;_", "ABcd", "abCD"},
        MaskCase{"\\(99\\);0;_", "12", "(12)"}, MaskCase{"", "sem máscara", "sem máscara"}));

TEST(EditMask, StripsWhatTheEditShowsIntoWhatTheFieldStores) {
    EXPECT_EQ(EditMask("999.999.999-99;0;_").Strip("123.456.789-01"), "12345678901");
    EXPECT_EQ(EditMask("999;0; ").Strip("12 "), "12");
    EXPECT_EQ(EditMask("999.999.999-99;0;_").Strip("123.4__.___-__"), "1234");
    EXPECT_EQ(EditMask("99:99;1; ").Strip("09:30"), "09:30");
    EXPECT_EQ(EditMask("99:99;1; ").Strip("  :  "), "  :  ");
    EXPECT_EQ(EditMask("99:99;1;_").Strip("1_:3_"), "1 :3 ");
}

TEST(EditMask, ParsesPartsAndDefaults) {
    const EditMask hour("99:99;1; ");
    EXPECT_TRUE(hour.SaveLiterals());
    EXPECT_EQ(hour.BlankChar(), U' ');
    EXPECT_EQ(hour.Length(), 5u);
    const EditMask bare("000");
    EXPECT_TRUE(bare.SaveLiterals());
    EXPECT_EQ(bare.BlankChar(), U'_');
    EXPECT_FALSE(EditMask("999;0; ").SaveLiterals());
}

TEST(EditMask, ReportsTheFirstRequiredPositionLeftBlankOrWrong) {
    const EditMask cpf("000.000.000-00;0;_");
    EXPECT_EQ(cpf.FirstInvalidPosition("123.456.789-01"), -1);
    EXPECT_EQ(cpf.FirstInvalidPosition("123.4__.___-__"), 5);
    EXPECT_EQ(cpf.FirstInvalidPosition("12A.456.789-01"), 2);
    // Optional digits may stay blank, but a letter in one is still wrong.
    EXPECT_EQ(EditMask("999;0; ").FirstInvalidPosition("1  "), -1);
    EXPECT_EQ(EditMask("999;0; ").FirstInvalidPosition("1x "), 1);
}

TEST(Variant, ConvertsTextsWithPtBrRulesAndNamesBadInput) {
    EXPECT_EQ(Variant(1.5).AsString(), "1,5");
    EXPECT_EQ(Variant("2,25").AsFloat(), 2.25);
    EXPECT_EQ(Variant("2.25").AsFloat(), 2.25);
    EXPECT_EQ(Variant(" 42 ").AsInteger(), 42);
    EXPECT_EQ(Variant().AsString(), "");
    EXPECT_TRUE(Variant("S").AsBoolean());
    try {
        Variant("12a").AsInteger();
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_NE(e.Message().find("'12a'"), std::string::npos);
    }
    EXPECT_THROW(Variant("abc").AsFloat(), EConvertError);
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn", Variant("2026-11-10 09:30:00").AsDateTime()),
              "10/11/2026 09:30");
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn", Variant("10/11/2026 09:30").AsDateTime()),
              "10/11/2026 09:30");
}

} // namespace
