// What a person waits for when the register screen loads a whole company: GetMovOcorr
// through a real oca-appserver process over loopback into a TClientDataSet, against the
// sqlite3 command line running the same selection with the same rows and columns. The
// two are interleaved, several rounds at each size, with the same method at every size;
// and the memory of client and server against the answer's size.
//
// Usage: bench_load [SIZE...] [--rounds N] [--postgres URL]
//   (default sizes 10000 100000, 5 rounds). With --postgres the company of each size is a
//   schema of its own on that database, and psql runs the selection instead of sqlite3.
#include "appserver/jsonrpc.h"
#include "appserver/server.h"
#include "bench_support.h"
#include "core/packet_json.h"
#include "framework/data/client_dataset.h"
#include "framework/net/net_connection.h"

#include <httplib.h>

#include <malloc.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point t) {
    return std::chrono::duration<double>(Clock::now() - t).count();
}

std::string BinDir() {
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

/// A line of /proc/PID/status in kB ("VmRSS", "VmHWM").
long StatusKb(pid_t pid, const char* key) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key, 0) == 0) {
            return std::atol(line.c_str() + std::string(key).size() + 1);
        }
    }
    return 0;
}

/// Resets the peak resident size of a process, so the next peak is one load's.
void ResetPeak(pid_t pid) {
    std::ofstream("/proc/" + std::to_string(pid) + "/clear_refs") << "5";
}

using bench::Everything;
using bench::FreePort;
using bench::PlainSql;

struct Stats {
    double min, median;
};

Stats Of(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2]};
}

struct SizeResult {
    int size;
    Stats load, cli;
    double answerMb, clientPeakMb, clientRestMb, serverPeakMb, serverIdleMb, serverAfterMb;
};

void Run(const std::string& command, const char* what) {
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "%s falhou\n", what);
        std::exit(1);
    }
}

// The company of `size` occurrences (made on first use) and the command line that runs
// the same selection on it.
struct Company {
    std::string url;
    std::string cli;
};

Company MakeCompany(int size, const std::string& postgres) {
    const std::string dir =
        (std::filesystem::temp_directory_path() / ("oca_load_" + std::to_string(size))).string();
    std::filesystem::create_directories(dir);
    const std::string sqlFile = dir + "/selecao.sql";
    std::ofstream(sqlFile) << PlainSql() << ";\n";
    const std::string init =
        BinDir() + "/oca-dbinit --demo --occurrences " + std::to_string(size) + " >/dev/null --db ";
    if (!postgres.empty()) {
        const std::string schema = "oca_load_" + std::to_string(size);
        Run("psql '" + postgres + "' -qAt -c 'CREATE SCHEMA IF NOT EXISTS " + schema +
                "' >/dev/null",
            "psql");
        const std::string url = postgres + (postgres.find('?') == std::string::npos ? "?" : "&") +
                                "options=-csearch_path%3D" + schema;
        Run(init + "'" + url + "'", "oca-dbinit");
        return {url, "psql '" + url + "' -qAt -f " + sqlFile + " > /dev/null"};
    }
    const std::string file = dir + "/empresa.sqlite";
    if (!std::filesystem::exists(file)) {
        Run(init + "sqlite:" + file, "oca-dbinit");
    }
    return {"sqlite:" + file, "sqlite3 " + file + " < " + sqlFile + " > /dev/null"};
}

