// The criteria: "Todos" or "Lista" per group, the multi-choice searches that fill the
// selection strings, the period's editors and the display texts of the lists.
#include "filter/Cli_oca0080b.h"

#include "core/mask.h"
#include "framework/host/consiste.h"
#include "framework/host/host_dialogs.h"

namespace {

// A group's lookup serves only its "Lista" choice.
void Follow(TRadioButton* list, TBtnPesquisa* button) {
    button->SetEnabled(list->Checked());
}

} // namespace

void TfrmFiltroOcorAte::rbtFiliTodosClick(TObject*) {
    Follow(rbtFiliLista, btpFilial);
}
void TfrmFiltroOcorAte::rbtFiliListaClick(TObject*) {
    Follow(rbtFiliLista, btpFilial);
}
void TfrmFiltroOcorAte::rbtGOcorTodosClick(TObject*) {
    Follow(rbtGOcorLista, btpGOcor);
}
void TfrmFiltroOcorAte::rbtGOcorListaClick(TObject*) {
    Follow(rbtGOcorLista, btpGOcor);
}
void TfrmFiltroOcorAte::rbtSegTodosClick(TObject*) {
    Follow(rbtSegLista, btpSegMercado);
}
void TfrmFiltroOcorAte::rbtSegListaClick(TObject*) {
    Follow(rbtSegLista, btpSegMercado);
}
void TfrmFiltroOcorAte::rbtAtendTodosClick(TObject*) {
    Follow(rbtAtendLista, btpAtendimento);
}
void TfrmFiltroOcorAte::rbtAtendListaClick(TObject*) {
    Follow(rbtAtendLista, btpAtendimento);
}
void TfrmFiltroOcorAte::rbtCPFTodosClick(TObject*) {
    Follow(rbtCPFLista, btpCPF);
}
void TfrmFiltroOcorAte::rbtCPFListaClick(TObject*) {
    Follow(rbtCPFLista, btpCPF);
}

void TfrmFiltroOcorAte::btpFilialClick(TObject*) {
    Pesqlista::PesquisaLista(*dtsFilial, "CDFILIAL", msgPadrao->Msg("Filial"), false, selFilial);
}

void TfrmFiltroOcorAte::btpGOcorClick(TObject*) {
    Pesqlista::PesquisaLista(*dtsGpOcor, "CDGRPOCOR", msgPadrao->Msg("GrupOcor"), false,
                             selGrupOcor);
}

void TfrmFiltroOcorAte::btpSegMercadoClick(TObject*) {
    Pesqlista::PesquisaLista(*dtsSegmento, "CDSEGMER", msgPadrao->Msg("SegMerc"), false,
                             selSegMercado);
}

void TfrmFiltroOcorAte::btpAtendimentoClick(TObject*) {
    Pesqlista::PesquisaLista(*dtsAtendimento, "NRTAREFA", msgPadrao->Msg("Atendimento"), false,
                             selAtendimento);
}

void TfrmFiltroOcorAte::btpCPFClick(TObject*) {
    // The kinds the search offers, and the words that name them when none is found.
    std::string words;
    const std::pair<TCheckBox*, std::pair<const char*, const char*>> kinds[] = {
        {chkCliente, {"P_IDCLIENTE", "Cli"}},
        {chkForn, {"P_IDFORN", "For"}},
        {chkProspect, {"P_IDPROSP", "Pro"}}};
    qryCPF->Close();
    for (const auto& [box, names] : kinds) {
        qryCPF->ParamByName(names.first).SetAsString(box->Checked() ? "S" : "N");
        if (box->Checked()) {
            words += (words.empty() ? "" : "/") + msgPadrao->Msg(names.second);
        }
    }
    cdsCpf->SetData(dspCpf->GetData());
    std::string empty = msgPadrao->Msg("NCad_ForCliePro");
    if (const size_t at = empty.find("%s"); at != std::string::npos) {
        empty.replace(at, 2, words);
    }
    Pesqlista::PesquisaLista(*dtsCPF, "CHAVE", msgPadrao->Msg("CPF") + "|" + empty, false, selCPF);
}

void TfrmFiltroOcorAte::depPerIniExit(TObject*) {
    depPerIni->CheckValidDate();
}

void TfrmFiltroOcorAte::depPerFinExit(TObject*) {
    depPerFin->CheckValidDate();
}

std::string TfrmFiltroOcorAte::KindText(const std::string& kind) const {
    return Consiste::EmptyString(kind) ? std::string() : msgPadrao->Msg(kind);
}

void TfrmFiltroOcorAte::qryAtendimentoIDTIPTAREFAGetText(TField* Sender, std::string& Text, bool) {
    Text = KindText(Sender->AsString());
}

void TfrmFiltroOcorAte::cdsCpfIDTPCONTATOGetText(TField* Sender, std::string& Text, bool) {
    Text = KindText(Sender->AsString());
}

void TfrmFiltroOcorAte::cdsCpfNRINSJURGetText(TField* Sender, std::string& Text, bool) {
    Text = FormatMaskText(Consiste::PictPess(cdsCpfIDJUR->AsString()), Sender->AsString());
}
