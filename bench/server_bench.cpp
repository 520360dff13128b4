// The application server measured in one run: the selection of a whole demo company
// against the sqlite3 command line reading the same rows with the same joins, the size
// of the answer and the client's decoding of it; then Confirma with 8 concurrent clients
// on each server.
// Usage: bench_server [OCCURRENCES] [--postgres URL] [--servers N] [--sqlite-sync normal]
//                     [--clients 8,32] [--parts select,confirm,quick,front] [--full]
//   (default 100000 occurrences, one server). Confirma runs against real oca-appserver
//   processes, once for each number of clients, the clients spread over the servers; with
//   --full each new occurrence has a description and a supplier whose scores are
//   recomputed by the write, as the desktop's usually are. --sqlite-sync
//   normal measures SQLite with commits that survive a killed process but not a power loss. With
//   --postgres the company is a schema of its own on that database, psql reads the selection, and N
//   servers share it.
#include "access/operators.h"
#include "appserver/http_front.h"
#include "appserver/server.h"
#include "bench_support.h"
#include "core/packet_json.h"
#include "database/demo_data.h"
#include "database/schema.h"
#include "framework/net/net_connection.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

template <class F> double Median(int runs, F&& f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        f();
        times.push_back(Seconds(start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

using bench::Everything;

std::vector<std::string> Split(const std::string& list) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t comma; (comma = list.find(',', start)) != std::string::npos; start = comma + 1) {
        out.push_back(list.substr(start, comma - start));
    }
    out.push_back(list.substr(start));
    return out;
}

// Where the company is, and the command line that reads a file of SQL on it.
struct Company {
    std::string url;
    std::string cli;  ///< followed by the file's name
    std::string work; ///< a path prefix for scratch files
};

void MeasureSelection(const Company& company) {
    oca::server::OcorAtendimento server([&] { return oca::db::Database::Open(company.url); });
    const oca::server::CallLimits session = bench::SignedIn(server);
    std::string text;
    // The server's own path: the answer written as its rows are read.
    const double serverTime = Median(3, [&] {
        text.clear();
        server.CallToText("GetMovOcorr", Everything(), session, text);
    });
    const std::string sql = bench::PlainSql();
    const std::string sqlFile = company.work + ".select.sql";
    std::FILE* f = std::fopen(sqlFile.c_str(), "w");
    std::fputs((sql + ";\n").c_str(), f);
    std::fclose(f);
    const std::string command = company.cli + sqlFile + " > /dev/null";
    const double cliTime = Median(3, [&] {
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "a linha de comando falhou\n");
        }
    });
    Variant decoded;
    const double decodeTime = Median(3, [&] { decoded = DecodeVariant(text); });
    std::printf("GetMovOcorr over %zu rows\n", decoded.AsPacket().rows.size());
    std::printf("  server (query and JSON text):       %8.3f s\n", serverTime);
    std::printf("  command line, same rows:            %8.3f s\n", cliTime);
    std::printf("  ratio server / command line:        %8.2f (target <= 1.5)\n",
                serverTime / cliTime);
    std::printf("  answer size:                        %8.1f MB\n", text.size() / 1e6);
    std::printf("  client decoding:                    %8.3f s\n", decodeTime);
    std::filesystem::remove(sqlFile);
}

