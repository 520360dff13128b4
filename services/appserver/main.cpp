// oca-appserver: the occurrence server object over HTTP.
#include "appserver/attachments.h"
#include "appserver/config_file.h"
#include "appserver/http_front.h"
#include "appserver/qualification.h"
#include "appserver/server.h"
#include "database/schema.h"
#include "database/sqlite_database.h"

#include <malloc.h>
#include <sys/resource.h>
#include <systemd/sd-daemon.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

oca::server::HttpFront* g_front = nullptr;

void OnSignal(int) {
    if (g_front) {
        g_front->RequestStop();
    }
}

int Usage() {
    std::cerr
        << "uso: oca-appserver [--config ARQUIVO] --db URL [--listen HOST:PORTA]\n"
           "                    [--token-file ARQUIVO]\n"
           "                    [--threads N] [--call-timeout SEGUNDOS]\n"
           "                    [--tls-cert CERTIFICADO.pem --tls-key CHAVE.pem]\n"
           "                    [--sqlite-sync full|normal] [--session-idle MINUTOS]\n"
           "                    [--attachment-max-mb MB] [--attachments-per-occurrence-mb MB]\n"
           "       oca-appserver --db URL --requalify AAAA-MM[:AAAA-MM] [--branch FILIAL]\n"
           "  --requalify recalcula a qualificação do mês (ou de cada mês do intervalo)\n"
           "  para cada fornecedor com ocorrências ou recebimentos nele, e termina.\n"
           "  O token também pode vir de OCA_TOKEN (--token TOKEN fica visível no ps).\n";
    return 2;
}

// The first line of a file, without its line break: the token stays out of `ps`.
bool ReadToken(const std::string& file, std::string& token) {
    std::ifstream in(file);
    if (!in || !std::getline(in, token)) {
        std::cerr << "oca-appserver: não foi possível ler o token de " << file << "\n";
        return false;
    }
    while (!token.empty() && (token.back() == '\r' || token.back() == ' ')) {
        token.pop_back();
    }
    return true;
}

// A whole number from `min` to `max` written with digits only: a typo is refused instead
// of read as 0 (which would make a one-second call limit, or a random port).
bool ParseWhole(const std::string& text, long min, long max, int& out) {
    if (text.empty() || text.size() > 9 ||
        text.find_first_not_of("0123456789") != std::string::npos) {
        return false;
    }
    const long value = std::stol(text);
    if (value < min || value > max) {
        return false;
    }
    out = static_cast<int>(value);
    return true;
}

// "HOST:PORT", "[IPv6]:PORT" or ":PORT" (loopback).
bool ParseListen(const std::string& text, std::string& host, int& port) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || !ParseWhole(text.substr(colon + 1), 0, 65535, port)) {
        return false;
    }
    host = text.substr(0, colon);
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    if (host.empty()) {
        host = "127.0.0.1";
    }
    return true;
}

// Only this machine can reach the address: "localhost", 127.x.y.z or ::1.
bool IsLoopback(const std::string& host) {
    return host == "localhost" || host == "::1" || host.rfind("127.", 0) == 0;
}

// A refused option: its reason, and the exit status of a wrong command line.
int Refuse(const char* what) {
    std::cerr << "oca-appserver: " << what << "\n";
    return 2;
}

// "2026-11" or "202611" as 202611; 0 when it is neither.
int ParseMonth(const std::string& text) {
    int year = 0, month = 0;
    if ((std::sscanf(text.c_str(), "%4d-%2d", &year, &month) != 2 &&
         std::sscanf(text.c_str(), "%4d%2d", &year, &month) != 2) ||
        year < 1900 || month < 1 || month > 12) {
        return 0;
    }
    return year * 100 + month;
}

std::string MonthText(int month) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%04d", month % 100, month / 100);
    return text;
}

int RunRequalify(const std::string& url, int first, int last, const std::string& branch) {
    auto db = oca::db::Database::Open(url);
    oca::db::MigrateSchema(*db);
    // The work goes by branch and supplier; the person counts suppliers.
    std::set<std::string> suppliers;
    const int done = oca::server::Requalify(
        *db, first, last, branch, [&suppliers](int count, int total, const std::string& what) {
            suppliers.insert(what.substr(what.find('/') + 1));
            std::cout << "\rRecalculando " << count << " de " << total << " (" << what << ")   "
                      << std::flush;
        });
    std::cout << (done > 0 ? "\n" : "") << "Qualificação de " << MonthText(first)
              << (last == first ? "" : " a " + MonthText(last)) << " recalculada para "
              << suppliers.size() << " fornecedor(es)"
              << (branch.empty() ? "" : " da filial " + branch) << ".\n";
    return 0;
}

