// The history of an occurrence: every stored change, by whom and when, from what to what,
// written with the change and never altered.
#include "confirm_fixture.h"

namespace {

using ::testing::HasSubstr;

struct Entry {
    std::string op, kind, column, before, after;
};

class History : public Confirm {
protected:
    std::vector<Entry> Of(TNetConnection& client, const std::string& branch,
                          const std::string& number) {
        const Variant answer = client.Call("GetHistorico", {Variant(branch), Variant(number)});
        EXPECT_FALSE(answer.IsError()) << answer.AsString();
        const DataPacket& p = answer.AsPacket();
        std::vector<Entry> out;
        const auto at = [&](const Row& row, const char* name) {
            return row[static_cast<size_t>(p.FieldIndex(name))].AsString();
        };
        for (const Row& row : p.rows) {
            out.push_back({at(row, "CDOPERADOR"), at(row, "DSOPERACAO"), at(row, "NMCAMPO"),
                           at(row, "DSVALORANT"), at(row, "DSVALORNOVO")});
        }
        return out;
    }
    static const Entry* Find(const std::vector<Entry>& entries, const std::string& kind,
                             const std::string& column) {
        for (const Entry& e : entries) {
            if (e.kind == kind && e.column == column) {
                return &e;
            }
        }
        return nullptr;
    }
};

TEST_F(History, InsertAlterTextAndDeleteAreListedNewestFirstWithWhoAndWhat) {
    TNetConnection bruno;
    Connect(bruno);
    SignInAs(bruno, "002");
    TClientDataSet cds;
    Load(cds);
    AppendNew(cds);
    cds.Edit();
    cds.FieldByName("DSSUMARIAOC").SetAsString("Primeira");
    cds.FieldByName("DTOCORRMOV").SetAsDateTime(EncodeDate(2026, 11, 20));
    cds.FieldByName("CDFORNECED").SetAsString("000001");
    cds.Post();
    const std::string number = Send(&cds, nullptr, nullptr);
    ASSERT_EQ(number.size(), 10u) << number;

    TClientDataSet theirs;
    theirs.SetData(bruno.Call("GetMovOcorr", AllOfBranch1()));
    ASSERT_TRUE(theirs.Locate("NROCORRMOV", Variant(number)));
    theirs.Edit();
    theirs.FieldByName("DSSUMARIAOC").SetAsString("Segunda");
    theirs.Post();
    ASSERT_EQ(
        bruno.Call("Confirma", {theirs.GetDelta(), Variant(), Variant(), Variant("")}).AsString(),
        "");

    TClientDataSet text;
    text.SetData(net.Call("GetDescMovOcorr", {Variant("0001"), Variant(number)}));
    text.Append();
    text.FieldByName("CDFILILANCMO").SetAsString("0001");
    text.FieldByName("NROCORRMOV").SetAsString(number);
    text.FieldByName("DSMOVOCORR").SetAsString("<p>Relato</p>");
    text.Post();
    ASSERT_EQ(Send(nullptr, nullptr, &text), "");
    ASSERT_FALSE(bruno.Call("DelOcorr", {Variant("0001"), Variant(number)}).IsError());

    // Readable by its key after the occurrence is gone.
    const std::vector<Entry> entries = Of(net, "0001", number);
    ASSERT_FALSE(entries.empty());
    std::vector<std::string> order; // each change once, as the history lists them
    for (const Entry& e : entries) {
        const std::string step = e.kind + " " + e.op;
        if (order.empty() || order.back() != step) {
            order.push_back(step);
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Exclusão 002", "Texto 001", "Alteração 002",
                                               "Inclusão 001"}));
    const Entry* altered = Find(entries, "Alteração", "DSSUMARIAOC");
    ASSERT_NE(altered, nullptr);
    EXPECT_EQ(altered->before, "Primeira");
    EXPECT_EQ(altered->after, "Segunda");
    const Entry* inserted = Find(entries, "Inclusão", "CDOPERADOR");
    ASSERT_NE(inserted, nullptr);
    EXPECT_EQ(inserted->after, "001");
    EXPECT_EQ(inserted->before, "");
    const Entry* written = Find(entries, "Texto", "DSMOVOCORR");
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(written->before, "");
    EXPECT_EQ(written->after, "<p>Relato</p>");
    // The delete keeps the record as it was, its text with it.
    const Entry* gone = Find(entries, "Exclusão", "DSSUMARIAOC");
    ASSERT_NE(gone, nullptr);
    EXPECT_EQ(gone->before, "Segunda");
    EXPECT_EQ(gone->after, "");
    ASSERT_NE(Find(entries, "Exclusão", "DSMOVOCORR"), nullptr);
    EXPECT_EQ(Find(entries, "Exclusão", "DSMOVOCORR")->before, "<p>Relato</p>");
    const Entry* dated = Find(entries, "Inclusão", "DTOCORRMOV");
    EXPECT_TRUE(dated == nullptr || dated->after.find('/') == 2) << "dates as a person reads them";
}