SizeResult Measure(int size, int rounds, const std::string& postgres) {
    const Company company = MakeCompany(size, postgres);
    const std::string& cli = company.cli;

    const int port = FreePort();
    const pid_t server = ::fork();
    if (server == 0) {
        ::freopen("/dev/null", "w", stderr);
        const std::string bin = BinDir() + "/oca-appserver";
        const std::string listen = "127.0.0.1:" + std::to_string(port);
        ::execl(bin.c_str(), bin.c_str(), "--db", company.url.c_str(), "--listen", listen.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    TNetConnection net;
    net.SetServerName("OCA0080A.rdmOcorAtendimento");
    net.SetPort(port);
    net.SetCredentials("001", "senha001", "0001", 30);
    for (int i = 0; i < 500 && !net.Connected(); ++i) {
        try {
            net.SetConnected(true);
        } catch (const Exception&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    SizeResult r{};
    r.size = size;
    {
        // The answer's size, as it travels.
        httplib::Client raw("127.0.0.1", port);
        raw.set_read_timeout(600, 0);
        raw.set_default_headers(
            {{"Oca-Sessao", net.SignIn("001", "senha001", "0001", 30).session}});
        const auto body = raw.Post("/rpc/OCA0080A.rdmOcorAtendimento",
                                   oca::server::MakeRpcRequest(1, "GetMovOcorr", Everything()),
                                   "application/json");
        r.answerMb = body ? body->body.size() / 1e6 : 0;
    }
    r.serverIdleMb = StatusKb(server, "VmRSS") / 1e3;
    std::vector<double> loads, clis;
    const pid_t self = ::getpid();
    for (int round = 0; round < rounds; ++round) {
        {
            // What earlier rounds freed goes back to the system, so that each round's
            // memory is measured from the same floor.
            ::malloc_trim(0);
            const long before = StatusKb(self, "VmRSS");
            ResetPeak(self);
            ResetPeak(server);
            TClientDataSet cds;
            const auto start = Clock::now();
            cds.SetData(net.Call("GetMovOcorr", Everything()));
            loads.push_back(Since(start));
            if (cds.RecordCount() != static_cast<size_t>(size)) {
                std::fprintf(stderr, "carregou %zu de %d\n", cds.RecordCount(), size);
            }
            r.clientPeakMb = std::max(r.clientPeakMb, (StatusKb(self, "VmHWM") - before) / 1e3);
            r.clientRestMb = std::max(r.clientRestMb, (StatusKb(self, "VmRSS") - before) / 1e3);
            r.serverPeakMb = std::max(r.serverPeakMb, StatusKb(server, "VmHWM") / 1e3);
        }
        const auto start = Clock::now();
        if (std::system(cli.c_str()) != 0) {
            std::fprintf(stderr, "a linha de comando falhou\n");
        }
        clis.push_back(Since(start));
    }
    r.serverAfterMb = StatusKb(server, "VmRSS") / 1e3;
    ::kill(server, SIGTERM);
    ::waitpid(server, nullptr, 0);
    r.load = Of(loads);
    r.cli = Of(clis);
    return r;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes;
    int rounds = 5;
    std::string postgres;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc) {
            rounds = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--postgres" && i + 1 < argc) {
            postgres = argv[++i];
        } else {
            sizes.push_back(std::atoi(arg.c_str()));
        }
    }
    if (sizes.empty()) {
        sizes = {10000, 100000};
    }
    std::printf("%9s %9s %9s %9s %9s %8s %8s %9s %9s %9s %9s\n", "rows", "load min", "load med",
                "cli min", "cli med", "ratio", "ratio", "answer", "client", "client", "server");
    std::printf("%9s %9s %9s %9s %9s %8s %8s %9s %9s %9s %9s\n", "", "s", "s", "s", "s", "min",
                "median", "MB", "peak MB", "rest MB", "peak MB");
    std::vector<SizeResult> results;
    for (int size : sizes) {
        const SizeResult r = Measure(size, rounds, postgres);
        results.push_back(r);
        std::printf("%9d %9.3f %9.3f %9.3f %9.3f %8.2f %8.2f %9.1f %9.1f %9.1f %9.1f\n", r.size,
                    r.load.min, r.load.median, r.cli.min, r.cli.median, r.load.min / r.cli.min,
                    r.load.median / r.cli.median, r.answerMb, r.clientPeakMb, r.clientRestMb,
                    r.serverPeakMb);
        std::printf("%9s server resident: %.1f MB idle, %.1f MB after the loads\n", "",
                    r.serverIdleMb, r.serverAfterMb);
        std::fflush(stdout);
    }
    for (size_t i = 1; i < results.size(); ++i) {
        std::printf("growth %d -> %d: load %.1fx, command line %.1fx (rows %.0fx)\n",
                    results[i - 1].size, results[i].size,
                    results[i].load.median / results[i - 1].load.median,
                    results[i].cli.median / results[i - 1].cli.median,
                    static_cast<double>(results[i].size) / results[i - 1].size);
    }
    return 0;
}
