// oca-admin: the company's administrator sets operators' passwords, grants and revokes
// branches and modules, and lists and ends sessions.
#include "access/operators.h"
#include "database/schema.h"

#include <termios.h>
#include <unistd.h>

#include <iomanip>
#include <iostream>
#include <string>
#include <vector>

namespace {

int Usage() {
    std::cerr << "uso: oca-admin --db URL COMANDO\n"
                 "  senha OPERADOR                  define a senha (lida da entrada padrão)\n"
                 "  conceder OPERADOR FILIAL MODULO  FILIAL * = todas; MODULO 0 = todos\n"
                 "  revogar OPERADOR FILIAL MODULO\n"
                 "  acessos OPERADOR\n"
                 "  sessoes [--todas]\n"
                 "  encerrar SESSAO|OPERADOR         encerra uma sessão ou as de um operador\n";
    return 2;
}

// Asked twice without echo on a terminal; from a pipe, the first line. Never an argument:
// the command line is visible to everyone in `ps`.
bool ReadPassword(std::string& password) {
    const bool terminal = isatty(STDIN_FILENO);
    const auto ask = [&](const char* prompt, std::string& out) {
        termios old{};
        if (terminal) {
            std::cerr << prompt << std::flush;
            tcgetattr(STDIN_FILENO, &old);
            termios quiet = old;
            quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
            tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
        }
        const bool read = static_cast<bool>(std::getline(std::cin, out));
        if (terminal) {
            tcsetattr(STDIN_FILENO, TCSANOW, &old);
            std::cerr << "\n";
        }
        if (!out.empty() && out.back() == '\r') {
            out.pop_back();
        }
        return read;
    };
    if (!ask("Nova senha: ", password)) {
        return false;
    }
    if (!terminal) {
        return true;
    }
    std::string again;
    if (!ask("Repita a senha: ", again) || again != password) {
        std::cerr << "oca-admin: as senhas não conferem; nada foi alterado\n";
        return false;
    }
    return true;
}

bool ReadModule(const std::string& text, int& module) {
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != text.npos) {
        std::cerr << "oca-admin: o módulo deve ser um número de 0 (todos) a 999\n";
        return false;
    }
    module = std::stoi(text);
    return true;
}

int ListSessions(oca::db::Database& db, bool all) {
    const auto sessions = oca::access::Sessions(db, all);
    std::cout << std::left << std::setw(14) << "SESSAO" << std::setw(14) << "OPERADOR"
              << std::setw(8) << "FILIAL" << std::setw(8) << "MODULO" << std::setw(21) << "INICIO"
              << std::setw(21) << "ULTIMO USO"
              << "ORIGEM\n";
    for (const auto& s : sessions) {
        std::cout << std::setw(14) << s.id << std::setw(14) << s.op << std::setw(8) << s.branch
                  << std::setw(8) << s.module << std::setw(21)
                  << FormatDateTime("dd/mm/yyyy hh:nn:ss", s.started) << std::setw(21)
                  << FormatDateTime("dd/mm/yyyy hh:nn:ss", s.lastUse) << s.origin
                  << (s.ended ? " (encerrada)" : "") << "\n";
    }
    return 0;
}

int Run(oca::db::Database& db, const std::vector<std::string>& a) {
    using namespace oca::access;
    const std::string& command = a[0];
    int module = 0;
    if (command == "senha" && a.size() == 2) {
        std::string password;
        if (!ReadPassword(password)) {
            return 1;
        }
        SetPassword(db, a[1], password);
        std::cout << "Senha do operador " << a[1] << " definida.\n";
        return 0;
    }
    if ((command == "conceder" || command == "revogar") && a.size() == 4) {
        if (!ReadModule(a[3], module)) {
            return 2;
        }
        if (command == "conceder") {
            GrantAccess(db, a[1], a[2], module);
            std::cout << "Acesso concedido.\n";
            return 0;
        }
        const bool had = RevokeAccess(db, a[1], a[2], module);
        std::cout << (had ? "Acesso revogado.\n" : "O operador não tinha esse acesso.\n");
        return 0;
    }
    if (command == "acessos" && a.size() == 2) {
        for (const Grant& g : Grants(db, a[1])) {
            std::cout << "filial " << g.branch << " módulo "
                      << (g.module == 0 ? std::string("todos") : std::to_string(g.module)) << "\n";
        }
        return 0;
    }
    if (command == "sessoes" && (a.size() == 1 || (a.size() == 2 && a[1] == "--todas"))) {
        return ListSessions(db, a.size() == 2);
    }
    if (command == "encerrar" && a.size() == 2) {
        std::cout << EndSessions(db, a[1]) << " sessão(ões) encerrada(s).\n";
        return 0;
    }
    return Usage();
}

} // namespace

int main(int argc, char** argv) {
    std::string url;
    std::vector<std::string> command;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--db" && i + 1 < argc && command.empty()) {
            url = argv[++i];
        } else {
            command.push_back(arg);
        }
    }
    if (url.empty() || command.empty()) {
        return Usage();
    }
    try {
        auto db = oca::db::Database::Open(url);
        if (oca::db::SchemaVersion(*db) < oca::db::Migrations().back().version) {
            std::cerr << "oca-admin: o banco está num esquema anterior; atualize-o antes com "
                         "oca-dbinit --db URL\n";
            return 1;
        }
        return Run(*db, command);
    } catch (const std::exception& e) {
        std::cerr << "oca-admin: " << e.what() << "\n";
        return 1;
    }
}
