#include "appserver/config_file.h"

#include "core/text.h"

#include <fstream>
#include <set>

namespace oca::server {

namespace {

const std::set<std::string>& ValueKeys() {
    static const std::set<std::string> keys = {"db",
                                               "listen",
                                               "token-file",
                                               "threads",
                                               "call-timeout",
                                               "tls-cert",
                                               "tls-key",
                                               "sqlite-sync",
                                               "session-idle",
                                               "attachment-max-mb",
                                               "attachments-per-occurrence-mb"};
    return keys;
}

const std::set<std::string>& FlagKeys() {
    static const std::set<std::string> keys = {"log-json"};
    return keys;
}

} // namespace

std::vector<std::string> ReadConfigFile(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "não foi possível ler o arquivo de configuração " + path;
        return {};
    }
    std::vector<std::string> args;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        const std::string where = path + ":" + std::to_string(number) + ": ";
        const std::string text = Trim(line.substr(0, line.find('#')));
        if (text.empty()) {
            continue;
        }
        const size_t equals = text.find('=');
        if (equals == std::string::npos) {
            error = where + "espera chave = valor";
            return {};
        }
        const std::string key = Trim(text.substr(0, equals));
        const std::string value = Trim(text.substr(equals + 1));
        if (key == "token") {
            error = where + "o token não fica na configuração; use token-file, um arquivo que "
                            "só o servidor lê";
            return {};
        }
        if (FlagKeys().count(key)) {
            if (value != "true" && value != "false") {
                error = where + key + " espera true ou false";
                return {};
            }
            if (value == "true") {
                args.push_back("--" + key);
            }
            continue;
        }
        if (!ValueKeys().count(key)) {
            error = where + "chave desconhecida: " + key;
            return {};
        }
        args.push_back("--" + key);
        args.push_back(value);
    }
    return args;
}

} // namespace oca::server
