// The server's and the database tool's command lines: a mistyped option is refused with
// its reason instead of being read as zero, and the address announced is the one taken.
#include "server_fixture.h"
#include "server_process.h"

#include "appserver/config_file.h"

#include <gmock/gmock.h>

#include <sys/socket.h>
#include <sys/un.h>
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

namespace {

TEST(ConfigFile, EveryOptionHasAKeyAndMistakesNameTheirLine) {
    const auto folder = std::filesystem::temp_directory_path();
    const auto read = [&](const std::string& text, std::string& error) {
        const std::string path = (folder / "oca_appserver_test.conf").string();
        std::ofstream(path) << text;
        error.clear();
        return oca::server::ReadConfigFile(path, error);
    };
    std::string error;
    EXPECT_EQ(read("# servidor da matriz\n"
                   "db = postgresql://oca@/oca?host=/run/postgresql\n"
                   "listen = 0.0.0.0:8211   # todas as interfaces\n"
                   "\n"
                   "token-file = /etc/oca/token\n"
                   "log-json = true\n"
                   "threads=16\n",
                   error),
              (std::vector<std::string>{"--db", "postgresql://oca@/oca?host=/run/postgresql",
                                        "--listen", "0.0.0.0:8211", "--token-file",
                                        "/etc/oca/token", "--log-json", "--threads", "16"}));
    EXPECT_EQ(error, "");
    const struct {
        const char* text;
        const char* says;
    } wrong[] = {
        {"db = x\nporta = 1\n", ":2: chave desconhecida: porta"},
        {"listen 0.0.0.0:1\n", ":1: espera chave = valor"},
        {"log-json = sim\n", ":1: log-json espera true ou false"},
        {"token = segredo\n", ":1: o token não fica na configuração"},
    };
    for (const auto& w : wrong) {
        EXPECT_TRUE(read(w.text, error).empty()) << w.text;
        EXPECT_THAT(error, HasSubstr(w.says)) << w.text;
    }
    EXPECT_TRUE(oca::server::ReadConfigFile("/nao/existe.conf", error).empty());
    EXPECT_THAT(error, HasSubstr("não foi possível ler"));
}

TEST(CommandLine, TheCommandLineWinsOverTheConfigurationAndAWrongOneIsRefused) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "oca_appserver_cli.conf").string();
    std::ofstream(path) << "listen = 127.0.0.1:1\nthreads = 2\n";
    const Outcome outcome = RunServer("--config " + path + " --listen 127.0.0.1:0");
    EXPECT_THAT(outcome.output, HasSubstr("em http://127.0.0.1:"));
    EXPECT_THAT(outcome.output, Not(HasSubstr("127.0.0.1:1/")));
    std::ofstream(path) << "threads = muitas\n";
    EXPECT_EQ(RunServer("--config " + path).status, 2);
    std::ofstream(path) << "porta = 1\n";
    EXPECT_THAT(RunServer("--config " + path).output, HasSubstr("chave desconhecida: porta"));
}

// The service manager learns the server is ready only once it listens, through the socket
// it names in NOTIFY_SOCKET.
TEST(CommandLine, TheServiceManagerIsToldWhenTheServerIsReady) {
    const std::string socketPath =
        (std::filesystem::temp_directory_path() / ("oca_notify_" + std::to_string(::getpid())))
            .string();
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socketPath.c_str());
    ::unlink(socketPath.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::setenv("NOTIFY_SOCKET", socketPath.c_str(), 1);
    const Outcome outcome = RunServer("--listen 127.0.0.1:0");
    ::unsetenv("NOTIFY_SOCKET");
    std::string said;
    char buffer[256];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n <= 0) {
            break;
        }
        said.append(buffer, static_cast<size_t>(n));
        said += '|';
    }
    ::close(fd);
    ::unlink(socketPath.c_str());
    EXPECT_THAT(said, HasSubstr("READY=1")) << outcome.output;
    EXPECT_THAT(said, HasSubstr("STOPPING=1"));
    EXPECT_LT(said.find("READY=1"), said.find("STOPPING=1"));
}

} // namespace
