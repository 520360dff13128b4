// Calls a screen would never make, sent straight over the wire: the server decides who
// may do what, from the session, whatever the call says.
#include "confirm_fixture.h"

#include "access/operators.h"

namespace {

using ::testing::HasSubstr;

class Forged : public Confirm {
protected:
    void Admin(const std::function<void(oca::db::Database&)>& act) {
        auto db = oca::db::Database::Open(url);
        act(*db);
    }
    std::string Summary(const std::string& branch, const std::string& number) {
        return Scalar("SELECT DSSUMARIAOC FROM MOVOCORR WHERE CDFILILANCMO = '" + branch +
                      "' AND NROCORRMOV = '" + number + "'");
    }
    std::string Stored() { return Scalar("SELECT COUNT(*) FROM MOVOCORR"); }
    std::string Entries() { return Scalar("SELECT COUNT(*) FROM HISTMOVOCORR"); }
    /// Changes the summary of one occurrence of `cds` and sends it through `client`.
    static std::string Resummarize(TNetConnection& client, TClientDataSet& cds,
                                   const std::string& branch, const std::string& number) {
        EXPECT_TRUE(cds.Locate("CDFILILANCMO;NROCORRMOV", {Variant(branch), Variant(number)}));
        cds.Edit();
        cds.FieldByName("DSSUMARIAOC").SetAsString("Forjada");
        cds.Post();
        return client.Call("Confirma", {cds.GetDelta(), Variant(), Variant(), Variant("")})
            .AsString();
    }
};

TEST_F(Forged, ANewOccurrenceIsTheSessionsOperatorsWhateverOperatorTheCallNames) {
    TNetConnection bruno;
    Connect(bruno);
    SignInAs(bruno, "002");
    TClientDataSet cds;
    Load(cds);
    AppendNew(cds); // CDOPERADOR "001", as a forged call would say
    cds.Edit();
    cds.FieldByName("DTOCORRMOV").SetAsDateTime(EncodeDate(2026, 11, 20));
    cds.FieldByName("CDFORNECED").SetAsString("000001");
    cds.Post();
    const std::string number =
        bruno.Call("Confirma", {cds.GetDelta(), Variant(), Variant(), Variant("")}).AsString();
    ASSERT_EQ(number.size(), 10u) << number;
    EXPECT_EQ(Scalar("SELECT CDOPERADOR FROM MOVOCORR WHERE CDFILILANCMO = '0001' AND "
                     "NROCORRMOV = '" +
                     number + "'"),
              "002");
    // And no change hands an occurrence to another operator.
    TClientDataSet mine;
    mine.SetData(bruno.Call("GetMovOcorr", AllOfBranch1()));
    ASSERT_TRUE(mine.Locate("NROCORRMOV", Variant(number)));
    mine.Edit();
    mine.FieldByName("CDOPERADOR").SetAsString("001");
    mine.Post();
    EXPECT_THAT(
        bruno.Call("Confirma", {mine.GetDelta(), Variant(), Variant(), Variant("")}).AsString(),
        HasSubstr("não pode ser trocado"));
    // The qualification computed on the call is the session operator's too.
    ASSERT_FALSE(bruno
                     .Call("SetApuraQualif",
                           {Variant("0001"), Variant("001"), Variant(""), Variant(""),
                            Variant("0001"), Variant("000001"), Variant(EncodeDate(2026, 10, 10)),
                            Variant(EncodeDate(2026, 10, 10))})
                     .IsError());
    EXPECT_EQ(Scalar("SELECT DISTINCT CDOPERADOR FROM QUALIFFORN WHERE CDFORNECED = '000001' AND "
                     "NRANOMES = 202610"),
              "002");
}

TEST_F(Forged, ABranchOutsideTheSessionsGrantsIsRefusedWithNothingStored) {
    TClientDataSet cds;
    cds.SetData(net.Call("GetMovOcorr", WholeSelection()));
    TClientDataSet opinion;
    opinion.SetData(net.Call("GetParecer", {Variant("0002"), Variant("0000000001")}));
    Admin([](oca::db::Database& db) {
        oca::access::RevokeAccess(db, "001", "*", 0);
        oca::access::GrantAccess(db, "001", "0001", 0);
    });
    const std::string stored = Stored(), entries = Entries();
    EXPECT_THAT(Resummarize(net, cds, "0002", "0000000001"),
                HasSubstr("não tem acesso à filial 0002"));
    EXPECT_EQ(Summary("0002", "0000000001"), "Quatro");

    TClientDataSet fresh;
    Load(fresh);
    AppendNew(fresh, "0002");
    EXPECT_THAT(Send(&fresh, nullptr, nullptr), HasSubstr("não tem acesso à filial 0002"));
    EXPECT_EQ(Scalar("SELECT NRULTIMO FROM NUMOCORR WHERE CDFILILANCMO = '0002'"), "2");

    opinion.Append();
    opinion.FieldByName("CDFILILANCMO").SetAsString("0002");
    opinion.FieldByName("NROCORRMOV").SetAsString("0000000001");
    opinion.FieldByName("DSPAROCORMOV").SetAsString("<p>Forjado</p>");
    opinion.Post();
    EXPECT_THAT(Send(nullptr, &opinion, nullptr), HasSubstr("não tem acesso à filial 0002"));

    const Variant deleted = net.Call("DelOcorr", {Variant("0002"), Variant("0000000001")});
    EXPECT_TRUE(deleted.IsError());
    EXPECT_THAT(deleted.AsString(), HasSubstr("não tem acesso à filial 0002"));
    EXPECT_EQ(Stored(), stored);
    EXPECT_EQ(Entries(), entries);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM PARECER WHERE CDFILILANCMO = '0002'"), "0");
}

TEST_F(Forged, InModule66AnOperatorAltersOnlyTheOccurrencesTheyRegistered) {
    TNetConnection bruno;
    Connect(bruno);
    SignInAs(bruno, "002", "0001", 66);
    TClientDataSet cds;
    cds.SetData(bruno.Call("GetMovOcorr", AllOfBranch1()));
    EXPECT_EQ(Resummarize(bruno, cds, "0001", "0000000001"),
              "Operador não tem permissão para alterar ocorrência.");
    EXPECT_EQ(Summary("0001", "0000000001"), "Um");
    cds.CancelUpdates();
    EXPECT_EQ(Resummarize(bruno, cds, "0001", "0000000003"), "");
    EXPECT_EQ(Summary("0001", "0000000003"), "Forjada");
    // The same change in module 30 is anyone's to make.
    TClientDataSet again;
    again.SetData(net.Call("GetMovOcorr", AllOfBranch1()));
    EXPECT_EQ(Resummarize(net, again, "0001", "0000000003"), "");
}

TEST_F(Forged, ABranchWhoseParametersForbidIsGivenNoOccurrenceAndLosesNone) {
    Exec("UPDATE PARAMFILIAL SET IDINCOCORR = 'N' WHERE CDFILIAL = '0001'");
    const std::string stored = Stored();
    for (const int module : {30, 66}) {
        SCOPED_TRACE(module);
        TNetConnection client;
        Connect(client);
        SignInAs(client, "001", "0001", module);
        TClientDataSet cds;
        cds.SetData(client.Call("GetMovOcorr", AllOfBranch1()));
        AppendNew(cds);
        EXPECT_EQ(
            client.Call("Confirma", {cds.GetDelta(), Variant(), Variant(), Variant("")}).AsString(),
            "Filial não permite inclusão de ocorrência.");
        const Variant deleted = client.Call("DelOcorr", {Variant("0001"), Variant("0000000002")});
        EXPECT_EQ(deleted.AsString(), "Filial não permite exclusão de ocorrência.");
    }
    EXPECT_EQ(Stored(), stored);
    // Other modules do not follow the branch's parameter.
    TNetConnection other;
    Connect(other);
    SignInAs(other, "001", "0001", 80);
    EXPECT_FALSE(other.Call("DelOcorr", {Variant("0001"), Variant("0000000002")}).IsError());
    EXPECT_EQ(std::stoi(Stored()), std::stoi(stored) - 1);
}

} // namespace
