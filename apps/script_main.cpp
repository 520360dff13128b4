// oca-script: the host run headless, playing a scenario against the module.
#include "access/operators.h"
#include "apps/runner.h"
#include "appserver/http_front.h"
#include "database/schema.h"
#include "framework/controls/application.h"
#include "framework/data/query.h"
#include "framework/host/host_context.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

int Usage() {
    std::cerr << "uso: oca-script [--db URL] [--seed ARQUIVO.sql] [--server HOST:PORTA] "
                 "[--render PASTA] CENARIO.scn\n"
                 "  Entra como o operador do cenário com a senha de OCA_PASSWORD, ou com a senha\n"
                 "  de demonstração (\"senha\" e o código do operador).\n";
    return 2;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("Não foi possível ler " + path);
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

int main(int argc, char** argv) {
    std::string url, seed, server, scenario, render;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--db" && i + 1 < argc) {
            url = argv[++i];
        } else if (arg == "--seed" && i + 1 < argc) {
            seed = argv[++i];
        } else if (arg == "--server" && i + 1 < argc) {
            server = argv[++i];
        } else if (arg == "--render" && i + 1 < argc) {
            render = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && scenario.empty()) {
            scenario = arg;
        } else {
            return Usage();
        }
    }
    if (scenario.empty()) {
        return Usage();
    }
    std::vector<oca::script::Command> commands;
    try {
        commands = oca::script::ParseScenario(ReadFile(scenario), scenario);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 2;
    }
    std::string temp;
    if (url.empty()) {
        temp = (std::filesystem::temp_directory_path() /
                ("oca_script_" + std::to_string(::getpid()) + ".sqlite"))
                   .string();
        url = "sqlite:" + temp;
    }
    int failures = 0;
    try {
        auto db = oca::db::Database::Open(url);
        std::unique_ptr<oca::server::OcorAtendimento> object;
        std::unique_ptr<oca::server::HttpFront> front;
        if (server.empty()) {
            oca::db::MigrateSchema(*db);
            if (!seed.empty()) {
                db->ExecuteScript(ReadFile(seed));
                oca::access::GiveDemoAccess(*db);
            }
            object = std::make_unique<oca::server::OcorAtendimento>(
                [url] { return oca::db::Database::Open(url); });
            oca::server::HttpOptions options;
            options.port = 0;
            options.log = false;
            front = std::make_unique<oca::server::HttpFront>(*object, options);
            Host().serverHost = "127.0.0.1";
            Host().serverPort = front->Start();
        } else {
            const size_t colon = server.rfind(':');
            Host().serverHost = server.substr(0, colon);
            Host().serverPort = std::atoi(server.c_str() + colon + 1);
        }
        // A scenario signs in as the operator its context names: with OCA_PASSWORD, or with
        // the documented password of a demonstration or test company.
        if (const char* password = std::getenv("OCA_PASSWORD")) {
            Host().unattendedPassword = [given = std::string(password)](const std::string&) {
                return given;
            };
        } else {
            Host().unattendedPassword = oca::access::DemoPassword;
        }
        Host().configDir = (std::filesystem::temp_directory_path() /
                            ("oca_script_cfg_" + std::to_string(::getpid())))
                               .string();
        TADOIBQuery::SetDefaultDatabase(db.get());
        oca::script::Runner runner;
        runner.SetDatabase(db.get());
        if (!render.empty()) {
            std::filesystem::create_directories(render);
            runner.SetRenderDir(render);
        }
        SetUi(&runner);
        failures = runner.Run(commands);
        SetUi(nullptr);
        TADOIBQuery::SetDefaultDatabase(nullptr);
        std::filesystem::remove_all(Host().configDir);
        if (front) {
            front->Stop();
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        failures = -1;
    }
    if (!temp.empty()) {
        for (const char* suffix : {"", "-wal", "-shm"}) {
            std::filesystem::remove(temp + suffix);
        }
    }
    if (failures < 0) {
        return 2;
    }
    std::cout << (failures == 0 ? "cenário concluído: todas as expectativas atendidas"
                                : "cenário concluído: " + std::to_string(failures) +
                                      " expectativa(s) falharam")
              << std::endl;
    return failures == 0 ? 0 : 1;
}
