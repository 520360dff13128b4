// The occurrence as a PDF document for the supplier, from the register or the treatment
// screen.
#include "treatment/Anx_oca0082a.h"

#include "core/report_document.h"
#include "framework/controls/application.h"
#include "framework/host/consiste.h"
#include "framework/ui/ui_driver.h"

bool WriteOccurrenceReport(TNetConnection& net, const std::string& branch,
                           const std::string& number) {
    const std::optional<std::string> path =
        Ui().AskSaveFile("Relatório da ocorrência " + branch + "/" + number,
                         "ocorrencia-" + branch + "-" + number + ".pdf", "PDF (*.pdf)");
    if (!path) {
        return false;
    }
    ReportDocument report;
    {
        TCursorGuard wait(crHourGlass);
        const Variant answer = Consiste::CheckResultServ(
            net.Call("GetRelatorio", {Variant(branch), Variant(number)}), true, 0);
        report = ReportFromPacket(answer.AsPacket());
    }
    const std::string failure = Ui().WritePdf(report, *path);
    if (!failure.empty()) {
        Ui().ShowError(failure);
        return false;
    }
    Ui().ShowStatus("Relatório gravado em " + *path + ".");
    Ui().OpenDocument(*path);
    return true;
}
