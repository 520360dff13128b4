#include "server_fixture.h"

#include "core/packet_json.h"

#include <gmock/gmock.h>

using ::testing::ElementsAreArray;

namespace {

TDateTime Day(int y, int m, int d) {
    return EncodeDate(y, m, d);
}

struct SelectionCase {
    const char* name;
    std::vector<Variant> params; // the 13 load parameters
    std::vector<std::string> keys;
};

void PrintTo(const SelectionCase& c, std::ostream* os) {
    *os << c.name;
}

// The 13 parameters with every criterion on "Todos" and the whole of Oct-Nov 2026;
// `change` adjusts them.
std::vector<Variant> Params(const std::function<void(std::vector<Variant>&)>& change = nullptr) {
    std::vector<Variant> p = {Variant(""),
                              Variant("T"),
                              Variant(""),
                              Variant("T"),
                              Variant(""),
                              Variant("T"),
                              Variant(Day(2026, 10, 1)),
                              Variant(Day(2026, 11, 30)),
                              Variant(""),
                              Variant("T"),
                              Variant(""),
                              Variant(""),
                              Variant("")};
    if (change) {
        change(p);
    }
    return p;
}

void Contacts(std::vector<Variant>& p, const char* c, const char* pr, const char* f) {
    p[10] = Variant(c);
    p[11] = Variant(pr);
    p[12] = Variant(f);
}

class Selection : public ServerTest, public ::testing::WithParamInterface<SelectionCase> {};

TEST_P(Selection, FollowsTheFilterRules) {
    const Variant result = net.Call("GetMovOcorr", GetParam().params);
    ASSERT_EQ(result.Type(), VarType::Packet) << result.AsString();
    EXPECT_THAT(Keys(result), ElementsAreArray(GetParam().keys));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Selection,
    ::testing::Values(
        SelectionCase{"todos: com contato, filial e operador cadastrados, por número",
                      Params(),
                      {"0001/01", "0002/01", "0012/01", "0001/02", "0001/03"}},
        SelectionCase{"filial em lista",
                      Params([](auto& p) {
                          p[0] = Variant("|0002|0012|");
                          p[1] = Variant("");
                      }),
                      {"0002/01", "0012/01"}},
        SelectionCase{
            "lista vazia não aceita nada", Params([](auto& p) { p[1] = Variant(""); }), {}},
        SelectionCase{"grupo",
                      Params([](auto& p) {
                          p[2] = Variant("|01|");
                          p[3] = Variant();
                      }),
                      {"0001/01", "0002/01"}},
        SelectionCase{"segmento: código nulo não passa numa lista",
                      Params([](auto& p) {
                          p[4] = Variant("|00001|");
                          p[5] = Variant("");
                      }),
                      {"0001/02"}},
        SelectionCase{"atendimento por chave inteira",
                      Params([](auto& p) {
                          p[8] = Variant("|0000000012|");
                          p[9] = Variant("");
                      }),
                      {"0001/03"}},
        SelectionCase{"um só dia inclui 23:59:59",
                      Params([](auto& p) {
                          p[6] = Variant(Day(2026, 10, 31));
                          p[7] = Variant(Day(2026, 10, 31));
                      }),
                      {"0001/02"}},
        SelectionCase{"um só dia inclui a meia-noite",
                      Params([](auto& p) {
                          p[6] = Variant(Day(2026, 11, 1));
                          p[7] = Variant(Day(2026, 11, 1));
                      }),
                      {"0001/03"}},
        SelectionCase{"um início com hora deixa de fora o próprio dia",
                      Params([](auto& p) {
                          p[6] = Variant(TDateTime(Day(2026, 10, 31).Value + 0.5));
                          p[7] = Variant(Day(2026, 11, 1));
                      }),
                      {"0001/03"}},
        SelectionCase{"um fim com hora inclui o dia inteiro",
                      Params([](auto& p) {
                          p[6] = Variant(Day(2026, 10, 31));
                          p[7] = Variant(TDateTime(Day(2026, 10, 31).Value + 0.25));
                      }),
                      {"0001/02"}},
        SelectionCase{"fim antes do início",
                      Params([](auto& p) {
                          p[6] = Variant(Day(2026, 11, 2));
                          p[7] = Variant(Day(2026, 11, 1));
                      }),
                      {}},
        SelectionCase{"datas nulas",
                      Params([](auto& p) {
                          p[6] = Variant();
                          p[7] = Variant();
                      }),
                      {}},
        SelectionCase{
            "nenhum tipo de contato", Params([](auto& p) { Contacts(p, "_", "_", "_"); }), {}},
        SelectionCase{
            "só clientes", Params([](auto& p) { Contacts(p, "", "_", "_"); }), {"0001/02"}},
        SelectionCase{"fornecedor 123 não traz o 12",
                      Params([](auto& p) { Contacts(p, "|F123|", "|F123|", "|F123|"); }),
                      {"0002/01"}},
        SelectionCase{"a letra do tipo conta: fornecedor 000001 não traz cliente 000001",
                      Params([](auto& p) { Contacts(p, "|F000001|", "|F000001|", "|F000001|"); }),
                      {"0001/01"}},
        SelectionCase{"lista de contatos de tipos diferentes",
                      Params([](auto& p) {
                          Contacts(p, "|C000001|P000001|", "|C000001|P000001|",
                                   "|C000001|P000001|");
                      }),
                      {"0001/02", "0001/03"}}));

TEST_F(ServerTest, TheSelectionCarriesTheLookedUpColumnsAndTheCounterpartKind) {
    const Variant result = net.Call("GetMovOcorr", Params([](auto& p) {
                                        p[0] = Variant("|0001|");
                                        p[1] = Variant("");
                                    }));
    const DataPacket& p = result.AsPacket();
    ASSERT_EQ(p.fields.size(), 41u);
    ASSERT_EQ(p.rows.size(), 3u);
    auto value = [&](size_t row, const char* field) {
        return p.rows[row][static_cast<size_t>(p.FieldIndex(field))];
    };
    EXPECT_EQ(value(0, "NMFILIAL"), Variant("Matriz"));
    EXPECT_EQ(value(0, "NMOPERADOR"), Variant("Ana"));
    EXPECT_EQ(value(0, "TIPO"), Variant("F"));
    EXPECT_EQ(value(0, "NMRAZSOC"), Variant("Aços Brasil S.A."));
    EXPECT_EQ(value(0, "NRNOTAFISC"), Variant("0001234"));
    EXPECT_EQ(value(0, "NMRAZSOCTRANS"), Variant("Cento e Vinte e Três Ltda"));
    EXPECT_EQ(value(0, "DSOCORR"), Variant("Fora da especificação"));
    EXPECT_EQ(value(0, "DSREFETAREFA"), Variant("Visita"));
    EXPECT_EQ(value(0, "DTOCORRMOV"),
              Variant(CombineDateTime(Day(2026, 10, 10), EncodeTime(9, 30, 0, 0))));
    EXPECT_EQ(value(1, "TIPO"), Variant("C"));
    EXPECT_EQ(value(1, "IDTPIJUR"), Variant("F"));
    EXPECT_EQ(value(2, "TIPO"), Variant("P"));
    EXPECT_TRUE(value(2, "DSGRPOCOR").IsNull()) << "outer joins leave missing partners null";
}

} // namespace

