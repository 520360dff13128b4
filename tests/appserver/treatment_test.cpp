// The treatment of an occurrence through the server, as a screen sends it: the rules hold
// whatever the screen checked, and a change from an old reading never overwrites another.
#include "confirm_fixture.h"

#include "appserver/jsonrpc.h"

namespace {

using ::testing::HasSubstr;

class Treatment : public Confirm {
protected:
    void Read(TClientDataSet& treatment, TClientDataSet& actions, const char* branch = "0001",
              const char* number = "0000000001") {
        treatment.SetData(net.Call("GetTratamento", {Variant(branch), Variant(number)}));
        actions.SetData(net.Call("GetAcoes", {Variant(branch), Variant(number)}));
    }
    std::string Save(TClientDataSet* treatment, TClientDataSet* actions) {
        const auto delta = [](TClientDataSet* cds) {
            return cds && cds->ChangeCount() > 0 ? cds->GetDelta() : Variant();
        };
        return net.Call("GravaTratamento", {delta(treatment), delta(actions)}).AsString();
    }
    static void Set(TClientDataSet& cds, const std::vector<std::pair<const char*, Variant>>& to) {
        cds.Edit();
        for (const auto& [field, value] : to) {
            cds.FieldByName(field).SetValue(value);
        }
        cds.Post();
    }
    static void AddAction(TClientDataSet& actions, const char* text, TDateTime due,
                          const char* branch = "0001", const char* number = "0000000001") {
        actions.Append();
        actions.FieldByName("CDFILILANCMO").SetAsString(branch);
        actions.FieldByName("NROCORRMOV").SetAsString(number);
        actions.FieldByName("IDTIPO").SetAsString("C");
        actions.FieldByName("DSACAO").SetAsString(text);
        actions.FieldByName("CDOPERRESP").SetAsString("002");
        actions.FieldByName("DTPREVISTA").SetAsDateTime(due);
        actions.Post();
    }
    std::string Stored(const std::string& column, const char* number = "0000000001") {
        return Scalar("SELECT COALESCE(CAST(" + column +
                      " AS VARCHAR(40)), 'nulo') FROM TRATOCORR WHERE CDFILILANCMO = '0001' AND "
                      "NROCORRMOV = '" +
                      number + "'");
    }
    static TDateTime Days(int fromToday) { return TDateTime(std::floor(Now().Value) + fromToday); }
    // Action `n` done on time and found effective.
    static void DoneAndEffective(TClientDataSet& actions, int n) {
        ASSERT_TRUE(actions.Locate("NRACAO", Variant(std::int64_t{n})));
        Set(actions, {{"IDSITUACAO", Variant("R")},
                      {"DTREALIZADA", Variant(Days(0))},
                      {"DTVERIFICA", Variant(Days(0))},
                      {"IDEFICAZ", Variant("S")},
                      {"DSVERIFICA", Variant("Sem reincidência")}});
    }
};

TEST_F(Treatment, AnOccurrenceIsFollowedToItsClosureAndStaysAsItWas) {
    const std::string occurrenceBefore =
        Scalar("SELECT DSSUMARIAOC || CDOPERADOR || CDFORNECED FROM MOVOCORR WHERE "
               "CDFILILANCMO = '0001' AND NROCORRMOV = '0000000001'");
    TClientDataSet treatment, actions;
    Read(treatment, actions);
    ASSERT_EQ(treatment.RecordCount(), 1);
    EXPECT_EQ(treatment.FieldByName("IDSITUACAO").AsString(), "A") << "open, never written";
    EXPECT_TRUE(treatment.FieldByName("CDOPERRESP").IsNull());
    EXPECT_EQ(actions.RecordCount(), 0);

    Set(treatment, {{"IDSITUACAO", Variant("E")},
                    {"CDOPERRESP", Variant("002")},
                    {"DTPRAZO", Variant(Days(10))},
                    {"DSCAUSA", Variant("Embalagem frágil")}});
    AddAction(actions, "Trocar a embalagem do lote", Days(5));
    ASSERT_EQ(Save(&treatment, &actions), "");
    EXPECT_EQ(Stored("CDOPERRESP"), "002");
    EXPECT_EQ(Scalar("SELECT NRACAO FROM ACAOOCORR WHERE NROCORRMOV = '0000000001'"), "1");

    // Closing with the action still open: refused, by the server, and nothing stored.
    Read(treatment, actions);
    Set(treatment, {{"IDSITUACAO", Variant("F")}});
    EXPECT_THAT(Save(&treatment, nullptr), HasSubstr("há ações abertas"));
    EXPECT_EQ(Stored("IDSITUACAO"), "E");
    // Done but its effectiveness not checked: still refused.
    ASSERT_TRUE(actions.Locate("NRACAO", Variant(std::int64_t{1})));
    Set(actions, {{"IDSITUACAO", Variant("R")}, {"DTREALIZADA", Variant(Days(0))}});
    EXPECT_THAT(Save(&treatment, &actions), HasSubstr("sem a verificação de eficácia"));
    // Checked on a date, but with no result: still not checked.
    Set(actions, {{"DTVERIFICA", Variant(Days(0))}});
    EXPECT_THAT(Save(&treatment, &actions), HasSubstr("sem a verificação de eficácia"));
    EXPECT_EQ(Scalar("SELECT IDSITUACAO FROM ACAOOCORR WHERE NROCORRMOV = '0000000001'"), "A");

    Read(treatment, actions);
    DoneAndEffective(actions, 1);
    // Who closed it is the session's operator, whatever the screen says.
    Set(treatment, {{"IDSITUACAO", Variant("F")}, {"CDOPERENCERRA", Variant("002")}});
    ASSERT_EQ(Save(&treatment, &actions), "");
    Read(treatment, actions);
    EXPECT_EQ(treatment.FieldByName("IDSITUACAO").AsString(), "F");
    EXPECT_EQ(treatment.FieldByName("CDOPERENCERRA").AsString(), "001");
    EXPECT_EQ(treatment.FieldByName("NMOPERENCERRA").AsString(), "Ana");
    EXPECT_FALSE(treatment.FieldByName("DTENCERRA").IsNull());
    EXPECT_EQ(Scalar("SELECT DSSUMARIAOC || CDOPERADOR || CDFORNECED FROM MOVOCORR WHERE "
                     "CDFILILANCMO = '0001' AND NROCORRMOV = '0000000001'"),
              occurrenceBefore);
    // The history tells who changed what of it.
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM HISTMOVOCORR WHERE NROCORRMOV = '0000000001' AND "
                     "CDFILILANCMO = '0001' AND NMCAMPO = 'TRAT.IDSITUACAO'"),
              "2");
    EXPECT_EQ(Scalar("SELECT DSVALORNOVO FROM HISTMOVOCORR WHERE NMCAMPO = 'ACAO1.IDEFICAZ'"), "S");
}

