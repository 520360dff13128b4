// The non-conformance report of an occurrence without the desktop: for a script, a
// scheduled job or a mail to the supplier.
#include "appserver/report.h"
#include "core/exceptions.h"
#include "database/database.h"
#include "database/schema.h"
#include "qt/report_pdf.h"

#include <QGuiApplication>

#include <cstdlib>
#include <iostream>

namespace {

int Usage() {
    std::cerr << "uso: oca-report --db URL FILIAL NÚMERO SAIDA.pdf\n"
                 "  grava o relatório de não conformidade da ocorrência em PDF (A4).\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string url;
    std::vector<std::string> rest;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--db" && i + 1 < argc) {
            url = argv[++i];
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage();
        } else {
            rest.push_back(arg);
        }
    }
    if (url.empty() || rest.size() != 3) {
        return Usage();
    }
    // A report needs fonts, not a screen: run anywhere, a server without one included.
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") &&
        !std::getenv("WAYLAND_DISPLAY")) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QGuiApplication app(argc, argv);
    try {
        auto db = oca::db::Database::Open(url);
        oca::db::MigrateSchema(*db);
        std::string number = rest[1];
        // Typed as a person reads it ("123"), stored with its zeros.
        if (number.size() < 10 && number.find_first_not_of("0123456789") == std::string::npos) {
            number = std::string(10 - number.size(), '0') + number;
        }
        const ReportDocument report = oca::server::BuildReport(*db, rest[0], number);
        const std::string failure = WriteReportPdf(report, rest[2]);
        if (!failure.empty()) {
            std::cerr << "oca-report: " << failure << "\n";
            return 1;
        }
        std::cerr << "oca-report: " << report.title << " gravado em " << rest[2] << "\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "oca-report: " << e.what() << "\n";
        return 1;
    }
}