// New occurrences are numbered as the call ends: each, with its texts and its history,
// under the number it is given, in the order they came; nothing keeps the number they had
// meanwhile.
TEST_F(History, NewOccurrencesAndTheirTextsComeUnderTheNumbersTheyAreGiven) {
    TClientDataSet cds;
    Load(cds);
    AppendNew(cds);
    AppendNew(cds);
    cds.Edit();
    cds.FieldByName("DSSUMARIAOC").SetAsString("A segunda");
    cds.Post();
    TClientDataSet description, opinion;
    description.SetData(net.Call("GetDescMovOcorr", {Variant("0001"), Variant("")}));
    opinion.SetData(net.Call("GetParecer", {Variant("0001"), Variant("")}));
    for (auto [text, column] :
         {std::pair{&description, "DSMOVOCORR"}, {&opinion, "DSPAROCORMOV"}}) {
        text->Append();
        text->FieldByName("CDFILILANCMO").SetAsString("0001");
        text->FieldByName(column).SetAsString(std::string("<p>") + column + "</p>");
        text->Post();
    }
    const std::string number = Send(&cds, &opinion, &description);
    ASSERT_EQ(number, "0000000006") << "after 0000000004 and the first new one, 0000000005";
    EXPECT_EQ(Listed("SELECT NROCORRMOV || ':' || COALESCE(DSSUMARIAOC, '-') FROM MOVOCORR "
                     "WHERE CDFILILANCMO = '0001' AND NROCORRMOV > '0000000004' ORDER BY 1"),
              "0000000005:-,0000000006:A segunda");
    EXPECT_EQ(Scalar("SELECT NROCORRMOV FROM DESCMOVOCORR WHERE DSMOVOCORR = '<p>DSMOVOCORR</p>'"),
              number);
    EXPECT_EQ(Scalar("SELECT NROCORRMOV FROM PARECER WHERE DSPAROCORMOV = '<p>DSPAROCORMOV</p>'"),
              number);
    for (const char* table : {"MOVOCORR", "DESCMOVOCORR", "PARECER", "HISTMOVOCORR"}) {
        EXPECT_EQ(Scalar(std::string("SELECT COUNT(*) FROM ") + table +
                         " WHERE NROCORRMOV NOT BETWEEN '0000000000' AND '9999999999'"),
                  "0")
            << table;
    }
    const std::vector<Entry> entries = Of(net, "0001", number);
    const Entry* own = Find(entries, "Inclusão", "NROCORRMOV");
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->after, number);
    ASSERT_NE(Find(entries, "Texto", "DSMOVOCORR"), nullptr);
    ASSERT_NE(Find(entries, "Texto", "DSPAROCORMOV"), nullptr);
    const std::vector<Entry> earlier = Of(net, "0001", "0000000005");
    const Entry* first = Find(earlier, "Inclusão", "NROCORRMOV");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->after, "0000000005");
    EXPECT_EQ(Scalar("SELECT NRULTIMO FROM NUMOCORR WHERE CDFILILANCMO = '0001'"), "6");
}

TEST_F(History, AChangeOfATextIsANewVersionBesideTheOldOne) {
    TClientDataSet text;
    text.SetData(net.Call("GetDescMovOcorr", {Variant("0001"), Variant("0000000001")}));
    text.Edit();
    text.FieldByName("DSMOVOCORR").SetAsString("<p>Descrição revista</p>");
    text.Post();
    ASSERT_EQ(Send(nullptr, nullptr, &text), "");
    const std::vector<Entry> entries = Of(net, "0001", "0000000001");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].kind, "Texto");
    EXPECT_EQ(entries[0].before, "<p>Descrição um</p>");
    EXPECT_EQ(entries[0].after, "<p>Descrição revista</p>");
}

TEST_F(History, ARefusedOrFailedChangeLeavesNoEntry) {
    TClientDataSet cds;
    Load(cds);
    ASSERT_TRUE(cds.Locate("NROCORRMOV", Variant("0000000002")));
    cds.Edit();
    cds.FieldByName("DSSUMARIAOC").SetAsString("Minha");
    cds.FieldByName("CDSEGMER").SetAsString("99999"); // refers to nothing
    cds.Post();
    EXPECT_THAT(Send(&cds, nullptr, nullptr), HasSubstr("nada foi gravado"));
    Exec("UPDATE MOVOCORR SET DSSUMARIAOC = 'Outra' WHERE NROCORRMOV = '0000000001' AND "
         "CDFILILANCMO = '0001'");
    TClientDataSet stale;
    Load(stale);
    Exec("UPDATE MOVOCORR SET DSSUMARIAOC = 'De novo' WHERE NROCORRMOV = '0000000001' AND "
         "CDFILILANCMO = '0001'");
    ASSERT_TRUE(stale.Locate("NROCORRMOV", Variant("0000000001")));
    stale.Edit();
    stale.FieldByName("DSSUMARIAOC").SetAsString("Atrasada");
    stale.Post();
    EXPECT_THAT(Send(&stale, nullptr, nullptr), HasSubstr("alterada por outro usuário"));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM HISTMOVOCORR"), "0");
}

TEST_F(History, TheDatabaseRefusesToAlterOrDeleteIt) {
    TClientDataSet cds;
    Load(cds);
    ASSERT_TRUE(cds.Locate("NROCORRMOV", Variant("0000000002")));
    cds.Edit();
    cds.FieldByName("DSSUMARIAOC").SetAsString("Minha");
    cds.Post();
    ASSERT_EQ(Send(&cds, nullptr, nullptr), "");
    auto db = oca::db::Database::Open(url);
    EXPECT_THROW(db->Execute("UPDATE HISTMOVOCORR SET DSVALORNOVO = 'x'"), oca::db::SqlError);
    EXPECT_THROW(db->Execute("DELETE FROM HISTMOVOCORR"), oca::db::SqlError);
    EXPECT_EQ(Scalar("SELECT DSVALORNOVO FROM HISTMOVOCORR WHERE NMCAMPO = 'DSSUMARIAOC'"),
              "Minha");
}

} // namespace
