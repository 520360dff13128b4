#include "confirm_fixture.h"

#include <thread>

using ::testing::HasSubstr;

namespace {

TEST_F(Confirm, ANewOccurrenceGetsTheNextNumberAndItsTextsTakeIt) {
    TClientDataSet cds;
    Load(cds);
    cds.Append();
    cds.FieldByName("CDFILIAL").SetAsString("0001");
    cds.FieldByName("CDFILILANCMO").SetAsString("0001");
    cds.FieldByName("DTOCORRMOV")
        .SetAsDateTime(CombineDateTime(EncodeDate(2026, 11, 20), EncodeTime(8, 15, 0, 0)));
    cds.FieldByName("CDOPERADOR").SetAsString("001");
    cds.FieldByName("CDFORNECED").SetAsString("000001");
    cds.FieldByName("DSSUMARIAOC").SetAsString("Nova");
    cds.FieldByName("NMRAZSOC").SetAsString("ignorado: vem da junção");
    cds.Post();

    TClientDataSet desc;
    desc.SetData(net.Call("GetDescMovOcorr", {Variant("0001"), Variant("")}));
    desc.Append();
    desc.FieldByName("CDFILILANCMO").SetAsString("0001");
    desc.FieldByName("DSMOVOCORR").SetAsString("<p>Texto da nova</p>");
    desc.Post();

    EXPECT_EQ(Send(&cds, nullptr, &desc), "0000000005");
    EXPECT_EQ(Scalar("SELECT DSSUMARIAOC FROM MOVOCORR WHERE NROCORRMOV = '0000000005'"), "Nova");
    EXPECT_EQ(Scalar("SELECT DSMOVOCORR FROM DESCMOVOCORR WHERE NROCORRMOV = '0000000005'"),
              "<p>Texto da nova</p>");
    EXPECT_EQ(Scalar("SELECT NRULTIMO FROM NUMOCORR WHERE CDFILILANCMO = '0001'"), "5");
}

// The list of emptied fields names every empty field of the person's row: an update
// writes what it changed, and the list clears nothing the change did not empty.
TEST_F(Confirm, AnUpdateWritesOnlyWhatItChanged) {
    TClientDataSet cds;
    Load(cds);
    ASSERT_TRUE(cds.Locate("NROCORRMOV", Variant("0000000002")));
    cds.Edit();
    cds.FieldByName("NMPESSIDETOC").SetAsString("Rita");
    cds.FieldByName("CDSEGMER").Clear();
    cds.Post();
    EXPECT_EQ(Send(&cds, nullptr, nullptr,
                   kMark + "CDSEGMER" + kMark + kMark + "DSSUMARIAOC" + kMark + kMark +
                       "NRSUBLOTE" + kMark),
              "");
    EXPECT_EQ(Scalar("SELECT NMPESSIDETOC || '/' || COALESCE(CDSEGMER, 'nulo') || '/' || "
                     "COALESCE(DSSUMARIAOC, 'nulo') FROM MOVOCORR WHERE CDFILILANCMO = '0001' "
                     "AND NROCORRMOV = '0000000002'"),
              "Rita/nulo/Dois");
}

// A value of blanks only is no value: stored as null, on a change as on a new occurrence,
// so that a search for empty fields finds it on either engine.
TEST_F(Confirm, AValueOfBlanksOnlyIsStoredAsNull) {
    TClientDataSet cds;
    Load(cds);
    ASSERT_TRUE(cds.Locate("NROCORRMOV", Variant("0000000002")));
    cds.Edit();
    cds.FieldByName("NMPESSIDETOC").SetAsString("   ");
    cds.Post();
    AppendNew(cds);
    cds.Edit();
    cds.FieldByName("NMPESSAUTOOC").SetAsString(" \t ");
    cds.FieldByName("DSSUMARIAOC").SetAsString("Nova");
    cds.Post();
    ASSERT_EQ(Send(&cds, nullptr, nullptr).size(), 10u);
    EXPECT_EQ(Scalar("SELECT COALESCE(NMPESSIDETOC, 'nulo') FROM MOVOCORR WHERE CDFILILANCMO = "
                     "'0001' AND NROCORRMOV = '0000000002'"),
              "nulo");
    EXPECT_EQ(Scalar("SELECT COALESCE(NMPESSAUTOOC, 'nulo') FROM MOVOCORR WHERE DSSUMARIAOC = "
                     "'Nova'"),
              "nulo");
}

TEST_F(Confirm, AChangeOverAnotherUsersChangeIsRefusedNotOverwritten) {
    TClientDataSet mine, theirs;
    Load(mine);
    Load(theirs);
    for (TClientDataSet* cds : {&theirs, &mine}) {
        cds->Locate("NROCORRMOV", Variant("0000000001"));
        cds->Edit();
        cds->FieldByName("DSSUMARIAOC").SetAsString(cds == &mine ? "Minha" : "Deles");
        cds->Post();
    }
    EXPECT_EQ(Send(&theirs, nullptr, nullptr), "");
    const std::string answer = Send(&mine, nullptr, nullptr);
    EXPECT_GT(answer.size(), 10u);
    EXPECT_THAT(answer, ::testing::HasSubstr("alterada por outro usuário"));
    EXPECT_EQ(Scalar("SELECT DSSUMARIAOC FROM MOVOCORR WHERE CDFILILANCMO = '0001' AND NROCORRMOV "
                     "= '0000000001'"),
              "Deles");
}

// Two users change different columns of one occurrence: neither change is lost.
TEST_F(Confirm, ChangesToDifferentColumnsOfOneOccurrenceAreBothKept) {
    TClientDataSet first, second;
    Load(first);
    Load(second);
    const std::pair<TClientDataSet*, std::pair<const char*, const char*>> edits[] = {
        {&first, {"DSSUMARIAOC", "Resumo novo"}}, {&second, {"NMPESSIDETOC", "Rita"}}};
    for (const auto& [cds, edit] : edits) {
        ASSERT_TRUE(cds->Locate("NROCORRMOV", Variant("0000000001")));
        cds->Edit();
        cds->FieldByName(edit.first).SetAsString(edit.second);
        cds->Post();
    }
    EXPECT_EQ(Send(&first, nullptr, nullptr), "");
    EXPECT_EQ(Send(&second, nullptr, nullptr), "");
    EXPECT_EQ(Scalar("SELECT DSSUMARIAOC || '/' || NMPESSIDETOC FROM MOVOCORR WHERE "
                     "CDFILILANCMO = '0001' AND NROCORRMOV = '0000000001'"),
              "Resumo novo/Rita");
}

// A text is compared by its version as well as its content: one saved again with the
// same words by someone else has still moved on.
TEST_F(Confirm, ATextWhoseVersionMovedOnIsAConflictEvenWithTheSameContent) {
    TClientDataSet mine;
    mine.SetData(net.Call("GetParecer", {Variant("0001"), Variant("0000000001")}));
    Exec("UPDATE PARECER SET NRVERSAO = 2 WHERE NROCORRMOV = '0000000001'");
    mine.Edit();
    mine.FieldByName("DSPAROCORMOV").SetAsString("<p>Meu</p>");
    mine.Post();
    EXPECT_THAT(Send(nullptr, &mine, nullptr), ::testing::HasSubstr("alterado por outro usuário"));
    EXPECT_EQ(Scalar("SELECT DSPAROCORMOV FROM PARECER WHERE NROCORRMOV = '0000000001'"),
              "<p>Parecer um</p>");
}

// Two users write the first assessment of an occurrence: the second is refused, not
// written over the first.
TEST_F(Confirm, ATextAnotherUserInsertedFirstIsRefused) {
    TClientDataSet a, b;
    for (TClientDataSet* cds : {&a, &b}) {
        cds->SetData(net.Call("GetParecer", {Variant("0001"), Variant("0000000002")}));
        ASSERT_EQ(cds->RecordCount(), 0u);
        cds->Append();
        cds->FieldByName("CDFILILANCMO").SetAsString("0001");
        cds->FieldByName("NROCORRMOV").SetAsString("0000000002");
        cds->FieldByName("DSPAROCORMOV").SetAsString(cds == &a ? "<p>A</p>" : "<p>B</p>");
        cds->Post();
    }
    EXPECT_EQ(Send(nullptr, &a, nullptr), "");
    const std::string refused = Send(nullptr, &b, nullptr);
    EXPECT_GT(refused.size(), 10u);
    EXPECT_THAT(refused, ::testing::HasSubstr("outro usuário"));
    EXPECT_EQ(Scalar("SELECT DSPAROCORMOV FROM PARECER WHERE NROCORRMOV = '0000000002'"),
              "<p>A</p>");
}

TEST_F(Confirm, ANewOccurrenceWithoutABranchIsRefusedAndSpendsNoNumber) {
    for (const char* branch : {"", "   "}) {
        TClientDataSet cds;
        Load(cds);
        AppendNew(cds, branch);
        EXPECT_EQ(Send(&cds, nullptr, nullptr),
                  "A filial de lançamento da nova ocorrência deve ser informada.")
            << "'" << branch << "'";
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MOVOCORR"), "7");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM NUMOCORR"), "3");
}