TEST_F(Treatment, AClosedOrCancelledTreatmentChangesOnlyByBeingReopenedWithAReason) {
    for (const char* end : {"F", "C"}) {
        SCOPED_TRACE(end);
        Exec("DELETE FROM ACAOOCORR");
        Exec("DELETE FROM TRATOCORR");
        TClientDataSet treatment, actions;
        Read(treatment, actions);
        Set(treatment, {{"IDSITUACAO", Variant(end)}});
        ASSERT_EQ(Save(&treatment, nullptr), "");

        Read(treatment, actions);
        Set(treatment, {{"DSCAUSA", Variant("Outra causa")}});
        EXPECT_THAT(Save(&treatment, nullptr), HasSubstr("só muda se for reaberto"));
        Read(treatment, actions);
        AddAction(actions, "Uma ação tardia", Days(1));
        EXPECT_THAT(Save(nullptr, &actions), HasSubstr("suas ações não mudam"));
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ACAOOCORR"), "0");

        Read(treatment, actions);
        Set(treatment, {{"IDSITUACAO", Variant("N")}});
        EXPECT_THAT(Save(&treatment, nullptr), HasSubstr("motivo da reabertura"));
        EXPECT_EQ(Stored("IDSITUACAO"), end);

        Set(treatment, {{"DSMOTIVOREAB", Variant("Reincidência no lote seguinte")}});
        AddAction(actions, "Inspecionar o lote seguinte", Days(3));
        ASSERT_EQ(Save(&treatment, &actions), "");
        EXPECT_EQ(Stored("IDSITUACAO"), "N");
        EXPECT_EQ(Stored("DTENCERRA"), "nulo");
        EXPECT_EQ(Stored("CDOPERENCERRA"), "nulo");
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ACAOOCORR"), "1");
    }
}

