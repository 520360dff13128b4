// Signing in, and what a session lets a client do: no method answers without one, and
// what ends one (idleness, the administrator, a revoked grant) ends it on every server.
#include "confirm_fixture.h"

#include "access/operators.h"

namespace {

using ::testing::HasSubstr;

// 09/12/2026 at hh:mm.
TDateTime At(int hour, int minute) {
    return TDateTime{EncodeDate(2026, 12, 9).Value + EncodeTime(hour, minute, 0, 0).Value};
}

class SignIn : public Confirm {
protected:
    void SetUp() override {
        Confirm::SetUp();
        oca::server::SessionRules rules;
        rules.failureDelayMs = 0;
        rules.idleMinutes = 30;
        server->SetSessionRules(rules);
        stranger.SetServerName("OCA0080A.rdmOcorAtendimento");
        stranger.SetPort(port);
        stranger.SetToken(token);
    }
    void TearDown() override {
        oca::server::SetServerClock(nullptr);
        stranger.SetConnected(false);
        Confirm::TearDown();
    }
    /// The server's answer to a sign-in: "" when it gave a session, else its text.
    std::string Refusal(const std::string& op, const std::string& password,
                        const std::string& branch = "0001", int module = 30) {
        try {
            stranger.SignIn(op, password, branch, module);
            return "";
        } catch (const Exception& e) {
            return e.Message();
        }
    }
    void Admin(const std::function<void(oca::db::Database&)>& act) {
        auto db = oca::db::Database::Open(url);
        act(*db);
    }
    TNetConnection stranger; ///< a client with no credentials of its own
};

TEST_F(SignIn, WithoutASessionNoMethodButSignInAnswersAndNothingIsStored) {
    const std::string before = Scalar("SELECT COUNT(*) FROM MOVOCORR");
    for (const char* method : {"GetSysDate", "GetMovOcorr", "Confirma", "DelOcorr", "NaoExiste"}) {
        SCOPED_TRACE(method);
        EXPECT_THROW(stranger.Call(method, {Variant("0001"), Variant("0000000001")}),
                     ESessionEnded);
    }
    // A token made up, or one of the right shape that names no session, is no session.
    for (const std::string& forged : {std::string("001"), std::string(64, 'a')}) {
        stranger.SetSession(forged);
        EXPECT_THROW(stranger.Call("GetSysDate"), ESessionEnded) << forged;
    }
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM MOVOCORR"), before);
    EXPECT_EQ(Refusal("001", "senha001"), "");
    EXPECT_EQ(stranger.Call("GetSysDate").AsPacket().rows.size(), 1u);
}

TEST_F(SignIn, AWrongPasswordAndAnUnknownOperatorGetTheSameAnswer) {
    const std::string wrong = Refusal("001", "senha002");
    EXPECT_EQ(wrong, "Operador ou senha inválidos.");
    EXPECT_EQ(Refusal("999", "senha999"), wrong);
    EXPECT_EQ(Refusal("001", ""), wrong);
    EXPECT_EQ(Refusal("001", "SENHA001"), wrong);
    // An operator the administrator has not given a password yet cannot sign in either.
    Exec("INSERT INTO OPERADOR VALUES ('003', 'Carla')");
    EXPECT_EQ(Refusal("003", ""), wrong);
    EXPECT_EQ(Refusal("003", "senha003"), wrong);
}

TEST_F(SignIn, RepeatedFailuresLockTheCodeTypedForAWhileWhetherOrNotItExists) {
    oca::server::SetServerClock([] { return At(10, 0); });
    for (const char* op : {"001", "999"}) {
        SCOPED_TRACE(op);
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(Refusal(op, "errada"), "Operador ou senha inválidos.");
        }
        EXPECT_THAT(Refusal(op, std::string("senha") + op), HasSubstr("bloqueado"));
    }
    EXPECT_EQ(Refusal("002", "senha002"), "") << "another operator is not locked";
    // Past the lock the right password works, and the count starts again.
    oca::server::SetServerClock([] { return At(10, 16); });
    EXPECT_EQ(Refusal("001", "senha001"), "");
    EXPECT_EQ(Refusal("001", "errada"), "Operador ou senha inválidos.");
    EXPECT_EQ(Refusal("001", "senha001"), "");
    // A new password from the administrator frees a locked operator at once.
    for (int i = 0; i < 5; ++i) {
        Refusal("002", "errada");
    }
    Admin([](oca::db::Database& db) { oca::access::SetPassword(db, "002", "nova", {}); });
    EXPECT_EQ(Refusal("002", "nova"), "");
    EXPECT_EQ(Refusal("002", "senha002"), "Operador ou senha inválidos.");
}