namespace {

// The streamed answer writes each cell as the packet of the same rows would be written,
// whatever the text holds: quotes, backslashes, control characters, bytes that are not
// UTF-8, a character of code zero, a number stored in a text column, an empty text, a null.
TEST_F(ServerTest, TheStreamedSelectionWritesTextsAsThePacketWould) {
    auto db = oca::db::Database::Open(url);
    const char* awkward[] = {"aspas \" e barra \\ e\ttab", "", "fim\x01", "ação ✓"};
    int n = 1;
    for (const char* text : awkward) {
        auto st = db->Prepare("UPDATE MOVOCORR SET DSSUMARIAOC = :T WHERE NROCORRMOV = :N");
        st->Bind("T", Variant(std::string(text)));
        st->Bind("N", Variant("000000000" + std::to_string(n++)));
        st->Execute();
    }
    if (db->product() == oca::db::Product::SQLite) {
        db->ExecuteScript("UPDATE MOVOCORR SET NMPESSIDETOC = 42 WHERE NROCORRMOV = '0000000001';"
                          "UPDATE MOVOCORR SET DSCLASSOCOR = X'C3' || 'x' "
                          "WHERE NROCORRMOV = '0000000002';"
                          "UPDATE MOVOCORR SET NMPESSIDETOC = CAST(X'610062' AS TEXT) "
                          "WHERE NROCORRMOV = '0000000003'");
    }
    const std::vector<Variant> selection = WholeSelection();
    const oca::server::Args args("GetMovOcorr", selection);
    std::string streamed;
    oca::server::GetMovOcorrText(*db, args, streamed, nullptr);
    std::string whole;
    AppendVariantJson(whole, oca::server::GetMovOcorr(*db, args));
    EXPECT_EQ(streamed, whole);
    EXPECT_THAT(streamed, ::testing::HasSubstr(R"(aspas \" e barra \\ e\ttab)"));
}

} // namespace