// Each client holds a descriptor: the soft limit (often 1,024) goes up to what the system
// allows, so that a crowd of idle clients is not what decides who gets served.
void RaiseDescriptorLimit() {
    rlimit limit{};
    const rlim_t wanted = 65536;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < wanted &&
        limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = std::min(limit.rlim_max, wanted);
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// What the command line (and a configuration file before it) asks for.
struct ServerOptions {
    std::string url;
    std::string requalify; ///< the months to work out again, instead of serving
    std::string branch;    ///< the one branch to work out again, when given
    bool fullSync = true;
    oca::server::HttpOptions http;
    oca::server::SessionRules sessions;
    oca::server::AttachmentLimits attachments;
};

// The words of a configuration file named by --config, then the command line's, which win.
// False (with the reason) when the file cannot be read.
bool GatherArguments(int argc, char** argv, std::vector<std::string>& words, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--config" && i + 1 < argc) {
            words = oca::server::ReadConfigFile(argv[i + 1], error);
            if (!error.empty()) {
                return false;
            }
        }
    }
    for (int i = 1; i < argc; ++i) {
        words.emplace_back(argv[i]);
    }
    return true;
}

// Reads the options; the exit code when the program must stop here (a refused value,
// the usage text).
std::optional<int> ParseOptions(const std::vector<std::string>& words, ServerOptions& o) {
    const size_t n = words.size();
    for (size_t i = 0; i < n; ++i) {
        const std::string& arg = words[i];
        const bool hasValue = i + 1 < n;
        if (arg == "--db" && hasValue) {
            o.url = words[++i];
        } else if (arg == "--listen" && hasValue) {
            if (!ParseListen(words[++i], o.http.host, o.http.port)) {
                return Refuse("--listen espera HOST:PORTA, com a porta de 0 a 65535");
            }
        } else if (arg == "--token" && hasValue) {
            o.http.token = words[++i];
            std::cerr << "oca-appserver: aviso: --token fica visível no ps; prefira OCA_TOKEN "
                         "ou --token-file\n";
        } else if (arg == "--token-file" && hasValue) {
            if (!ReadToken(words[++i], o.http.token)) {
                return 2;
            }
        } else if (arg == "--tls-cert" && hasValue) {
            o.http.tlsCert = words[++i];
        } else if (arg == "--tls-key" && hasValue) {
            o.http.tlsKey = words[++i];
        } else if (arg == "--call-timeout" && hasValue) {
            int seconds = 0;
            if (!ParseWhole(words[++i], 1, 86400, seconds)) {
                return Refuse("--call-timeout espera os segundos, de 1 a 86400");
            }
            o.http.callTimeoutMs = seconds * 1000;
        } else if (arg == "--threads" && hasValue) {
            if (!ParseWhole(words[++i], 1, 256, o.http.threads)) {
                return Refuse("--threads espera o número de trabalhadores, de 1 a 256");
            }
        } else if (arg == "--sqlite-sync" && hasValue) {
            const std::string& sync = words[++i];
            if (sync != "full" && sync != "normal") {
                return Refuse("--sqlite-sync espera full (o padrão: sobrevive a uma queda de "
                              "energia) ou normal");
            }
            o.fullSync = sync == "full";
        } else if (arg == "--session-idle" && hasValue) {
            if (!ParseWhole(words[++i], 1, 7 * 24 * 60, o.sessions.idleMinutes)) {
                return Refuse("--session-idle espera os minutos sem uso que encerram uma sessão, "
                              "de 1 a 10080");
            }
        } else if (arg == "--config" && hasValue) {
            ++i; // read before
        } else if (arg == "--log-json") {
            o.http.logJson = true;
        } else if (arg == "--attachment-max-mb" && hasValue) {
            int mb = 0;
            if (!ParseWhole(words[++i], 1, 4096, mb)) {
                return Refuse("--attachment-max-mb espera o tamanho máximo de um anexo em MB, "
                              "de 1 a 4096");
            }
            o.attachments.fileBytes = std::int64_t{mb} << 20;
        } else if (arg == "--attachments-per-occurrence-mb" && hasValue) {
            int mb = 0;
            if (!ParseWhole(words[++i], 1, 65536, mb)) {
                return Refuse("--attachments-per-occurrence-mb espera o total de anexos de uma "
                              "ocorrência em MB, de 1 a 65536");
            }
            o.attachments.occurrenceBytes = std::int64_t{mb} << 20;
        } else if (arg == "--requalify" && hasValue) {
            o.requalify = words[++i];
        } else if (arg == "--branch" && hasValue) {
            o.branch = words[++i];
        } else {
            return Usage();
        }
    }
    if (o.url.empty() || o.http.tlsCert.empty() != o.http.tlsKey.empty()) {
        return Usage();
    }
    return std::nullopt;
}