// A branch whose counter row is missing (numbers kept before the counter existed) goes on
// from its highest stored number.
TEST_F(Confirm, ABranchWithoutACounterGoesOnFromItsHighestNumber) {
    Exec("DELETE FROM NUMOCORR WHERE CDFILILANCMO = '0001'");
    TClientDataSet cds;
    Load(cds);
    AppendNew(cds);
    EXPECT_EQ(Send(&cds, nullptr, nullptr), "0000000005");
    EXPECT_EQ(Scalar("SELECT NRULTIMO FROM NUMOCORR WHERE CDFILILANCMO = '0001'"), "5");
}

// The highest number deleted before the counter existed is not given again: its history
// keeps it, and a new occurrence under it would share that history.
TEST_F(Confirm, ABranchWithoutACounterSkipsTheNumberOfADeletedOccurrence) {
    const Variant deleted = net.Call("DelOcorr", {Variant("0001"), Variant("0000000004")});
    ASSERT_EQ(deleted.AsString(), "") << deleted.AsString();
    Exec("DELETE FROM NUMOCORR WHERE CDFILILANCMO = '0001'");
    TClientDataSet cds;
    Load(cds);
    AppendNew(cds);
    EXPECT_EQ(Send(&cds, nullptr, nullptr), "0000000005");
    EXPECT_EQ(Scalar("SELECT MIN(NRHIST) FROM HISTMOVOCORR WHERE CDFILILANCMO = '0001' AND "
                     "NROCORRMOV = '0000000005'"),
              "1");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM HISTMOVOCORR WHERE CDFILILANCMO = '0001' AND "
                     "NROCORRMOV = '0000000004' AND IDOPERACAO = 'I'"),
              "0")
        << "the deleted occurrence's history holds no insertion of the new one";
}