TEST_F(Treatment, AChangeFromAnOldReadingIsAConflictNotAnOverwrite) {
    TClientDataSet first, firstActions, second, secondActions;
    Read(first, firstActions);
    Read(second, secondActions);
    Set(first, {{"CDOPERRESP", Variant("001")}});
    AddAction(firstActions, "Primeira", Days(2));
    ASSERT_EQ(Save(&first, &firstActions), "");
    // The second person read the treatment before it was written: theirs would undo it.
    Set(second, {{"CDOPERRESP", Variant("002")}});
    EXPECT_THAT(Save(&second, nullptr), HasSubstr("alterado por outro usuário"));
    EXPECT_EQ(Stored("CDOPERRESP"), "001");

    Read(first, firstActions);
    Read(second, secondActions);
    ASSERT_TRUE(firstActions.Locate("NRACAO", Variant(std::int64_t{1})));
    Set(firstActions, {{"DSACAO", Variant("Primeira, revista")}});
    ASSERT_EQ(Save(nullptr, &firstActions), "");
    ASSERT_TRUE(secondActions.Locate("NRACAO", Variant(std::int64_t{1})));
    Set(secondActions, {{"CDOPERRESP", Variant("001")}});
    EXPECT_THAT(Save(nullptr, &secondActions), HasSubstr("alterado por outro usuário"));
    secondActions.CancelUpdates();
    ASSERT_TRUE(secondActions.Locate("NRACAO", Variant(std::int64_t{1})));
    secondActions.Delete();
    EXPECT_THAT(Save(nullptr, &secondActions), HasSubstr("alterado por outro usuário"));
    EXPECT_EQ(Scalar("SELECT DSACAO || CDOPERRESP FROM ACAOOCORR"), "Primeira, revista002");

    Exec("DELETE FROM ACAOOCORR");
    Read(first, firstActions);
    Set(first, {{"DSCAUSA", Variant("x")}});
    EXPECT_EQ(Save(&first, nullptr), "");
    secondActions.CancelUpdates();
    ASSERT_TRUE(secondActions.Locate("NRACAO", Variant(std::int64_t{1})));
    Set(secondActions, {{"DSACAO", Variant("Já não existe")}});
    EXPECT_THAT(Save(nullptr, &secondActions), HasSubstr("foi excluída por outro usuário"));
}

