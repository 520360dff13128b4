#include "apps/host_options.h"

#include "core/text.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace oca::desktop {

namespace {

int Number(const std::string& text, const std::string& what) {
    try {
        size_t used = 0;
        const int value = std::stoi(text, &used);
        if (used == text.size()) {
            return value;
        }
    } catch (const std::exception&) {
    }
    throw std::invalid_argument("Valor inválido para " + what + ": '" + text + "'");
}

bool YesNo(const std::string& text, const std::string& what) {
    const std::string v = LowerCase(text);
    if (v == "sim" || v == "s" || v == "yes" || v == "1" || v == "true") {
        return true;
    }
    if (v == "nao" || v == "não" || v == "n" || v == "no" || v == "0" || v == "false") {
        return false;
    }
    throw std::invalid_argument("Valor inválido para " + what + ": '" + text + "'");
}

void SetServer(const std::string& text, HostOptions& options) {
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) {
        throw std::invalid_argument("Servidor deve ser informado como ENDEREÇO:PORTA: '" + text +
                                    "'");
    }
    options.serverHost = text.substr(0, colon);
    const int port = Number(text.substr(colon + 1), "a porta do servidor");
    if (port < 1 || port > 65535) {
        throw std::invalid_argument("Valor inválido para a porta do servidor: '" +
                                    text.substr(colon + 1) + "' (de 1 a 65535)");
    }
    options.serverPort = port;
}

// The password stays out of the command line, which anyone may read in `ps`.
std::string FirstLine(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line)) {
        throw std::invalid_argument("Não foi possível ler a senha de " + path);
    }
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
        line.pop_back();
    }
    return line;
}

/// One setting by its name, the same for options and INI keys.
void Set(const std::string& key, const std::string& value, HostOptions& options) {
    if (key == "operator" || key == "operador") {
        options.operatorCode = value;
    } else if (key == "operator-name" || key == "nome") {
        options.operatorName = value;
    } else if (key == "branch" || key == "filial") {
        options.branch = value;
    } else if (key == "module" || key == "modulo") {
        options.module = Number(value, "o módulo");
    } else if (key == "per-branch" || key == "por_filial") {
        options.perBranch = YesNo(value, "módulo por filial");
    } else if (key == "server" || key == "endereco") {
        SetServer(value, options);
    } else if (key == "token") {
        options.token = value;
    } else if (key == "password-file" || key == "arquivo_senha") {
        options.password = FirstLine(value);
    } else if (key == "tls") {
        options.tls = YesNo(value, "TLS");
    } else if (key == "tls-ca" || key == "autoridade") {
        options.tls = true;
        options.caFile = value;
    } else if (key == "server-timeout" || key == "espera") {
        options.serverSilenceSeconds = Number(value, "a espera pelo servidor");
        if (options.serverSilenceSeconds < 1 || options.serverSilenceSeconds > 3600) {
            throw std::invalid_argument("Valor inválido para a espera pelo servidor: '" + value +
                                        "' (de 1 a 3600 segundos)");
        }
    } else if (key == "db" || key == "url") {
        options.databaseUrl = value;
    } else if (key == "library" || key == "arquivo") {
        options.modulePath = value;
    } else if (key == "also-library" || key == "outro_arquivo") {
        options.moreModules.push_back(value);
    } else if (key == "exit-after") {
        options.exitAfterMs = Number(value, "o tempo de --exit-after");
        if (options.exitAfterMs < 0) {
            throw std::invalid_argument("Valor inválido para o tempo de --exit-after: '" + value +
                                        "'");
        }
    } else {
        throw std::invalid_argument("Opção desconhecida: " + key);
    }
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::invalid_argument("Não foi possível ler o arquivo de configuração " + path);
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

void ApplyIni(const std::string& text, HostOptions& options) {
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        line = Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#' || line[0] == '[') {
            continue; // sections only group the keys; every key name is unique
        }
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            throw std::invalid_argument("Linha " + std::to_string(number) +
                                        " da configuração sem '=': " + line);
        }
        Set(LowerCase(Trim(line.substr(0, eq))), Trim(line.substr(eq + 1)), options);
    }
}

HostOptions ParseHostOptions(const std::vector<std::string>& args) {
    HostOptions options;
    if (const char* token = std::getenv("OCA_TOKEN")) {
        options.token = token;
    }
    if (const char* password = std::getenv("OCA_PASSWORD")) {
        options.password = password;
    }
    // The configuration file first, wherever it stands, so that options override it.
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--config") {
            if (i + 1 >= args.size()) {
                throw std::invalid_argument("Falta o arquivo depois de --config");
            }
            ApplyIni(ReadText(args[i + 1]), options);
        }
    }
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            throw std::invalid_argument("Argumento inesperado: " + arg);
        }
        if (arg == "--open") {
            options.openAtStart = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            throw std::invalid_argument("Falta o valor de " + arg);
        }
        const std::string value = args[++i];
        if (arg != "--config") {
            Set(arg.substr(2), value, options);
        }
    }
    return options;
}

std::string HostUsage() {
    return "uso: oca-host [--config ARQUIVO.ini] [--operator CÓDIGO] [--operator-name NOME]\n"
           "                [--branch FILIAL] [--module N] [--per-branch sim|não]\n"
           "                [--server ENDEREÇO:PORTA] [--token T] [--db URL] [--library "
           "ARQUIVO.so]\n"
           "                [--also-library OUTRO.so]...\n"
           "                [--tls sim|não] [--tls-ca AUTORIDADE.pem] [--server-timeout S]\n"
           "                [--password-file ARQUIVO] [--open] [--exit-after MS]\n"
           "  O token também pode vir de OCA_TOKEN (--token fica visível no ps).\n"
           "  Sem OCA_PASSWORD nem --password-file, o operador entra com a sua senha numa\n"
           "  janela antes de o desktop abrir.\n";
}

} // namespace oca::desktop