TEST_F(SignIn, TheBranchAndModuleMustBeGrantedToTheOperator) {
    Admin([](oca::db::Database& db) {
        oca::access::RevokeAccess(db, "002", "*", 0);
        oca::access::GrantAccess(db, "002", "0001", 66);
        oca::access::GrantAccess(db, "002", "0002", 0);
    });
    EXPECT_EQ(Refusal("002", "senha002", "0001", 66), "");
    EXPECT_EQ(Refusal("002", "senha002", "0002", 30), "");
    EXPECT_THAT(Refusal("002", "senha002", "0001", 30),
                HasSubstr("não tem acesso à filial 0001 no módulo 30"));
    EXPECT_THAT(Refusal("002", "senha002", "0012", 66), HasSubstr("não tem acesso à filial 0012"));
    // A session of branch 0002 sees only that branch's occurrences, whatever it asks.
    stranger.SignIn("002", "senha002", "0002", 30);
    const Variant all = stranger.Call("GetMovOcorr", WholeSelection());
    for (const std::string& key : Keys(all)) {
        EXPECT_EQ(key.substr(0, 4), "0002") << key;
    }
    EXPECT_FALSE(Keys(all).empty());
    EXPECT_TRUE(stranger.Call("GetParecer", {Variant("0001"), Variant("0000000001")}).IsError());
    // The panel's detail counts that branch's occurrences of the supplier, not the others'.
    const auto counted = [](TNetConnection& client) {
        std::int64_t total = 0;
        const Variant detail = client.Call(
            "GetQualifDetalhe", {Variant(""), Variant("000001"), Variant(std::int64_t{202610})});
        for (const Row& row : detail.AsPacket().rows) {
            total += row[3].AsInteger();
        }
        return total;
    };
    EXPECT_EQ(counted(net), 2);
    EXPECT_EQ(counted(stranger), 1);
}

TEST_F(SignIn, ASessionEndsWhenIdleWhenEndedByTheAdministratorOrWhenItsGrantGoes) {
    TDateTime now = At(10, 0);
    oca::server::SetServerClock([&now] { return now; });
    stranger.SignIn("002", "senha002", "0001", 30);
    now = At(10, 29);
    EXPECT_NO_THROW(stranger.Call("GetSysDate")) << "used within the idle time";
    now = At(10, 58);
    EXPECT_NO_THROW(stranger.Call("GetSysDate")) << "each call keeps it alive";
    now = At(11, 29);
    EXPECT_THROW(stranger.Call("GetSysDate"), ESessionEnded);

    stranger.SignIn("002", "senha002", "0001", 30);
    Admin([](oca::db::Database& db) { EXPECT_EQ(oca::access::EndSessions(db, "002"), 1); });
    EXPECT_THROW(stranger.Call("GetSysDate"), ESessionEnded);

    stranger.SignIn("002", "senha002", "0001", 30);
    EXPECT_NO_THROW(net.Call("GetSysDate")) << "another operator's session goes on";
    Admin([](oca::db::Database& db) { oca::access::RevokeAccess(db, "002", "*", 0); });
    EXPECT_THROW(stranger.Call("GetSysDate"), ESessionEnded);

    // Signing out ends the session, and only it.
    TNetConnection other;
    Connect(other);
    other.Call("Sair");
    EXPECT_NO_THROW(net.Call("GetSysDate"));
}

TEST_F(SignIn, AClientWithCredentialsSignsInAgainWhenItsSessionEnds) {
    EXPECT_NO_THROW(net.Call("GetSysDate"));
    Admin([](oca::db::Database& db) { oca::access::EndSessions(db, "001"); });
    EXPECT_NO_THROW(net.Call("GetSysDate"));
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SESSAO WHERE CDOPERADOR = '001' AND DTFIM IS NULL"),
              "1");
}

