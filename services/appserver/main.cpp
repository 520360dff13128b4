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
#include <set>

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

} // namespace

int main(int argc, char** argv) {
    // Two heaps for all the workers: a load's memory is given back between calls instead
    // of staying in a heap of each thread that ever ran one.
    mallopt(M_ARENA_MAX, 2);
    RaiseDescriptorLimit();
    std::string url, requalify, branch;
    oca::server::HttpOptions options;
    oca::server::SessionRules sessions;
    oca::server::AttachmentLimits attachments;
    if (const char* env = std::getenv("OCA_TOKEN")) {
        options.token = env;
    }
    // A configuration file's options come first: the command line given after them wins.
    std::vector<std::string> given;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--config" && i + 1 < argc) {
            std::string error;
            given = oca::server::ReadConfigFile(argv[i + 1], error);
            if (!error.empty()) {
                return Refuse(error.c_str());
            }
        }
    }
    for (int i = 1; i < argc; ++i) {
        given.emplace_back(argv[i]);
    }
    std::vector<char*> words = {argv[0]};
    for (std::string& word : given) {
        words.push_back(word.data());
    }
    argc = static_cast<int>(words.size());
    argv = words.data();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--db" && i + 1 < argc) {
            url = argv[++i];
        } else if (arg == "--listen" && i + 1 < argc) {
            if (!ParseListen(argv[++i], options.host, options.port)) {
                return Refuse("--listen espera HOST:PORTA, com a porta de 0 a 65535");
            }
        } else if (arg == "--token" && i + 1 < argc) {
            options.token = argv[++i];
            std::cerr << "oca-appserver: aviso: --token fica visível no ps; prefira OCA_TOKEN "
                         "ou --token-file\n";
        } else if (arg == "--token-file" && i + 1 < argc) {
            if (!ReadToken(argv[++i], options.token)) {
                return 2;
            }
        } else if (arg == "--tls-cert" && i + 1 < argc) {
            options.tlsCert = argv[++i];
        } else if (arg == "--tls-key" && i + 1 < argc) {
            options.tlsKey = argv[++i];
        } else if (arg == "--call-timeout" && i + 1 < argc) {
            int seconds = 0;
            if (!ParseWhole(argv[++i], 1, 86400, seconds)) {
                return Refuse("--call-timeout espera os segundos, de 1 a 86400");
            }
            options.callTimeoutMs = seconds * 1000;
        } else if (arg == "--threads" && i + 1 < argc) {
            if (!ParseWhole(argv[++i], 1, 256, options.threads)) {
                return Refuse("--threads espera o número de trabalhadores, de 1 a 256");
            }
        } else if (arg == "--sqlite-sync" && i + 1 < argc) {
            const std::string sync = argv[++i];
            if (sync != "full" && sync != "normal") {
                return Refuse("--sqlite-sync espera full (o padrão: sobrevive a uma queda de "
                              "energia) ou normal");
            }
            oca::db::SetSqliteFullSync(sync == "full");
        } else if (arg == "--session-idle" && i + 1 < argc) {
            if (!ParseWhole(argv[++i], 1, 7 * 24 * 60, sessions.idleMinutes)) {
                return Refuse("--session-idle espera os minutos sem uso que encerram uma sessão, "
                              "de 1 a 10080");
            }
        } else if (arg == "--config" && i + 1 < argc) {
            ++i; // read above
        } else if (arg == "--log-json") {
            options.logJson = true;
        } else if (arg == "--attachment-max-mb" && i + 1 < argc) {
            int mb = 0;
            if (!ParseWhole(argv[++i], 1, 4096, mb)) {
                return Refuse("--attachment-max-mb espera o tamanho máximo de um anexo em MB, "
                              "de 1 a 4096");
            }
            attachments.fileBytes = std::int64_t{mb} << 20;
        } else if (arg == "--attachments-per-occurrence-mb" && i + 1 < argc) {
            int mb = 0;
            if (!ParseWhole(argv[++i], 1, 65536, mb)) {
                return Refuse("--attachments-per-occurrence-mb espera o total de anexos de uma "
                              "ocorrência em MB, de 1 a 65536");
            }
            attachments.occurrenceBytes = std::int64_t{mb} << 20;
        } else if (arg == "--requalify" && i + 1 < argc) {
            requalify = argv[++i];
        } else if (arg == "--branch" && i + 1 < argc) {
            branch = argv[++i];
        } else {
            return Usage();
        }
    }
    if (url.empty() || options.tlsCert.empty() != options.tlsKey.empty()) {
        return Usage();
    }
    if (!requalify.empty() || !branch.empty()) {
        const size_t colon = requalify.find(':');
        const int first = ParseMonth(requalify.substr(0, colon));
        const int last =
            colon == std::string::npos ? first : ParseMonth(requalify.substr(colon + 1));
        if (first == 0 || last == 0 || last < first || last - first > 1200) {
            std::cerr << "oca-appserver: --requalify espera o mês como AAAA-MM (ou um intervalo "
                         "AAAA-MM:AAAA-MM, do mais antigo ao mais novo)\n";
            return 2;
        }
        try {
            return RunRequalify(url, first, last, branch);
        } catch (const std::exception& e) {
            std::cerr << "\noca-appserver: " << e.what() << "\n";
            return 1;
        }
    }
    if (!IsLoopback(options.host)) {
        // Anyone who reaches the port could read and change the company's occurrences.
        if (options.token.empty()) {
            return Refuse("escutar fora do loopback exige um token (OCA_TOKEN ou --token-file)");
        }
        if (options.tlsCert.empty()) {
            std::cerr << "oca-appserver: aviso: sem --tls-cert, o token e os dados passam pela "
                         "rede sem criptografia\n";
        }
    }
    try {
        {
            auto db = oca::db::Database::Open(url);
            oca::db::MigrateSchema(*db);
        }
        // Before the server's connections open: they leave checkpoints to it.
        const oca::db::WalCheckpointer checkpoints(url);
        oca::server::OcorAtendimento server([url] { return oca::db::Database::Open(url); });
        server.SetSessionRules(sessions);
        if (attachments.occurrenceBytes < attachments.fileBytes) {
            return Refuse("--attachments-per-occurrence-mb não pode ser menor que "
                          "--attachment-max-mb");
        }
        oca::server::SetAttachmentLimits(attachments);
        oca::server::HttpFront front(server, options);
        g_front = &front;
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
        // A client gone while its answer is written is a failed write, not the end of the
        // server: TLS writes through OpenSSL, which cannot ask the system not to signal.
        std::signal(SIGPIPE, SIG_IGN);
        // Said once the address is bound, with the port really taken (with 0, a free one).
        front.Run([&options](int port) {
            // The service manager is told once the database is open and the port bound.
            sd_notify(0, "READY=1");
            const bool v6 = options.host.find(':') != std::string::npos;
            std::cerr << "oca-appserver: OCA0080A.rdmOcorAtendimento em "
                      << (options.tlsCert.empty() ? "http://" : "https://")
                      << (v6 ? "[" + options.host + "]" : options.host) << ":" << port
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
