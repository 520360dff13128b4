// The history of an occurrence: who did what to it, and when, as the server recorded it.
#include "register/Cli_oca0080a.h"

#include "framework/host/consiste.h"
#include "framework/host/host_dialogs.h"
#include "framework/host/module_entries.h"
#include "framework/ui/ui_driver.h"

namespace {

// "0001/123" names occurrence 0000000123 of branch 0001; false for anything else.
bool ReadKey(const std::string& text, std::string& branch, std::string& number) {
    const size_t slash = text.find('/');
    if (slash == std::string::npos) {
        return false;
    }
    branch = Consiste::Ajusta(text.substr(0, slash), 4);
    number = Consiste::Ajusta(text.substr(slash + 1), 10);
    const auto digits = [](const std::string& s) {
        return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
    };
    return !branch.empty() && digits(number) && number.size() == 10;
}

} // namespace

void TfrmParecerOcorrAtend::mnuHistoricoClick(TObject*) {
    std::string key;
    if (cdsMovOcorr->Active() && !cdsMovOcorr->IsEmpty() && !Editing(*cdsMovOcorr)) {
        key = Rec("CDFILILANCMO").AsString() + "/" + Rec("NROCORRMOV").AsString();
    }
    if (!Ui().InputQuery("Histórico", "Ocorrência (filial/número):", key)) {
        return;
    }
    std::string branch, number;
    if (!ReadKey(key, branch, number)) {
        Ui().ShowError("Informe a ocorrência como filial/número, por exemplo 0001/123.");
        return;
    }
    const std::string named = branch + "/" + number;
    Ui().SetCursor(crHourGlass);
    try {
        cdsHistorico->SetData(Consiste::CheckResultServ(
            netOcorAtend->Call("GetHistorico", {Variant(branch), Variant(number)}), true, 0));
    } catch (...) {
        Ui().SetCursor(crDefault);
        throw;
    }
    Ui().SetCursor(crDefault);
    Pesquisa::Pesquisar(*dtsHistorico, "Histórico da ocorrência " + named +
                                           "|Nenhuma alteração registrada para a ocorrência " +
                                           named + ".");
}

// The treatment module is another library of the host, its entries asked for by name: the
// register runs the same where it is not installed.
void TfrmParecerOcorrAtend::CallTreatmentModule(const char* entry, const std::string& purpose) {
    if (!cdsMovOcorr->Active() || cdsMovOcorr->IsEmpty() || Editing(*cdsMovOcorr)) {
        Ui().ShowError("Escolha uma ocorrência gravada para " + purpose + ".");
        return;
    }
    const auto open = entries::Find<entries::ForOccurrence>(entry);
    if (!open) {
        Ui().ShowError("O módulo de Tratamento de Ocorrências não está carregado.");
        return;
    }
    open(Rec("CDFILILANCMO").AsString().c_str(), Rec("NROCORRMOV").AsString().c_str());
}

void TfrmParecerOcorrAtend::mnuTratamentoClick(TObject*) {
    CallTreatmentModule(entries::kOpenTreatment, "ver o seu tratamento");
}

void TfrmParecerOcorrAtend::mnuAnexosClick(TObject*) {
    CallTreatmentModule(entries::kOpenAttachments, "ver os seus anexos");
}

void TfrmParecerOcorrAtend::mnuRelatorioClick(TObject*) {
    CallTreatmentModule(entries::kOccurrenceReport, "gerar o seu relatório");
}