TEST_F(SignIn, PasswordsAreStoredOnlyAsArgon2idHashes) {
    Admin(
        [](oca::db::Database& db) { oca::access::SetPassword(db, "002", "Segredo forte 1", {}); });
    const std::string hash = Scalar("SELECT DSHASH FROM SENHAOPER WHERE CDOPERADOR = '002'");
    EXPECT_EQ(hash.rfind("$argon2id$", 0), 0u) << hash;
    EXPECT_EQ(hash.find("Segredo"), std::string::npos);
    EXPECT_TRUE(oca::access::PasswordMatches(hash, "Segredo forte 1"));
    EXPECT_FALSE(oca::access::PasswordMatches(hash, "Segredo forte 2"));
    EXPECT_FALSE(oca::access::PasswordMatches("não é um hash", "x"));
    // What is stored of a session cannot be sent back as one.
    const std::string session = stranger.SignIn("002", "Segredo forte 1", "0001", 30).session;
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM SESSAO WHERE IDSESSAO = '" + session + "'"), "0");
    stranger.SetSession(Scalar("SELECT MAX(IDSESSAO) FROM SESSAO WHERE CDOPERADOR = '002'"));
    EXPECT_THROW(stranger.Call("GetSysDate"), ESessionEnded);
}

TEST_F(SignIn, TheAdministrationRefusesWhatDoesNotExist) {
    Admin([](oca::db::Database& db) {
        EXPECT_THROW(oca::access::SetPassword(db, "999", "x", {}), oca::access::AccessError);
        EXPECT_THROW(oca::access::SetPassword(db, "001", "", {}), oca::access::AccessError);
        EXPECT_THROW(oca::access::GrantAccess(db, "001", "9999", 30), oca::access::AccessError);
        EXPECT_THROW(oca::access::GrantAccess(db, "001", "0001", 1000), oca::access::AccessError);
        EXPECT_THROW(oca::access::GrantAccess(db, "999", "0001", 30), oca::access::AccessError);
        EXPECT_FALSE(oca::access::RevokeAccess(db, "001", "0002", 30));
        EXPECT_EQ(oca::access::EndSessions(db, "zz"), 0);
    });
}

} // namespace

namespace {

// A company made before operators signed in: its operators keep their rows and get no
// password, so nobody signs in until the administrator says who may.
TEST(Upgrade, ACompanyOfTheEarlierSchemaIsBroughtForwardWithNobodyAbleToSignInYet) {
    TestDatabase database(CurrentTestName());
    {
        auto db = oca::db::Database::Open(database.Url());
        ASSERT_EQ(oca::db::SchemaVersion(*db), 0);
        for (const oca::db::Migration& m : oca::db::Migrations()) {
            if (m.version > 3) {
                break;
            }
            oca::db::Transaction tx(*db);
            if (!m.onlyOn || *m.onlyOn == db->product()) {
                db->ExecuteScript(m.sql);
            }
            db->Execute("INSERT INTO SCHEMAVERSAO (VERSAO, NMPASSO) VALUES (:V, :N)",
                        {{"V", Variant(m.version)}, {"N", Variant(m.name)}});
            tx.Commit();
        }
        db->ExecuteScript(CompanySeed());
        ASSERT_EQ(oca::db::SchemaVersion(*db), 3);
        EXPECT_EQ(oca::db::MigrateSchema(*db), static_cast<int>(oca::db::Migrations().size()) - 3);
        auto st = db->Prepare("SELECT COUNT(*) FROM SENHAOPER");
        ASSERT_TRUE(st->Next());
        EXPECT_EQ(st->Value(0).AsInteger(), 0);
    }
    oca::server::OcorAtendimento server([&] { return oca::db::Database::Open(database.Url()); });
    oca::server::SessionRules rules;
    rules.failureDelayMs = 0;
    server.SetSessionRules(rules);
    const auto signIn = [&] {
        return server.Call("Entrar",
                           {Variant("001"), Variant("nova"), Variant("0001"), Variant(30)});
    };
    EXPECT_TRUE(signIn().IsError());
    {
        auto db = oca::db::Database::Open(database.Url());
        oca::access::SetPassword(*db, "001", "nova", oca::access::HashCost::Demo);
    }
    EXPECT_THAT(signIn().AsString(), HasSubstr("não tem acesso")) << "a password, no grant";
    {
        auto db = oca::db::Database::Open(database.Url());
        oca::access::GrantAccess(*db, "001", "*", 0);
    }
    EXPECT_FALSE(signIn().IsError());
}

} // namespace
