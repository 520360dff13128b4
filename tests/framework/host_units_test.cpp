#include "core/mask.h"
#include "framework/host/consiste.h"
#include "framework/host/messages.h"

#include <gtest/gtest.h>

namespace {

TEST(TMessages, FindsTextsByExactKey) {
    TMessages msg;
    msg.Messages.Add("CDFILIAL_ni|Filial deve ser informada.");
    msg.Messages.Add("F|Fornecedor");
    msg.Messages.Add("Nota|texto com | barra");
    msg.Messages.Add("F|segunda linha da mesma chave");
    msg.Messages.Add("linha sem barra");
    EXPECT_EQ(msg.Msg("CDFILIAL_ni"), "Filial deve ser informada.");
    EXPECT_EQ(msg.Msg("F"), "Fornecedor");
    EXPECT_EQ(msg.Msg("Nota"), "texto com | barra");
    EXPECT_EQ(msg.Msg("f"), "") << "keys are exact";
    EXPECT_EQ(msg.Msg(""), "");
    EXPECT_EQ(msg.Msg("NaoExiste"), "");
    msg.Messages.SetStrings(1, "F|Forn.");
    EXPECT_EQ(msg.Msg("F"), "Forn.");
}

struct AjustaCase {
    const char* code;
    int width;
    const char* stored;
};

void PrintTo(const AjustaCase& c, std::ostream* os) {
    *os << c.code << "/" << c.width;
}

class AjustaCases : public ::testing::TestWithParam<AjustaCase> {};

TEST_P(AjustaCases, BringsCodesToTheirWidth) {
    EXPECT_EQ(Consiste::Ajusta(GetParam().code, GetParam().width), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, AjustaCases,
    ::testing::Values(AjustaCase{"1", 4, "0001"}, AjustaCase{" 12 ", 2, "12"},
                      AjustaCase{"7", 2, "07"}, AjustaCase{"", 4, ""}, AjustaCase{"   ", 4, ""},
                      AjustaCase{"000123", 4, "0123"}, AjustaCase{"12345", 4, "1234"},
                      AjustaCase{"AB", 4, "AB"}, AjustaCase{"ABCDEF", 4, "ABCD"},
                      AjustaCase{"12", 10, "0000000012"}));

TEST(Consiste, EmptyStringCountsBlanksAsEmpty) {
    EXPECT_TRUE(Consiste::EmptyString(""));
    EXPECT_TRUE(Consiste::EmptyString(" \t "));
    EXPECT_FALSE(Consiste::EmptyString(" a "));
}

TEST(Consiste, InscriptionsKeepLettersAndDigitsInUpperCase) {
    std::string cpf = "529.982.247-25";
    Consiste::Ajusta_Inscricao(cpf);
    EXPECT_EQ(cpf, "52998224725");
    std::string mixed = " isento-ç 12/a ";
    Consiste::Ajusta_Inscricao(mixed);
    EXPECT_EQ(mixed, "ISENTOÇ12A");
}

TEST(Consiste, PersonKindChoosesTheInscriptionMask) {
    EXPECT_EQ(FormatMaskText(Consiste::PictPess("F"), "52998224725"), "529.982.247-25");
    EXPECT_EQ(FormatMaskText(Consiste::PictPess("J"), "11222333000181"), "11.222.333/0001-81");
    EXPECT_EQ(FormatMaskText(Consiste::PictPess("I"), "110042490114"), "110.042.490.114");
    EXPECT_EQ(Consiste::PictPess("O"), "");
    // An unknown kind has no mask: the inscription shows as stored.
    EXPECT_EQ(FormatMaskText(Consiste::PictPess("X"), "ABC123"), "ABC123");
}

} // namespace
