// oca-appserver: the occurrence server object over HTTP.
#include "appserver/http_front.h"
#include "database/schema.h"

#include <malloc.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>

namespace {

oca::server::HttpFront* g_front = nullptr;

void OnSignal(int) {
    if (g_front) {
        g_front->RequestStop();
    }
}

int Usage() {
    std::cerr << "uso: oca-appserver --db URL [--listen HOST:PORTA] [--token-file ARQUIVO]\n"
                 "                    [--threads N] [--call-timeout SEGUNDOS]\n"
                 "                    [--tls-cert CERTIFICADO.pem --tls-key CHAVE.pem]\n"
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

} // namespace

int main(int argc, char** argv) {
    // Two heaps for all the workers: a load's memory is given back between calls instead
    // of staying in a heap of each thread that ever ran one.
    mallopt(M_ARENA_MAX, 2);
    std::string url;
    oca::server::HttpOptions options;
    if (const char* env = std::getenv("OCA_TOKEN")) {
        options.token = env;
    }
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--db" && i + 1 < argc) {
            url = argv[++i];
        } else if (arg == "--listen" && i + 1 < argc) {
            const std::string listen = argv[++i];
            const size_t colon = listen.rfind(':');
            if (colon == std::string::npos) {
                return Usage();
            }
            options.host = listen.substr(0, colon);
            options.port = std::atoi(listen.c_str() + colon + 1);
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
            options.callTimeoutMs = std::max(1, std::atoi(argv[++i])) * 1000;
        } else if (arg == "--threads" && i + 1 < argc) {
            options.threads = std::atoi(argv[++i]);
        } else {
            return Usage();
        }
    }
    if (url.empty() || options.tlsCert.empty() != options.tlsKey.empty()) {
        return Usage();
    }
    try {
        {
            auto db = oca::db::Database::Open(url);
            oca::db::MigrateSchema(*db);
        }
        oca::server::OcorAtendimento server([url] { return oca::db::Database::Open(url); });
        oca::server::HttpFront front(server, options);
        g_front = &front;
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
        std::cerr << "oca-appserver: OCA0080A.rdmOcorAtendimento em "
                  << (options.tlsCert.empty() ? "http://" : "https://") << options.host << ":"
                  << options.port << oca::server::HttpFront::kPath << "\n";
        front.Run();
        g_front = nullptr;
    } catch (const std::exception& e) {
        std::cerr << "oca-appserver: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
