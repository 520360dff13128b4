// A server that listens beyond loopback speaks HTTPS, and the desktop's connection checks
// whom it talks to.
#include "raw_client.h"
#include "server_fixture.h"

#include "core/exceptions.h"

#include <gmock/gmock.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <cstdio>

using ::testing::HasSubstr;

namespace {

/// A self-signed certificate for 127.0.0.1 and its key, written as PEM files.
struct SelfSigned {
    explicit SelfSigned(const std::string& stem) : cert(stem + ".crt"), key(stem + ".key") {
        EVP_PKEY* pkey = EVP_EC_gen("P-256");
        X509* x = X509_new();
        ASN1_INTEGER_set(X509_get_serialNumber(x), 1);
        X509_gmtime_adj(X509_getm_notBefore(x), -60);
        X509_gmtime_adj(X509_getm_notAfter(x), 3600);
        X509_set_pubkey(x, pkey);
        X509_NAME* name = X509_get_subject_name(x);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
        X509_set_issuer_name(x, name);
        X509V3_CTX ctx;
        X509V3_set_ctx_nodb(&ctx);
        X509V3_set_ctx(&ctx, x, x, nullptr, nullptr, 0);
        for (const auto& [nid, value] : std::vector<std::pair<int, const char*>>{
                 {NID_subject_alt_name, "IP:127.0.0.1"},
                 {NID_basic_constraints, "critical,CA:TRUE"}}) {
            X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
            X509_add_ext(x, ext, -1);
            X509_EXTENSION_free(ext);
        }
        X509_sign(x, pkey, EVP_sha256());
        FILE* f = std::fopen(cert.c_str(), "w");
        PEM_write_X509(f, x);
        std::fclose(f);
        f = std::fopen(key.c_str(), "w");
        PEM_write_PrivateKey(f, pkey, nullptr, nullptr, 0, nullptr, nullptr);
        std::fclose(f);
        X509_free(x);
        EVP_PKEY_free(pkey);
    }
    ~SelfSigned() {
        std::filesystem::remove(cert);
        std::filesystem::remove(key);
    }
    std::string cert, key;
};

class Tls : public ServerTest {
protected:
    void Adjust(oca::server::HttpOptions& options) override {
        options.tlsCert = pair.cert;
        options.tlsKey = pair.key;
    }
    SelfSigned pair{
        (std::filesystem::temp_directory_path() / ("oca_tls_" + std::to_string(::getpid())))
            .string()};
};

TEST_F(Tls, ACheckedConnectionCallsAndOthersAreRefused) {
    net.SetTls(true);
    net.SetCaFile(pair.cert);
    EXPECT_EQ(net.Call("GetParamFilial", {Variant(""), Variant("T")}).AsPacket().rows.size(), 2u);

    // Checked against the system's authorities, which never signed this certificate.
    TNetConnection unchecked;
    unchecked.SetServerName("OCA0080A.rdmOcorAtendimento");
    unchecked.SetPort(port);
    unchecked.SetToken(token);
    unchecked.SetTls(true);
    try {
        unchecked.SetConnected(true);
        FAIL() << "a certificate no authority signed was accepted";
    } catch (const Exception& e) {
        EXPECT_THAT(e.Message(), HasSubstr("certificado do servidor não foi aceito"));
    }
    // Plain HTTP to a TLS port gets nothing and the server goes on.
    RawClient plain(port);
    plain.Send(
        RawClient::Post(R"({"jsonrpc":"2.0","id":1,"method":"GetSysDate","params":[]})", token));
    EXPECT_EQ(RawClient::Status(plain.Read(2000)), 0);
    EXPECT_EQ(net.Call("GetSysDate").AsPacket().rows.size(), 1u);
}

class TlsStream : public Tls {
protected:
    void Adjust(oca::server::HttpOptions& options) override {
        Tls::Adjust(options);
        // Small, so that the worker waits on the TLS writes again and again.
        options.streamQueued = 64 << 10;
    }
};

// A streamed answer of several megabytes goes out record by record while the connection
// also waits for the client's next bytes: it arrives whole, and the connection serves on.
TEST_F(TlsStream, ALargeSelectionArrivesWholeAndTheConnectionServesOn) {
    oca::db::Database::Open(url)->ExecuteScript(
        "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N WHERE I < 20000) "
        "INSERT INTO MOVOCORR (CDFILILANCMO, NROCORRMOV, CDFILIAL, CDFORNECED, DTOCORRMOV, "
        "CDOPERADOR, DSSUMARIAOC) SELECT '0001', CAST(1000000100 + I AS VARCHAR(10)), '0001', "
        "'000001', '2026-10-10 10:00:00', '001', 'Resumo ' || I FROM N");
    net.SetTls(true);
    net.SetCaFile(pair.cert);
    const Variant whole = server->Call("GetMovOcorr", WholeSelection(), signedIn);
    ASSERT_GT(whole.AsPacket().rows.size(), 20000u);
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(net.Call("GetMovOcorr", WholeSelection()).AsPacket(), whole.AsPacket())
            << "round " << round;
    }
    EXPECT_EQ(net.Call("GetSysDate").AsPacket().rows.size(), 1u);
}

TEST(TlsSetUp, AMissingCertificateIsRefusedAtStart) {
    auto db = [] {
        return oca::db::Database::Open("sqlite::memory:");
    };
    oca::server::OcorAtendimento server(db);
    oca::server::HttpOptions options;
    options.port = 0;
    options.tlsCert = "/nao/existe.crt";
    options.tlsKey = "/nao/existe.key";
    oca::server::HttpFront front(server, options);
    try {
        front.Start();
        FAIL();
    } catch (const std::runtime_error& e) {
        EXPECT_THAT(e.what(), HasSubstr("/nao/existe.crt"));
    }
}

} // namespace
