#pragma once

#include "access/operators.h"
#include "appserver/http_front.h"
#include "appserver/server.h"
#include "core/data_packet.h"
#include "database/schema.h"
#include "framework/net/net_connection.h"
#include "raw_client.h"
#include "test_database.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

/// A small company (tests/scenarios/company.sql): two branches, a supplier, a customer and
/// a prospect whose codes are all "000001" or substrings of each other, and occurrences
/// chosen to tell the selection rules apart.
inline std::string CompanySeed() {
    std::ifstream in(OCA_COMPANY_SQL, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

/// The company on a new database, its operators signing in with their documented
/// passwords ("senha" and the code) to every branch and module.
inline void SeedCompany(oca::db::Database& db) {
    oca::db::MigrateSchema(db);
    db.ExecuteScript(CompanySeed());
    oca::access::GiveDemoAccess(db);
}

/// GetMovOcorr's parameters for every occurrence dated from 2000 to 2099.
inline std::vector<Variant> WholeSelection() {
    return {Variant(""),
            Variant("T"),
            Variant(""),
            Variant("T"),
            Variant(""),
            Variant("T"),
            Variant(EncodeDate(2000, 1, 1)),
            Variant(EncodeDate(2099, 12, 31)),
            Variant(""),
            Variant("T"),
            Variant(""),
            Variant(""),
            Variant("")};
}

/// A fresh database (a SQLite file, or a schema on the test PostgreSQL cluster), the
/// server object, its HTTP front on a free loopback port, and a client connection to it.
class ServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        database = std::make_unique<TestDatabase>(CurrentTestName());
        url = database->Url();
        {
            auto db = oca::db::Database::Open(url);
            SeedCompany(*db);
        }
        server = std::make_unique<oca::server::OcorAtendimento>(
            [this] { return oca::db::Database::Open(url); });
        oca::server::HttpOptions options;
        options.port = 0;
        options.log = false;
        options.token = token;
        Adjust(options);
        front = std::make_unique<oca::server::HttpFront>(*server, options);
        port = front->Start();
        net.SetServerName("OCA0080A.rdmOcorAtendimento");
        net.SetPort(port);
        net.SetToken(token);
        SignInAs(net, "001");
        signedIn = SignedIn();
        RawClient::session = signedIn.sessionToken;
    }
    /// Makes a client's calls as `op`, signed in with the documented password.
    static void SignInAs(TNetConnection& client, const std::string& op,
                         const std::string& branch = "0001", int module = 30) {
        client.SetCredentials(op, oca::access::DemoPassword(op), branch, module);
    }
    /// Another client of the same server, as a second person's desktop would be.
    void Connect(TNetConnection& client) const {
        client.SetServerName("OCA0080A.rdmOcorAtendimento");
        client.SetPort(port);
        client.SetToken(token);
        SignInAs(client, "001");
    }

    /// The limits of an in-process call made in a new session of `op`.
    oca::server::CallLimits SignedIn(const std::string& op = "001") const {
        const Variant answer =
            server->Call("Entrar", {Variant(op), Variant(oca::access::DemoPassword(op)),
                                    Variant("0001"), Variant(30)});
        oca::server::CallLimits limits;
        limits.sessionToken = answer.AsPacket().rows[0][0].AsString();
        return limits;
    }

    /// Lets a suite serve with other limits.
    virtual void Adjust(oca::server::HttpOptions&) {}

    void TearDown() override {
        RawClient::session.clear();
        net.SetConnected(false); // closes the kept-alive connection first
        front->Stop();
        front.reset();
        server.reset();
        database.reset();
    }

    /// The occurrence keys ("branch/number") a GetMovOcorr answer holds, in order.
    static std::vector<std::string> Keys(const Variant& result) {
        std::vector<std::string> keys;
        const DataPacket& p = result.AsPacket();
        const int b = p.FieldIndex("CDFILILANCMO");
        const int n = p.FieldIndex("NROCORRMOV");
        for (const Row& row : p.rows) {
            keys.push_back(row[static_cast<size_t>(b)].AsString() + "/" +
                           row[static_cast<size_t>(n)].AsString().substr(8));
        }
        return keys;
    }

    std::unique_ptr<TestDatabase> database;
    std::string url;
    std::string token = "segredo";
    /// Limits of in-process calls made as operator 001 (and the session of raw requests).
    oca::server::CallLimits signedIn;
    std::unique_ptr<oca::server::OcorAtendimento> server;
    std::unique_ptr<oca::server::HttpFront> front;
    int port = 0;
    TNetConnection net;
};