TEST_F(Treatment, ValuesAreCheckedBeforeAnythingIsWritten) {
    struct Case {
        const char* field;
        Variant value;
        bool action;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"IDSITUACAO", Variant("X"), false, "Situação de tratamento desconhecida"},
        {"CDOPERRESP", Variant("999"), false, "Responsável (CDOPERRESP) tem um código (999)"},
        {"IDTIPO", Variant("X"), true, "corretiva (C) ou preventiva (P)"},
        {"DSACAO", Variant(""), true, "Descreva a ação"},
        {"IDSITUACAO", Variant("Z"), true, "Situação de ação desconhecida"},
        {"IDEFICAZ", Variant("T"), true, "S (eficaz) ou N (não eficaz)"},
        {"CDOPERRESP", Variant("998"), true, "Responsável pela ação (CDOPERRESP)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + (c.action ? " da ação" : ""));
        Exec("DELETE FROM ACAOOCORR");
        Exec("DELETE FROM TRATOCORR");
        TClientDataSet treatment, actions;
        Read(treatment, actions);
        Set(treatment, {{"DSCAUSA", Variant("Causa")}});
        AddAction(actions, "Ação", Days(1));
        Set(c.action ? actions : treatment, {{c.field, c.value}});
        const std::string answer = Save(&treatment, &actions);
        EXPECT_THAT(answer, HasSubstr(c.says));
        EXPECT_THAT(answer, HasSubstr("nada foi gravado"));
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TRATOCORR"), "0");
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ACAOOCORR"), "0");
    }
    // Of an occurrence that is not there, nothing is read or written.
    EXPECT_TRUE(net.Call("GetTratamento", {Variant("0001"), Variant("0000000099")}).IsError());
}

// The list a person follows: each criterion alone picks exactly its treatments, and the
// counts group the same selection by situation.
TEST_F(Treatment, TheListPicksByEachCriterionAndCountsBySituation) {
    const auto write = [&](const char* number, const char* status, const char* responsible,
                           int due) {
        TClientDataSet treatment, actions;
        Read(treatment, actions, "0001", number);
        Set(treatment, {{"IDSITUACAO", Variant(status)}, {"CDOPERRESP", Variant(responsible)}});
        if (due != 0) {
            AddAction(actions, "Ação", Days(due), "0001", number);
        }
        ASSERT_EQ(Save(&treatment, &actions), "") << number;
    };
    write("0000000001", "E", "002", -3); // an action overdue
    write("0000000002", "N", "001", 4);  // one due later
    write("0000000003", "E", "002", 0);
    const auto numbers = [&](const char* branch, const char* status, const char* responsible,
                             const char* supplier, const char* overdue, Variant from, Variant to) {
        TClientDataSet list;
        list.SetData(
            net.Call("GetTratamentos", {Variant(branch), Variant(status), Variant(responsible),
                                        Variant(supplier), Variant(overdue), from, to}));
        std::string out;
        for (list.First(); !list.Eof(); list.Next()) {
            out += list.FieldByName("CDFILILANCMO").AsString() + "/" +
                   list.FieldByName("NROCORRMOV").AsString().substr(8) + " ";
        }
        return out;
    };
    const Variant any;
    EXPECT_EQ(numbers("0001", "", "", "", "", any, any), "0001/01 0001/04 0001/02 0001/03 ");
    EXPECT_EQ(numbers("", "E", "", "", "", any, any), "0001/01 0001/03 ");
    EXPECT_EQ(numbers("", "A", "", "", "", any, any), "0002/01 0012/01 0001/04 0002/02 ")
        << "an occurrence without a treatment is open";
    EXPECT_EQ(numbers("", "", "001", "", "", any, any), "0001/02 ");
    EXPECT_EQ(numbers("", "", "", "000001", "", any, any), "0001/01 0002/02 ");
    EXPECT_EQ(numbers("", "", "", "", "S", any, any), "0001/01 ") << "overdue actions only";
    EXPECT_EQ(numbers("0001", "", "", "", "", Variant(EncodeDate(2026, 10, 17)),
                      Variant(EncodeDate(2026, 10, 31))),
              "0001/04 0001/02 ")
        << "the last day whole";

    TClientDataSet list;
    list.SetData(net.Call("GetTratamentos", {Variant("0001"), Variant(""), Variant(""), Variant(""),
                                             Variant("S"), any, any}));
    ASSERT_EQ(list.RecordCount(), 1);
    EXPECT_EQ(list.FieldByName("QTACOESABERTAS").AsInteger(), 1);
    EXPECT_EQ(list.FieldByName("QTACOESVENCIDAS").AsInteger(), 1);
    EXPECT_EQ(list.FieldByName("NMOPERRESP").AsString(), "Bruno");
    EXPECT_GT(list.FieldByName("NRDIAS").AsInteger(), 30) << "its age in days";

    TClientDataSet counts;
    counts.SetData(net.Call("GetContagemTratamentos", {Variant("0001"), Variant("E"), Variant(""),
                                                       Variant(""), Variant(""), any, any}));
    std::string byStatus;
    for (counts.First(); !counts.Eof(); counts.Next()) {
        byStatus += counts.FieldByName("IDSITUACAO").AsString() +
                    counts.FieldByName("QTTRATAMENTOS").AsString() + " ";
    }
    EXPECT_EQ(byStatus, "A1 N1 E2 F0 C0 ") << "every situation, whatever the list shows";
}