bool MeasureConfirma(const Company& company, int serverCount, int clients,
                     const std::vector<std::string>& serverArgs, bool full) {
    // Real server processes, each with its own connections and its own writer.
    std::vector<std::unique_ptr<bench::ServerProcess>> servers;
    for (int s = 0; s < serverCount; ++s) {
        servers.push_back(std::make_unique<bench::ServerProcess>(company.url, serverArgs));
    }
    const int kClients = clients;
    const int kEach = std::max(50, 2000 / clients);
    DataPacket shape;
    shape.isDelta = true;
    shape.fields = {{"CDFILIAL", FieldType::String, 4},    {"CDFILILANCMO", FieldType::String, 4},
                    {"NROCORRMOV", FieldType::String, 10}, {"DTOCORRMOV", FieldType::DateTime},
                    {"CDOPERADOR", FieldType::String, 12}, {"DSSUMARIAOC", FieldType::String, 30},
                    {"CDFORNECED", FieldType::String, 21}};
    // As the desktop stores one: with its description and, with --full, a supplier at a
    // branch that requalifies its suppliers at each write.
    DataPacket text;
    text.isDelta = true;
    text.fields = {{"CDFILILANCMO", FieldType::String, 4},
                   {"NROCORRMOV", FieldType::String, 10},
                   {"DSMOVOCORR", FieldType::Memo}};
    text.changes = {{RowState::Inserted,
                     {},
                     {Variant("0001"), Variant(""), Variant("<p>Relato da medição</p>")}}};
    std::vector<double> latencies(static_cast<size_t>(kClients * kEach));
    std::vector<std::string> numbers(static_cast<size_t>(kClients * kEach));
    const auto start = Clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < kClients; ++c) {
        threads.emplace_back([&, c] {
            TNetConnection net;
            servers[static_cast<size_t>(c % serverCount)]->Connect(net);
            for (int i = 0; i < kEach; ++i) {
                DataPacket delta = shape;
                delta.changes = {
                    {RowState::Inserted,
                     {},
                     {Variant("0001"), Variant("0001"), Variant(""), Variant(Now()), Variant("001"),
                      Variant("Medição"), full ? Variant("000001") : Variant()}}};
                const auto t = Clock::now();
                const std::string answer =
                    net.Call("Confirma", {MakePacketVariant(delta), Variant(),
                                          full ? MakePacketVariant(text) : Variant(), Variant("")})
                        .AsString();
                latencies[static_cast<size_t>(c * kEach + i)] = Seconds(t);
                numbers[static_cast<size_t>(c * kEach + i)] = answer;
            }
        });
    }
    for (auto& t : threads) {
        t.join();
    }
    const double total = Seconds(start);
    // Every answer a new number, none twice: a refused or doubled write is no throughput.
    std::sort(numbers.begin(), numbers.end());
    const bool allNumbers = std::all_of(numbers.begin(), numbers.end(), [](const std::string& n) {
        return n.size() == 10 && n.find_first_not_of("0123456789") == std::string::npos;
    });
    const auto twice = std::adjacent_find(numbers.begin(), numbers.end());
    if (!allNumbers || twice != numbers.end()) {
        const auto odd = std::find_if(numbers.begin(), numbers.end(), [](const std::string& n) {
            return n.size() != 10 || n.find_first_not_of("0123456789") != std::string::npos;
        });
        std::fprintf(stderr, "Confirma: uma resposta não é um número novo (%s)\n",
                     odd != numbers.end() ? odd->c_str() : twice->c_str());
        return false;
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("Confirma, %d server(s), %d clients x %d inserts\n", serverCount, kClients, kEach);
    std::printf("  throughput:  %8.0f per second\n", latencies.size() / total);
    std::printf("  p50 latency: %8.2f ms\n", 1000 * latencies[latencies.size() / 2]);
    std::printf("  p99 latency: %8.2f ms\n", 1000 * latencies[latencies.size() * 99 / 100]);
    std::printf("  max latency: %8.2f ms\n", 1000 * latencies.back());
    std::printf("confirma%s servers=%d clients=%d per_s=%.0f p50_ms=%.2f p99_ms=%.2f max_ms=%.2f\n",
                full ? "_full" : "", serverCount, kClients, latencies.size() / total,
                1000 * latencies[latencies.size() / 2],
                1000 * latencies[latencies.size() * 99 / 100], 1000 * latencies.back());
    return true;
}

// A server object and its HTTP front in this process, on a free loopback port.
struct InProcessServer {
    explicit InProcessServer(const Company& company)
        : server([&company] { return oca::db::Database::Open(company.url); }),
          front(server, Options()), port(front.Start()) {}
    static oca::server::HttpOptions Options() {
        oca::server::HttpOptions options;
        options.port = 0;
        options.log = false;
        return options;
    }
    void Connect(TNetConnection& net) const {
        net.SetServerName("OCA0080A.rdmOcorAtendimento");
        net.SetPort(port);
        net.SetCredentials("001", "senha001", "0001", 30);
    }
    oca::server::OcorAtendimento server;
    oca::server::HttpFront front;
    int port;
};

