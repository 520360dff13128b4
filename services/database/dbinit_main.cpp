// oca-dbinit: creates or migrates the company database, optionally with demo data and
// a seed script.
#include "database/demo_data.h"
#include "database/schema.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

int Usage() {
    std::cerr << "uso: oca-dbinit --db URL [--demo] [--occurrences N] [--seed ARQUIVO.sql]\n";
    return 2;
}

bool IsEmpty(oca::db::Database& db) {
    auto st = db.Prepare("SELECT COUNT(*) FROM FILIAL");
    return st->Next() && st->Value(0).AsInteger() == 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string url, seed;
    bool demo = false;
    int occurrences = 2000;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--db" && i + 1 < argc) {
            url = argv[++i];
        } else if (arg == "--demo") {
            demo = true;
        } else if (arg == "--occurrences" && i + 1 < argc) {
            occurrences = std::atoi(argv[++i]);
        } else if (arg == "--seed" && i + 1 < argc) {
            seed = argv[++i];
        } else {
            return Usage();
        }
    }
    if (url.empty() || occurrences < 0) {
        return Usage();
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
            std::ifstream in(seed, std::ios::binary);
            if (!in) {
                std::cerr << "Não foi possível ler " << seed << "\n";
                return 1;
            }
            std::ostringstream text;
            text << in.rdbuf();
            db->ExecuteScript(text.str());
            std::cout << "Script " << seed << " executado.\n";
        }
    } catch (const std::exception& e) {
        std::cerr << "oca-dbinit: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
