// The desktop host's start: an INI file gives the session, options override it, and
// a mistake is told in words rather than ignored.
#include "apps/host_options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

using oca::desktop::HostOptions;
using oca::desktop::ParseHostOptions;

TEST(HostOptions, TheIniFileGivesTheSessionAndOptionsWin) {
    const std::string path = ::testing::TempDir() + "oca-host-test.ini";
    {
        std::ofstream ini(path);
        ini << "; comentário\n[sessao]\noperador = 007\nnome = Bia Lima\nfilial=0002\n"
               "modulo = 66\npor_filial = não\n[servidor]\nendereco = 10.0.0.5:9000\n"
               "token = abc\n[banco]\nurl = sqlite:/tmp/x.sqlite\n";
    }
    const HostOptions o = ParseHostOptions({"--branch", "0003", "--config", path});
    EXPECT_EQ(o.operatorCode, "007");
    EXPECT_EQ(o.operatorName, "Bia Lima");
    EXPECT_EQ(o.branch, "0003") << "the option wins wherever it stands";
    EXPECT_EQ(o.module, 66);
    EXPECT_FALSE(o.perBranch);
    EXPECT_EQ(o.serverHost, "10.0.0.5");
    EXPECT_EQ(o.serverPort, 9000);
    EXPECT_EQ(o.token, "abc");
    EXPECT_EQ(o.databaseUrl, "sqlite:/tmp/x.sqlite");
    EXPECT_FALSE(o.openAtStart);
    std::remove(path.c_str());
}

TEST(HostOptions, MistakesAreRefusedWithAReason) {
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"--module", "trinta"}, "Valor inválido para o módulo"},
        {{"--server", "localhost"}, "ENDEREÇO:PORTA"},
        {{"--server", "localhost:porta"}, "porta do servidor"},
        {{"--server", "localhost:99999"}, "de 1 a 65535"},
        {{"--server", "localhost:0"}, "de 1 a 65535"},
        {{"--exit-after", "-5"}, "--exit-after"},
        {{"--per-branch", "talvez"}, "módulo por filial"},
        {{"--colour", "azul"}, "Opção desconhecida: colour"},
        {{"--branch"}, "Falta o valor de --branch"},
        {{"solto"}, "Argumento inesperado"},
        {{"--config", "/nao/existe.ini"}, "Não foi possível ler"},
    };
    for (const auto& c : cases) {
        try {
            ParseHostOptions(c.args);
            ADD_FAILURE() << "accepted: " << c.args.front();
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
        }
    }
}

TEST(HostOptions, TheTokenMayComeFromTheEnvironmentAndTlsFromAnAuthorityFile) {
    ::setenv("OCA_TOKEN", "do-ambiente", 1);
    HostOptions o = ParseHostOptions({"--tls-ca", "/etc/oca/ca.pem"});
    EXPECT_EQ(o.token, "do-ambiente");
    EXPECT_TRUE(o.tls) << "an authority file means HTTPS";
    EXPECT_EQ(o.caFile, "/etc/oca/ca.pem");
    o = ParseHostOptions({"--token", "da-linha"});
    EXPECT_EQ(o.token, "da-linha") << "the option wins";
    EXPECT_FALSE(o.tls);
    ::unsetenv("OCA_TOKEN");
}

TEST(HostOptions, OpenNeedsNoValue) {
    const HostOptions o = ParseHostOptions({"--open", "--operator", "002"});
    EXPECT_TRUE(o.openAtStart);
    EXPECT_EQ(o.operatorCode, "002");
}

} // namespace