TEST_F(Confirm, TextsAloneAreSavedAndTheirConflictsDetected) {
    TClientDataSet a, b;
    for (TClientDataSet* cds : {&a, &b}) {
        cds->SetData(net.Call("GetParecer", {Variant("0001"), Variant("0000000001")}));
        ASSERT_EQ(cds->RecordCount(), 1u);
        cds->Edit();
        cds->FieldByName("DSPAROCORMOV").SetAsString(cds == &a ? "<p>A</p>" : "<p>B</p>");
        cds->Post();
    }
    EXPECT_EQ(Send(nullptr, &a, nullptr), "");
    EXPECT_EQ(Scalar("SELECT NRVERSAO FROM PARECER WHERE NROCORRMOV = '0000000001'"), "2");
    EXPECT_THAT(Send(nullptr, &b, nullptr), ::testing::HasSubstr("alterado por outro usuário"));
    EXPECT_EQ(Scalar("SELECT DSPAROCORMOV FROM PARECER WHERE NROCORRMOV = '0000000001'"),
              "<p>A</p>");
}

TEST_F(Confirm, AnyBadRowRollsTheWholeCallBack) {
    TClientDataSet cds;
    Load(cds);
    AppendNew(cds);
    // A description that names a column the table does not have.
    DataPacket bad;
    bad.isDelta = true;
    bad.fields = {{"CDFILILANCMO", FieldType::String, 4},
                  {"NROCORRMOV", FieldType::String, 10},
                  {"DSMOVOCORR", FieldType::Memo},
                  {"DROP_TABLE", FieldType::String, 10}};
    bad.changes = {
        {RowState::Inserted, {}, {Variant("0001"), Variant(""), Variant("x"), Variant("y")}}};
    try {
        net.Call("Confirma", {cds.GetDelta(), Variant(), MakePacketVariant(bad), Variant("")});
        ADD_FAILURE() << "a packet with a column of no table was accepted";
    } catch (const Exception& e) {
        EXPECT_THAT(e.Message(),
                    ::testing::HasSubstr("o campo 4 do texto da ocorrência não é do texto"));
        EXPECT_THAT(e.Message(), ::testing::Not(::testing::HasSubstr("DROP_TABLE")));
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MOVOCORR WHERE CDFILILANCMO = '0001'"), "4");
    EXPECT_EQ(Scalar("SELECT NRULTIMO FROM NUMOCORR WHERE CDFILILANCMO = '0001'"), "4")
        << "a number handed out in a failed call is not spent";
}

TEST_F(Confirm, DeletionRemovesTheOccurrenceAndItsTextsAndReportsAMissingOne) {
    EXPECT_EQ(net.Call("DelOcorr", {Variant("0001"), Variant("0000000001")}), Variant(""));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM DESCMOVOCORR"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM PARECER"), "0");
    const Variant again = net.Call("DelOcorr", {Variant("0001"), Variant("0000000001")});
    ASSERT_TRUE(again.IsError());
    EXPECT_THAT(again.AsString(), ::testing::HasSubstr("não existe"));
}

