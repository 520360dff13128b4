// oca-dbinit: creates or migrates the company database, optionally with demo data and
// a seed script.
#include "access/operators.h"
#include "database/demo_data.h"
#include "database/schema.h"
#include "database/sqlite_backup.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

int Usage() {
    std::cerr << "uso: oca-dbinit --db URL [--demo] [--occurrences N] [--seed ARQUIVO.sql]\n"
                 "       oca-dbinit --db sqlite:ARQUIVO --backup COPIA\n"
                 "       oca-dbinit --db sqlite:ARQUIVO --restore COPIA\n"
                 "  --backup copia a empresa enquanto os servidores a usam; --restore a põe de\n"
                 "  volta depois de verificá-la, com os servidores parados. No PostgreSQL, use\n"
                 "  pg_dump e pg_restore (veja docs/deployment.md).\n";
    return 2;
}

bool IsEmpty(oca::db::Database& db) {
    auto st = db.Prepare("SELECT COUNT(*) FROM FILIAL");
    return st->Next() && st->Value(0).AsInteger() == 0;
}

int BackupOrRestore(const std::string& url, const std::string& backup, const std::string& restore) {
    if (url.rfind("sqlite:", 0) != 0 || (!backup.empty() && !restore.empty())) {
        std::cerr << "oca-dbinit: --backup e --restore são para uma empresa em SQLite, um de "
                     "cada vez; no PostgreSQL use pg_dump e pg_restore\n";
        return 2;
    }
    const std::string path = url.substr(7);
    try {
        if (!backup.empty()) {
            oca::db::BackupSqlite(path, backup);
            std::cout << "Cópia de " << path << " gravada em " << backup << " (verificada).\n";
        } else {
            oca::db::RestoreSqlite(restore, path);
            std::cout << "Empresa " << path << " restaurada de " << restore << " (verificada).\n";
        }
    } catch (const std::exception& e) {
        std::cerr << "oca-dbinit: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string url, seed, backup, restore;
    bool demo = false;
    int occurrences = 2000;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--db" && i + 1 < argc) {
            url = argv[++i];
        } else if (arg == "--demo") {
            demo = true;
        } else if (arg == "--occurrences" && i + 1 < argc) {
            const std::string count = argv[++i];
            if (count.empty() || count.size() > 8 ||
                count.find_first_not_of("0123456789") != std::string::npos) {
                std::cerr << "oca-dbinit: --occurrences espera um número de 0 a 99999999\n";
                return 2;
            }
            occurrences = std::stoi(count);
        } else if (arg == "--seed" && i + 1 < argc) {
            seed = argv[++i];
        } else if (arg == "--backup" && i + 1 < argc) {
            backup = argv[++i];
        } else if (arg == "--restore" && i + 1 < argc) {
            restore = argv[++i];
        } else {
            return Usage();
        }
    }
    if (url.empty() || occurrences < 0) {
        return Usage();
    }
    if (!backup.empty() || !restore.empty()) {
        return BackupOrRestore(url, backup, restore);
    }
    // The script is read before the database is touched: a wrong path changes nothing.
    std::string script;
    if (!seed.empty()) {
        std::ifstream in(seed, std::ios::binary);
        if (!in) {
            std::cerr << "oca-dbinit: não foi possível ler " << seed << "\n";
            return 1;
        }
        std::ostringstream text;
        text << in.rdbuf();
        script = text.str();
    }
    try {
        auto db = oca::db::Database::Open(url);
        const int applied = oca::db::MigrateSchema(*db);
        std::cout << "Esquema na versão " << oca::db::SchemaVersion(*db) << " (" << applied
                  << " passo(s) aplicado(s)).\n";
        if (demo) {
            if (IsEmpty(*db)) {
                oca::db::FillDemoData(*db, occurrences);
                std::cout << "Dados de demonstração criados: " << occurrences << " ocorrências.\n";
            } else {
                std::cout << "O banco já tem dados; a demonstração não foi recriada.\n";
            }
        }
        if (!seed.empty()) {
            db->ExecuteScript(script);
            std::cout << "Script " << seed << " executado.\n";
        }
        // A demonstration or test company is signed in to with documented passwords; a
        // company's own operators get theirs from the administrator.
        if (demo || !seed.empty()) {
            const int given = oca::access::GiveDemoAccess(*db);
            if (given > 0) {
                std::cout << given << " operador(es) com a senha de demonstração (\"senha\" "
                          << "seguido do código do operador) e acesso a todas as filiais.\n";
            }
        }
    } catch (const std::exception& e) {
        std::cerr << "oca-dbinit: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
