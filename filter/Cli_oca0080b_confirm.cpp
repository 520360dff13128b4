// Confirmation: the checks in order, the load parameters, the two loads under the
// progress notice; and the option sets, which add the five selection strings.
#include "filter/Cli_oca0080b.h"

#include "framework/host/consiste.h"
#include "framework/host/host_dialogs.h"
#include "register/Cli_oca0080a.h"

#include <utility>

void TfrmFiltroOcorAte::CheckChoices() {
    depPerIni->CheckValidDate();
    depPerFin->CheckValidDate();
    const struct {
        const std::string& selection;
        TRadioButton* list;
        const char* key;
    } lists[] = {{selFilial, rbtFiliLista, "Filial_Deve"},
                 {selGrupOcor, rbtGOcorLista, "Grup_Deve"},
                 {selSegMercado, rbtSegLista, "Seg_Deve"},
                 {selAtendimento, rbtAtendLista, "Atend_INF"},
                 {selCPF, rbtCPFLista, "CPF_INF"}};
    for (const auto& l : lists) {
        if (l.list->Checked() && Consiste::EmptyString(l.selection)) {
            l.list->SetFocus();
            Consiste::MensErro(msgPadrao->Msg(l.key), true);
        }
    }
    if (Consiste::EmptyString(depPerIni->IsEmpty() ? "" : depPerIni->EditText())) {
        depPerIni->SetFocus();
        Consiste::MensErro(msgPadrao->Msg("DtIni_Deve"), true);
    }
    if (Consiste::EmptyString(depPerFin->IsEmpty() ? "" : depPerFin->EditText())) {
        depPerFin->SetFocus();
        Consiste::MensErro(msgPadrao->Msg("DtFin_Deve"), true);
    }
    if (depPerFin->GetDate() < depPerIni->GetDate()) {
        Consiste::MensErro(msgPadrao->Msg("DtIni<DtFin"), true);
    }
}

void TfrmFiltroOcorAte::SetLoadParameters() {
    auto pair = [this](const char* list, const char* flag, TRadioButton* chosen,
                       const std::string& sel) {
        if (chosen->Checked()) {
            qryParams->ParamByName(list).SetAsString(sel);
            qryParams->ParamByName(flag).Clear();
        } else {
            qryParams->ParamByName(list).Clear();
            qryParams->ParamByName(flag).SetAsString("T");
        }
    };
    pair("P_CDFILIAL", "P_TCDFILIAL", rbtFiliLista, selFilial);
    pair("P_CDGRUPOCOR", "P_TCDGRUPOCOR", rbtGOcorLista, selGrupOcor);
    pair("P_CDSEGMER", "P_TCDSEGMER", rbtSegLista, selSegMercado);
    pair("P_NRTAREFA", "P_TNRTAREFA", rbtAtendLista, selAtendimento);
    auto contact = [this](const char* name, TCheckBox* kind) {
        TParam& p = qryParams->ParamByName(name);
        if (rbtCPFLista->Checked()) {
            p.SetAsString(selCPF);
        } else if (kind->Checked()) {
            p.Clear();
        } else {
            p.SetAsString("_");
        }
    };
    contact("P_CDCLIENTE", chkCliente);
    contact("P_CDPROSPECT", chkProspect);
    contact("P_CDFORNECED", chkForn);
    qryParams->ParamByName("P_DTINICIAL").SetAsDateTime(depPerIni->GetDate());
    qryParams->ParamByName("P_DTFINAL").SetAsDateTime(depPerFin->GetDate());
}

void TfrmFiltroOcorAte::Load() {
    TfrmParecerOcorrAtend& reg = Register();
    auto text = [this](const char* name) {
        return Variant(qryParams->ParamByName(name).AsString());
    };
    const TProgressNotice notice(nullptr, 6, reg.msgPadrao->Msg("Get_Ocor"));
    Variant occurrences = reg.netOcorAtend->Call(
        "GetMovOcorr",
        {text("P_CDFILIAL"), text("P_TCDFILIAL"), text("P_CDGRUPOCOR"), text("P_TCDGRUPOCOR"),
         text("P_CDSEGMER"), text("P_TCDSEGMER"), qryParams->ParamByName("P_DTINICIAL").Value(),
         qryParams->ParamByName("P_DTFINAL").Value(), text("P_NRTAREFA"), text("P_TNRTAREFA"),
         text("P_CDCLIENTE"), text("P_CDPROSPECT"), text("P_CDFORNECED")});
    reg.cdsMovOcorr->SetData(Consiste::CheckResultServ(std::move(occurrences), true, 0));
    Variant params =
        reg.netOcorAtend->Call("GetParamFilial", {text("P_CDFILIAL"), text("P_TCDFILIAL")});
    reg.cdsParamFilial->SetData(Consiste::CheckResultServ(std::move(params), true, 0));
}

void TfrmFiltroOcorAte::sbtConfirmaClick(TObject*) {
    CheckChoices();
    SetLoadParameters();
    Load();
    SetModalResult(mrOk);
    Close();
}

TfrmFiltroOcorAte::Choices TfrmFiltroOcorAte::Chosen() {
    const TStrings saved = Options;
    CollectControls(*grbFiltroPadrao);
    Choices c{Options, selFilial, selGrupOcor, selSegMercado, selAtendimento, selCPF};
    Options = saved;
    return c;
}

void TfrmFiltroOcorAte::Choose(const Choices& c) {
    const TStrings saved = Options;
    Options = c.controls;
    RestoreControls(*grbFiltroPadrao);
    Options = saved;
    selFilial = c.filial;
    selGrupOcor = c.grupOcor;
    selSegMercado = c.segMercado;
    selAtendimento = c.atendimento;
    selCPF = c.cpf;
}

void TfrmFiltroOcorAte::btfSaveOpcClick(TObject* Sender) {
    CheckChoices();
    Options.SetValues("stFilial", selFilial);
    Options.SetValues("stGrupOcor", selGrupOcor);
    Options.SetValues("stSegMercado", selSegMercado);
    Options.SetValues("stAtendimento", selAtendimento);
    Options.SetValues("stCPF", selCPF);
    TfrmFiltroPadrao::btfSaveOpcClick(Sender);
}

void TfrmFiltroOcorAte::btfLoadOpcClick(TObject* Sender) {
    selFilial = Options.Values("stFilial");
    selGrupOcor = Options.Values("stGrupOcor");
    selSegMercado = Options.Values("stSegMercado");
    selAtendimento = Options.Values("stAtendimento");
    selCPF = Options.Values("stCPF");
    TfrmFiltroPadrao::btfLoadOpcClick(Sender);
}