TEST_F(Confirm, ConcurrentInsertsGetDistinctNumbers) {
    constexpr int kClients = 8;
    constexpr int kEach = 200;
    DataPacket shape;
    shape.isDelta = true;
    shape.fields = {{"CDFILIAL", FieldType::String, 4},
                    {"CDFILILANCMO", FieldType::String, 4},
                    {"NROCORRMOV", FieldType::String, 10},
                    {"CDOPERADOR", FieldType::String, 12},
                    {"DSSUMARIAOC", FieldType::String, 30}};
    std::vector<std::vector<std::string>> answers(kClients);
    std::vector<std::thread> threads;
    for (int c = 0; c < kClients; ++c) {
        threads.emplace_back([&, c] {
            TNetConnection client;
            Connect(client);
            for (int i = 0; i < kEach; ++i) {
                DataPacket delta = shape;
                delta.changes = {{RowState::Inserted,
                                  {},
                                  {Variant("0002"), Variant("0002"), Variant(""), Variant("002"),
                                   Variant("c" + std::to_string(c))}}};
                answers[static_cast<size_t>(c)].push_back(
                    client
                        .Call("Confirma",
                              {MakePacketVariant(delta), Variant(), Variant(), Variant("")})
                        .AsString());
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    std::set<std::string> numbers;
    for (const auto& list : answers) {
        for (const std::string& n : list) {
            ASSERT_EQ(n.size(), 10u) << n;
            numbers.insert(n);
        }
    }
    EXPECT_EQ(numbers.size(), static_cast<size_t>(kClients * kEach));
    EXPECT_EQ(*numbers.begin(), "0000000003");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MOVOCORR WHERE CDFILILANCMO = '0002'"),
              std::to_string(2 + kClients * kEach));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MOVOCORR WHERE CDFILILANCMO <> '0002'"), "5")
        << "nothing else changed";
}

} // namespace

namespace {

class ConfirmIntegrity : public Confirm {
protected:
    /// Occurrence 0001/0000000002 loaded, one field set, sent as is (past the client's own
    /// limits, as another program could); the answer.
    std::string Change(const std::string& field, const std::string& value) {
        TClientDataSet cds;
        Load(cds);
        EXPECT_TRUE(cds.Locate("NROCORRMOV", Variant("0000000002")));
        cds.Edit();
        cds.FieldByName("NMPESSIDETOC").SetAsString("Rita");
        cds.Post();
        DataPacket delta = cds.GetDelta().AsPacket();
        delta.changes.at(0).newValues.at(static_cast<size_t>(delta.FieldIndex(field))) =
            Variant(value);
        return net
            .Call("Confirma",
                  {MakePacketVariant(std::move(delta)), Variant(), Variant(), Variant("")})
            .AsString();
    }
    std::string Orphans() {
        return Scalar("SELECT (SELECT COUNT(*) FROM DESCMOVOCORR T LEFT JOIN MOVOCORR M ON "
                      "M.CDFILILANCMO = T.CDFILILANCMO AND M.NROCORRMOV = T.NROCORRMOV WHERE "
                      "M.NROCORRMOV IS NULL) + (SELECT COUNT(*) FROM PARECER T LEFT JOIN "
                      "MOVOCORR M ON M.CDFILILANCMO = T.CDFILILANCMO AND M.NROCORRMOV = "
                      "T.NROCORRMOV WHERE M.NROCORRMOV IS NULL)");
    }
};

TEST_F(ConfirmIntegrity, TheKeyOfAStoredOccurrenceCannotChange) {
    const std::string keys = "SELECT CDFILILANCMO || '/' || NROCORRMOV FROM MOVOCORR ORDER BY 1";
    const std::string before = Listed(keys);
    EXPECT_THAT(Change("NROCORRMOV", "0000000005"), HasSubstr("não pode mudar de Nº Ocorrência"));
    EXPECT_THAT(Change("CDFILILANCMO", "0002"),
                HasSubstr("não pode mudar de Filial de Lançamento"));
    EXPECT_EQ(Listed(keys), before);
    // The next insert of the branch still gets its number.
    TClientDataSet cds;
    Load(cds);
    AppendNew(cds);
    EXPECT_EQ(Send(&cds, nullptr, nullptr), "0000000005");
    EXPECT_EQ(Orphans(), "0");
}

TEST_F(ConfirmIntegrity, APacketOfMoreChangesThanAnyScreenSendsIsRefusedWhole) {
    const auto delta = [](size_t count) {
        DataPacket p;
        p.isDelta = true;
        p.fields = {{"CDFILIAL", FieldType::String, 4},
                    {"CDFILILANCMO", FieldType::String, 4},
                    {"CDOPERADOR", FieldType::String, 12}};
        p.changes.assign(
            count, {RowState::Inserted, {}, {Variant("0001"), Variant("0001"), Variant("001")}});
        return MakePacketVariant(std::move(p));
    };
    const std::string count = "SELECT COUNT(*) FROM MOVOCORR";
    const std::string before = Scalar(count);
    try {
        net.Call("Confirma", {delta(1001), Variant(), Variant(), Variant("")});
        ADD_FAILURE() << "1001 changes accepted";
    } catch (const Exception& e) {
        EXPECT_THAT(e.Message(), HasSubstr("no máximo 1000 alterações"));
    }
    EXPECT_EQ(Scalar(count), before);
    net.Call("Confirma", {delta(1000), Variant(), Variant(), Variant("")});
    EXPECT_EQ(std::stoi(Scalar(count)), std::stoi(before) + 1000);
}

TEST_F(ConfirmIntegrity, ValuesAreCheckedAgainstWidthsAndTheTablesTheyNameBeforeAnyWrite) {
    struct Case {
        const char* field;
        std::string value;
        const char* says; ///< "" when accepted
    };
    const std::vector<Case> cases = {
        {"DSSUMARIAOC", std::string(30, 'a'), ""},
        {"DSSUMARIAOC", std::string(31, 'a'),
         "Descrição Sumária (DSSUMARIAOC) aceita no máximo 30"},
        {"DSSUMARIAOC", "ação ação ação ação ação ação", ""}, // 29 characters, more bytes
        // Who registered an occurrence is part of its record: no change gives it to another.
        {"CDOPERADOR", "002", "não pode ser trocado"},
        {"CDOPERADOR", "999", "Responsável (CDOPERADOR) tem um código (999)"},
        {"CDFILIAL", "9999", "Filial (CDFILIAL)"},
        {"CDFORNECED", "000999", "Fornecedor (CDFORNECED)"},
        {"CDFORNTRANSP", "000999", "Transportadora (CDFORNTRANSP)"},
        {"CDPRODUTO", "9999999999", "Produto (CDPRODUTO)"},
        {"CDDESTPROD", "99", "Destino do Produto (CDDESTPROD)"},
        {"CDSEGMER", "99999", "Segmento de Mercado (CDSEGMER)"},
        {"CDOCORR", "99", "Ocorrência (CDOCORR)"},
        {"CDGRPOCOR", "99", "Grupo de Ocorrência (CDGRPOCOR)"},
        {"CDCLIENTE", "", ""}, // an empty code refers to nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " = " + c.value);
        const std::string before =
            Scalar(std::string("SELECT COALESCE(") + c.field +
                   ", 'nulo') FROM MOVOCORR WHERE NROCORRMOV = '0000000002'");
        const std::string answer = Change(c.field, c.value);
        if (*c.says == '\0') {
            EXPECT_EQ(answer, "");
            continue;
        }
        EXPECT_THAT(answer, HasSubstr(c.says));
        EXPECT_THAT(answer, HasSubstr("nada foi gravado"));
        EXPECT_EQ(Scalar(std::string("SELECT COALESCE(") + c.field +
                         ", 'nulo') FROM MOVOCORR WHERE NROCORRMOV = '0000000002'"),
                  before);
    }
}

TEST_F(ConfirmIntegrity, ANewOccurrenceWithAnUnknownCodeSpendsNoNumber) {
    struct Case {
        std::vector<std::pair<const char*, const char*>> codes;
        const char* says;
    };
    // The supplier and the carrier name the same table: a known supplier vouches for no
    // carrier.
    const std::vector<Case> cases = {
        {{{"CDSEGMER", "99999"}}, "Segmento de Mercado (CDSEGMER)"},
        {{{"CDFORNECED", "000001"}, {"CDFORNTRANSP", "000999"}}, "Transportadora (CDFORNTRANSP)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.says);
        TClientDataSet cds;
        Load(cds);
        cds.Append();
        cds.FieldByName("CDFILIAL").SetAsString("0001");
        cds.FieldByName("CDFILILANCMO").SetAsString("0001");
        cds.FieldByName("CDOPERADOR").SetAsString("001");
        for (const auto& [field, code] : c.codes) {
            cds.FieldByName(field).SetAsString(code);
        }
        cds.Post();
        EXPECT_THAT(Send(&cds, nullptr, nullptr), HasSubstr(c.says));
        EXPECT_EQ(Scalar("SELECT NRULTIMO FROM NUMOCORR WHERE CDFILILANCMO = '0001'"), "4");
    }
}

TEST_F(ConfirmIntegrity, ATextOfAnOccurrenceThatIsGoneIsAConflictNotAnOrphan) {
    TClientDataSet opinion;
    opinion.SetData(net.Call("GetParecer", {Variant("0001"), Variant("0000000001")}));
    TClientDataSet fresh;
    fresh.SetData(net.Call("GetDescMovOcorr", {Variant("0001"), Variant("0000000002")}));
    ASSERT_EQ(opinion.RecordCount(), 1u);
    // Another user deletes both occurrences after the texts were read.
    EXPECT_EQ(net.Call("DelOcorr", {Variant("0001"), Variant("0000000001")}), Variant(""));
    EXPECT_EQ(net.Call("DelOcorr", {Variant("0001"), Variant("0000000002")}), Variant(""));
    opinion.Edit();
    opinion.FieldByName("DSPAROCORMOV").SetAsString("<p>tarde demais</p>");
    opinion.Post();
    EXPECT_THAT(Send(nullptr, &opinion, nullptr), HasSubstr("não existe mais"));
    fresh.Append();
    fresh.FieldByName("CDFILILANCMO").SetAsString("0001");
    fresh.FieldByName("NROCORRMOV").SetAsString("0000000002");
    fresh.FieldByName("DSMOVOCORR").SetAsString("<p>novo</p>");
    fresh.Post();
    EXPECT_THAT(Send(nullptr, nullptr, &fresh), HasSubstr("não existe mais"));
    EXPECT_EQ(Orphans(), "0");
    EXPECT_EQ(Orphans(), "0");
}

TEST_F(ConfirmIntegrity, AModifiedTextWithNoStoredRowIsAConflictNotAnInsert) {
    TClientDataSet opinion;
    opinion.SetData(net.Call("GetParecer", {Variant("0001"), Variant("0000000001")}));
    ASSERT_EQ(opinion.RecordCount(), 1u);
    Exec("DELETE FROM PARECER WHERE NROCORRMOV = '0000000001'");
    opinion.Edit();
    opinion.FieldByName("DSPAROCORMOV").SetAsString("<p>editado</p>");
    opinion.Post();
    EXPECT_THAT(Send(nullptr, &opinion, nullptr), HasSubstr("excluído por outro usuário"));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM PARECER"), "0");
}

} // namespace

namespace {

// Eight people change the same field of one occurrence from the same reading: exactly one
// change is stored, the others are told of the conflict, and nothing is half-written.
TEST_F(Confirm, ConcurrentConflictingModifiesKeepExactlyOne) {
    constexpr int kClients = 8;
    std::vector<Variant> deltas;
    for (int c = 0; c < kClients; ++c) {
        TClientDataSet cds;
        Load(cds);
        cds.Locate("NROCORRMOV", Variant("0000000003"));
        cds.Edit();
        cds.FieldByName("DSSUMARIAOC").SetAsString("versão " + std::to_string(c));
        cds.Post();
        deltas.push_back(cds.GetDelta());
    }
    std::vector<std::string> answers(kClients);
    std::vector<std::thread> threads;
    for (int c = 0; c < kClients; ++c) {
        threads.emplace_back([&, c] {
            TNetConnection client;
            Connect(client);
            answers[static_cast<size_t>(c)] =
                client
                    .Call("Confirma",
                          {deltas[static_cast<size_t>(c)], Variant(), Variant(), Variant("")})
                    .AsString();
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    int stored = -1;
    int refused = 0;
    for (int c = 0; c < kClients; ++c) {
        if (answers[static_cast<size_t>(c)].empty()) {
            EXPECT_EQ(stored, -1) << "two changes from one reading were both accepted";
            stored = c;
        } else {
            EXPECT_THAT(answers[static_cast<size_t>(c)], HasSubstr("alterada por outro usuário"));
            ++refused;
        }
    }
    ASSERT_GE(stored, 0);
    EXPECT_EQ(refused, kClients - 1);
    EXPECT_EQ(Scalar("SELECT DSSUMARIAOC FROM MOVOCORR WHERE CDFILILANCMO = '0001' AND "
                     "NROCORRMOV = '0000000003'"),
              "versão " + std::to_string(stored));
}

} // namespace

namespace {

// A confirmation that loses a race with another server's transaction is run again, and
// stored once; one that keeps losing says so and stores nothing.
TEST_F(Confirm, AConfirmationThatLostARaceIsRunAgain) {
    if (!database->Postgres()) {
        GTEST_SKIP() << "SQLite takes the whole database for a writer: no race to lose";
    }
    // Each insert fails as a lost race while the sequence is below the limit; a sequence
    // keeps counting across the undone tries.
    auto db = oca::db::Database::Open(url);
    db->ExecuteScript(
        "CREATE SEQUENCE TENTATIVAS; CREATE TABLE LIMITE (N INTEGER); "
        "INSERT INTO LIMITE VALUES (3); "
        "CREATE FUNCTION PERDE() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN IF "
        "nextval('TENTATIVAS') < (SELECT N FROM LIMITE) THEN RAISE EXCEPTION 'corrida perdida' "
        "USING ERRCODE = '40001'; END IF; RETURN NEW; END $$; "
        "CREATE TRIGGER PERDE BEFORE INSERT ON MOVOCORR FOR EACH ROW EXECUTE FUNCTION PERDE()");
    TClientDataSet cds;
    Load(cds);
    AppendNew(cds);
    EXPECT_EQ(Send(&cds, nullptr, nullptr), "0000000005");
    EXPECT_EQ(Scalar("SELECT nextval('TENTATIVAS')"), "4") << "two lost tries, then stored";
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MOVOCORR WHERE CDFILILANCMO = '0001'"), "5");
    // Always losing: a clear refusal, nothing stored, the number not spent.
    db->ExecuteScript("UPDATE LIMITE SET N = 1000000");
    TClientDataSet again;
    Load(again);
    AppendNew(again);
    EXPECT_THAT(Send(&again, nullptr, nullptr), HasSubstr("ocupado com alterações de outros"));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MOVOCORR WHERE CDFILILANCMO = '0001'"), "5");
    EXPECT_EQ(Scalar("SELECT NRULTIMO FROM NUMOCORR WHERE CDFILILANCMO = '0001'"), "5");
}

} // namespace