// What a person waits for while the company loads: a server date and a confirm asked
// while eight clients load the whole selection, again and again, on the same server.
void MeasureQuickUnderLoads(const Company& company) {
    InProcessServer served(company);
    const auto connect = [&served](TNetConnection& net) {
        served.Connect(net);
    };
    std::atomic<bool> loading{true};
    std::atomic<int> loads{0};
    std::vector<std::thread> loaders;
    for (int c = 0; c < 8; ++c) {
        loaders.emplace_back([&] {
            TNetConnection net;
            connect(net);
            while (loading) {
                net.Call("GetMovOcorr", Everything());
                ++loads;
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    TNetConnection net;
    connect(net);
    std::vector<double> dates, confirms;
    DataPacket delta;
    delta.isDelta = true;
    delta.fields = {{"CDFILIAL", FieldType::String, 4},
                    {"CDFILILANCMO", FieldType::String, 4},
                    {"CDOPERADOR", FieldType::String, 12}};
    delta.changes = {{RowState::Inserted, {}, {Variant("0001"), Variant("0001"), Variant("001")}}};
    for (int i = 0; i < 40; ++i) {
        auto t = Clock::now();
        net.Call("GetSysDate");
        dates.push_back(Seconds(t));
        t = Clock::now();
        net.Call("Confirma", {MakePacketVariant(delta), Variant(), Variant(), Variant("")});
        confirms.push_back(Seconds(t));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    loading = false;
    for (auto& t : loaders) {
        t.join();
    }
    served.front.Stop();
    std::sort(dates.begin(), dates.end());
    std::sort(confirms.begin(), confirms.end());
    std::printf("Quick calls while 8 clients load the whole selection (%d loads meanwhile)\n",
                loads.load());
    std::printf("  GetSysDate p50 / max: %8.2f / %8.2f ms (target < 100)\n",
                1000 * dates[dates.size() / 2], 1000 * dates.back());
    std::printf("  Confirma   p50 / max: %8.2f / %8.2f ms (target < 100)\n",
                1000 * confirms[confirms.size() / 2], 1000 * confirms.back());
}

// The front alone: calls that cost the server next to nothing (the server's date), from
// many kept-alive clients at once, so that what is timed is reading, handing to a worker
// and writing back.
void MeasureFront(const Company& company, const std::vector<int>& clientCounts) {
    InProcessServer served(company);
    for (const int clients : clientCounts) {
        constexpr int kCalls = 4000;
        const int each = std::max(1, kCalls / clients);
        std::vector<double> latencies(static_cast<size_t>(clients * each));
        const auto start = Clock::now();
        std::vector<std::thread> threads;
        for (int c = 0; c < clients; ++c) {
            threads.emplace_back([&, c] {
                TNetConnection net;
                served.Connect(net);
                net.Call("GetSysDate");
                for (int i = 0; i < each; ++i) {
                    const auto t = Clock::now();
                    net.Call("GetSysDate");
                    latencies[static_cast<size_t>(c * each + i)] = Seconds(t);
                }
            });
        }
        for (auto& t : threads) {
            t.join();
        }
        const double total = Seconds(start);
        std::sort(latencies.begin(), latencies.end());
        std::printf("front clients=%d calls=%zu per_s=%.0f p50_ms=%.3f p99_ms=%.3f\n", clients,
                    latencies.size(), latencies.size() / total,
                    1000 * latencies[latencies.size() / 2],
                    1000 * latencies[latencies.size() * 99 / 100]);
    }
    served.front.Stop();
}

} // namespace

int main(int argc, char** argv) {
    int occurrences = 100000;
    int serverCount = 1;
    std::string postgres;
    std::vector<int> clients = {8, 32};
    std::string parts = "select,confirm,quick,front";
    std::vector<std::string> serverArgs;
    bool full = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--postgres" && i + 1 < argc) {
            postgres = argv[++i];
        } else if (arg == "--servers" && i + 1 < argc) {
            serverCount = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--clients" && i + 1 < argc) {
            clients.clear();
            for (const std::string& n : Split(argv[++i])) {
                clients.push_back(std::max(1, std::atoi(n.c_str())));
            }
        } else if (arg == "--full") {
            full = true;
        } else if (arg == "--parts" && i + 1 < argc) {
            parts = argv[++i];
        } else if (arg == "--sqlite-sync" && i + 1 < argc) {
            const std::string mode = argv[++i];
            oca::db::SetSqliteFullSync(mode != "normal");
            serverArgs = {"--sqlite-sync", mode};
        } else {
            occurrences = std::atoi(arg.c_str());
        }
    }
    const std::string work =
        (std::filesystem::temp_directory_path() / ("oca_bench_" + std::to_string(::getpid())))
            .string();
    Company company;
    company.work = work;
    const std::string schema = "oca_bench_" + std::to_string(::getpid());
    if (postgres.empty()) {
        company.url = "sqlite:" + work + ".sqlite";
        company.cli = "sqlite3 " + work + ".sqlite < ";
    } else {
        oca::db::Database::Open(postgres)->ExecuteScript("CREATE SCHEMA " + schema);
        company.url = postgres + (postgres.find('?') == std::string::npos ? "?" : "&") +
                      "options=-csearch_path%3D" + schema;
        company.cli = "psql '" + company.url + "' -qAt -f ";
    }
    {
        auto db = oca::db::Database::Open(company.url);
        oca::db::MigrateSchema(*db);
        const auto start = Clock::now();
        oca::db::FillDemoData(*db, occurrences);
        oca::access::GiveDemoAccess(*db);
        std::printf("demo company with %d occurrences made in %.1f s\n", occurrences,
                    Seconds(start));
    }
    const auto wanted = [&](const char* part) {
        const auto all = Split(parts);
        return std::find(all.begin(), all.end(), part) != all.end();
    };
    if (wanted("select")) {
        MeasureSelection(company);
    }
    if (wanted("confirm")) {
        for (int n : clients) {
            if (!MeasureConfirma(company, serverCount, n, serverArgs, full)) {
                return 1; // the servers stop as they go out of scope
            }
        }
    }
    if (wanted("quick")) {
        MeasureQuickUnderLoads(company);
    }
    if (wanted("front")) {
        MeasureFront(company, clients);
    }
    if (postgres.empty()) {
        for (const char* suffix : {"", "-wal", "-shm"}) {
            std::filesystem::remove(work + ".sqlite" + suffix);
        }
    } else {
        oca::db::Database::Open(postgres)->ExecuteScript("DROP SCHEMA " + schema + " CASCADE");
    }
    return 0;
}