// --requalify: the months asked for, worked out again, instead of serving.
int Requalify(const ServerOptions& o) {
    const size_t colon = o.requalify.find(':');
    const int first = ParseMonth(o.requalify.substr(0, colon));
    const int last = colon == std::string::npos ? first : ParseMonth(o.requalify.substr(colon + 1));
    if (first == 0 || last == 0 || last < first || last - first > 1200) {
        std::cerr << "oca-appserver: --requalify espera o mês como AAAA-MM (ou um intervalo "
                     "AAAA-MM:AAAA-MM, do mais antigo ao mais novo)\n";
        return 2;
    }
    try {
        return RunRequalify(o.url, first, last, o.branch);
    } catch (const std::exception& e) {
        std::cerr << "\noca-appserver: " << e.what() << "\n";
        return 1;
    }
}

// Serves the company until a signal asks it to stop.
int Serve(const ServerOptions& o) {
    if (!IsLoopback(o.http.host)) {
        // Anyone who reaches the port could read and change the company's occurrences.
        if (o.http.token.empty()) {
            return Refuse("escutar fora do loopback exige um token (OCA_TOKEN ou --token-file)");
        }
        if (o.http.tlsCert.empty()) {
            std::cerr << "oca-appserver: aviso: sem --tls-cert, o token e os dados passam pela "
                         "rede sem criptografia\n";
        }
    }
    try {
        {
            auto db = oca::db::Database::Open(o.url);
            oca::db::MigrateSchema(*db);
        }
        // Before the server's connections open: they leave checkpoints to it.
        const oca::db::WalCheckpointer checkpoints(o.url);
        const std::string url = o.url;
        oca::server::OcorAtendimento server([url] { return oca::db::Database::Open(url); });
        server.SetSessionRules(o.sessions);
        if (o.attachments.occurrenceBytes < o.attachments.fileBytes) {
            return Refuse("--attachments-per-occurrence-mb não pode ser menor que "
                          "--attachment-max-mb");
        }
        oca::server::SetAttachmentLimits(o.attachments);
        oca::server::HttpFront front(server, o.http);
        g_front = &front;
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
        // A client gone while its answer is written is a failed write, not the end of the
        // server: TLS writes through OpenSSL, which cannot ask the system not to signal.
        std::signal(SIGPIPE, SIG_IGN);
        // Said once the address is bound, with the port really taken (with 0, a free one).
        front.Run([&o](int port) {
            // The service manager is told once the database is open and the port bound.
            sd_notify(0, "READY=1");
            const bool v6 = o.http.host.find(':') != std::string::npos;
            std::cerr << "oca-appserver: OCA0080A.rdmOcorAtendimento em "
                      << (o.http.tlsCert.empty() ? "http://" : "https://")
                      << (v6 ? "[" + o.http.host + "]" : o.http.host) << ":" << port
                      << oca::server::HttpFront::kPath << std::endl;
        });
        g_front = nullptr;
        sd_notify(0, "STOPPING=1");
    } catch (const std::exception& e) {
        std::cerr << "oca-appserver: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Two heaps for all the workers: a load's memory is given back between calls instead
    // of staying in a heap of each thread that ever ran one.
    mallopt(M_ARENA_MAX, 2);
    RaiseDescriptorLimit();
    ServerOptions options;
    if (const char* env = std::getenv("OCA_TOKEN")) {
        options.http.token = env;
    }
    std::vector<std::string> words;
    std::string error;
    if (!GatherArguments(argc, argv, words, error)) {
        return Refuse(error.c_str());
    }
    if (const std::optional<int> stop = ParseOptions(words, options)) {
        return *stop;
    }
    oca::db::SetSqliteFullSync(options.fullSync);
    if (!options.requalify.empty() || !options.branch.empty()) {
        return Requalify(options);
    }
    return Serve(options);
}
