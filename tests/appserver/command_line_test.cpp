// The server's and the database tool's command lines: a mistyped option is refused with
// its reason instead of being read as zero, and the address announced is the one taken.
#include "server_fixture.h"
#include "server_process.h"

#include <gmock/gmock.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

struct Outcome {
    int status;
    std::string output;
};

Outcome RunServer(const std::string& arguments, const char* token = "t") {
    const std::string db =
        (std::filesystem::temp_directory_path() / "oca_command_line.sqlite").string();
    const std::string command = "env -u OCA_TOKEN " +
                                (*token ? "OCA_TOKEN=" + std::string(token) + " " : "") +
                                "timeout 2 " + std::string(OCA_APPSERVER_BIN) +
                                " --db sqlite:" + db + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    Outcome outcome{-1, ""};
    char buffer[512];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) {
        outcome.output += buffer;
    }
    const int status = pipe ? ::pclose(pipe) : -1;
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

TEST(CommandLine, MistypedNumbersAreRefusedWithTheirReason) {
    struct Case {
        const char* arguments;
        const char* reason;
    };
    const Case cases[] = {
        {"--listen 127.0.0.1:99999", "porta de 0 a 65535"},
        {"--listen 127.0.0.1:80a", "porta de 0 a 65535"},
        {"--listen 127.0.0.1:", "porta de 0 a 65535"},
        {"--listen localhost", "porta de 0 a 65535"},
        {"--call-timeout 2x", "de 1 a 86400"},
        {"--call-timeout 0", "de 1 a 86400"},
        {"--threads 0", "de 1 a 256"},
        {"--threads -4", "de 1 a 256"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const Outcome outcome = RunServer(c.arguments);
        EXPECT_EQ(outcome.status, 2);
        EXPECT_THAT(outcome.output, HasSubstr(c.reason));
        EXPECT_THAT(outcome.output, Not(HasSubstr("http://")));
    }
}

// Beyond this machine a server without a token would let anyone change the company's
// occurrences: it does not start. On loopback it may, for a developer's own use.
TEST(CommandLine, AServerReachableFromTheNetworkNeedsAToken) {
    const Outcome open = RunServer("--listen 0.0.0.0:0", "");
    EXPECT_EQ(open.status, 2);
    EXPECT_THAT(open.output, HasSubstr("exige um token"));
    const Outcome clear = RunServer("--listen 0.0.0.0:0");
    EXPECT_THAT(clear.output, HasSubstr("sem criptografia"));
    EXPECT_THAT(clear.output, HasSubstr("em http://0.0.0.0:"));
    const Outcome local = RunServer("--listen 127.0.0.1:0", "");
    EXPECT_THAT(local.output, HasSubstr("em http://127.0.0.1:"));
    EXPECT_THAT(local.output, Not(HasSubstr("aviso")));
}

TEST(CommandLine, TheAnnouncedAddressIsTheOneTaken) {
    // `timeout` ends the server; its port 0 became a real one by then.
    const Outcome outcome = RunServer("--listen 127.0.0.1:0 --threads 2 --call-timeout 30");
    EXPECT_THAT(outcome.output, HasSubstr("em http://127.0.0.1:"));
    EXPECT_THAT(outcome.output, Not(HasSubstr("127.0.0.1:0/")));
    const Outcome v6 = RunServer("--listen [::1]:0");
    if (v6.output.find("Não foi possível escutar") == std::string::npos) {
        EXPECT_THAT(v6.output, HasSubstr("em http://[::1]:"));
    }
}

TEST(CommandLine, TheDatabaseToolChangesNothingWhenItsOptionsAreWrong) {
    const auto db = std::filesystem::temp_directory_path() / "oca_dbinit_refused.sqlite";
    std::filesystem::remove(db);
    const std::string base = std::string(OCA_DBINIT_BIN) + " --db sqlite:" + db.string();
    struct Case {
        const char* arguments;
        int status;
    };
    for (const Case c : {Case{" --demo --occurrences mil", 2}, Case{" --occurrences -5", 2},
                         Case{" --seed /nao/existe.sql", 1}}) {
        SCOPED_TRACE(c.arguments);
        const int status = std::system((base + c.arguments + " >/dev/null 2>&1").c_str());
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, c.status);
        EXPECT_FALSE(std::filesystem::exists(db)) << "no database made";
    }
}

// A client gone while its answer is written (over TLS, through OpenSSL's own writes) must
// be a failed write, not a signal that ends the server.
TEST(CommandLine, TheServerIgnoresWritesToClientsThatAreGone) {
    TestDatabase database(CurrentTestName());
    oca::db::MigrateSchema(*oca::db::Database::Open(database.Url()));
    ServerProcess server(database.Url(), FreePort());
    ASSERT_TRUE(server.WaitUp());
    std::ifstream status("/proc/" + std::to_string(server.Pid()) + "/status");
    std::string line;
    unsigned long long ignored = 0;
    while (std::getline(status, line)) {
        if (line.rfind("SigIgn:", 0) == 0) {
            ignored = std::stoull(line.substr(7), nullptr, 16);
        }
    }
    EXPECT_TRUE(ignored & (1ULL << (SIGPIPE - 1)));
}

} // namespace