// The operator's own open actions past their date, and only those.
TEST_F(Treatment, OnesOwnOverdueActionsAreCounted) {
    EXPECT_EQ(net.Call("GetAcoesVencidas", {}).AsInteger(), 0);
    TClientDataSet treatment, actions;
    Read(treatment, actions);
    AddAction(actions, "De outro", Days(-5)); // Bruno's
    AddAction(actions, "Vencida", Days(-1));
    AddAction(actions, "No prazo", Days(3));
    AddAction(actions, "Vencida e feita", Days(-2));
    for (const int n : {2, 3, 4}) {
        ASSERT_TRUE(actions.Locate("DSACAO", Variant(n == 2   ? "Vencida"
                                                     : n == 3 ? "No prazo"
                                                              : "Vencida e feita")));
        Set(actions, {{"CDOPERRESP", Variant("001")}});
    }
    Set(actions, {{"IDSITUACAO", Variant("R")}});
    ASSERT_EQ(Save(&treatment, &actions), "");
    EXPECT_EQ(net.Call("GetAcoesVencidas", {}).AsInteger(), 1);
}

// A save whose answer was lost is sent again with its key: its action is stored once,
// and the desktop's connection gives every such save a key.
TEST_F(Treatment, ASaveSentAgainWithItsKeyIsStoredOnce) {
    TClientDataSet treatment, actions;
    Read(treatment, actions);
    AddAction(actions, "Uma vez só", Days(1));
    const std::string body =
        oca::server::MakeRpcRequest(9, "GravaTratamento", {Variant(), actions.GetDelta()});
    const auto post = [&] {
        RawClient raw(port);
        raw.Send(RawClient::Post(body, token, "Idempotency-Key: chave-tratamento\r\n"));
        return RawClient::Body(raw.Read(5000));
    };
    const std::string first = post();
    ASSERT_THAT(first, HasSubstr(R"("result":"")"));
    EXPECT_EQ(post(), first);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ACAOOCORR"), "1");

    std::vector<std::string> keys;
    for (int i = 0; i < 2; ++i) {
        Read(treatment, actions);
        AddAction(actions, "Com chave", Days(1));
        ASSERT_EQ(Save(nullptr, &actions), "");
    }
    EXPECT_EQ(Scalar("SELECT COUNT(DISTINCT CDCHAVE) FROM CHAMADAGRAV WHERE CDCHAVE NOT LIKE "
                     "'chave-tratamento%'"),
              "2")
        << "each save with a key of its own";
}

TEST_F(Treatment, AnOccurrenceDeletedTakesItsTreatmentWithIt) {
    TClientDataSet treatment, actions;
    Read(treatment, actions, "0001", "0000000004");
    Set(treatment, {{"CDOPERRESP", Variant("001")}});
    AddAction(actions, "Ação", Days(1), "0001", "0000000004");
    ASSERT_EQ(Save(&treatment, &actions), "");
    ASSERT_FALSE(net.Call("DelOcorr", {Variant("0001"), Variant("0000000004")}).IsError());
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM TRATOCORR"), "0");
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM ACAOOCORR"), "0");
}

} // namespace
