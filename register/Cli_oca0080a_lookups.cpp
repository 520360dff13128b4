// The lookup buttons of the form page: each before-search handler fills the list source
// with every row, each after-search handler writes the chosen row into the record (a
// code before its description, since writing a code clears what depended on it).
#include "register/Cli_oca0080a.h"

#include "framework/controls/application.h"
#include "framework/host/consiste.h"
#include "framework/host/host_context.h"
#include "framework/host/host_dialogs.h"

#include <utility>

namespace {

// Copies fields of the chosen row into the record's fields of the same names, in order.
void Copy(TDataSet& from, TDataSet& to, std::initializer_list<const char*> names) {
    for (const char* name : names) {
        to.FieldByName(name).SetValue(from.FieldByName(name).Value());
    }
}

} // namespace

void TfrmParecerOcorrAtend::EditIfBrowsing() {
    if (cdsMovOcorr->State() == dsBrowse) {
        cdsMovOcorr->Edit();
    }
}

void TfrmParecerOcorrAtend::btpGrupoOcorrBeforePesq(TObject*, bool&) {
    qryGrupoOcorr->Close();
    qryGrupoOcorr->ParamByName("P_TODOS").SetAsString("T");
    qryGrupoOcorr->Open();
}

void TfrmParecerOcorrAtend::btpGrupoOcorrAfterPesq(TObject*) {
    EditIfBrowsing();
    Copy(*qryGrupoOcorr, *cdsMovOcorr, {"CDGRPOCOR", "DSGRPOCOR"});
}

void TfrmParecerOcorrAtend::btpTipoOcorrBeforePesq(TObject*, bool&) {
    qryTipoOcorr->Close();
    qryTipoOcorr->ParamByName("P_CDGRPOCOR").SetAsString(Rec("CDGRPOCOR").AsString());
    qryTipoOcorr->ParamByName("P_CDTODAS").SetAsString("T");
    qryTipoOcorr->Open();
}

void TfrmParecerOcorrAtend::btpTipoOcorrAfterPesq(TObject*) {
    EditIfBrowsing();
    Copy(*qryTipoOcorr, *cdsMovOcorr, {"CDOCORR", "DSOCORR"});
}

void TfrmParecerOcorrAtend::btpDestProdBeforePesq(TObject*, bool&) {
    qryDestProd->Close();
    qryDestProd->ParamByName("P_CDDESTODOS").SetAsString("T");
    qryDestProd->Open();
}

void TfrmParecerOcorrAtend::btpDestProdAfterPesq(TObject*) {
    EditIfBrowsing();
    Copy(*qryDestProd, *cdsMovOcorr, {"CDDESTPROD", "DSDESTPROD"});
}

// The internal code is not copied: the product check fills it from the tree code.
void TfrmParecerOcorrAtend::btpProdutoAfterPesq(TObject*) {
    EditIfBrowsing();
    Copy(*qryProduto, *cdsMovOcorr, {"CDARVPROD", "NMPRODUTO"});
}

void TfrmParecerOcorrAtend::btpSegMercBeforePesq(TObject*, bool&) {
    qrySegMer->Close();
    qrySegMer->ParamByName("P_CDSEGMER").Clear(); // a null code lists every segment
    qrySegMer->Open();
}

void TfrmParecerOcorrAtend::btpSegMercAfterPesq(TObject*) {
    EditIfBrowsing();
    Copy(*qrySegMer, *cdsMovOcorr, {"CDSEGMER", "DSSEGMER"});
}

void TfrmParecerOcorrAtend::btpTransportadorBeforePesq(TObject*, bool&) {
    qryTransportador->Close();
    qryTransportador->ParamByName("P_NRINSJURFORN").SetAsString("");
    qryTransportador->ParamByName("P_TNRINSJURFORN").SetAsString("T");
    qryTransportador->Open();
}

void TfrmParecerOcorrAtend::btpTransportadorAfterPesq(TObject*) {
    TDataSet& row = *qryTransportador;
    // The mask of the chosen kind first, so the inscription shows under it.
    Rec("NRINSJURTRANS")
        .SetEditMask(Consiste::PictPess(row.FieldByName("IDTPIJURFORN").AsString()));
    EditIfBrowsing();
    Rec("CDFORNTRANSP").SetValue(row.FieldByName("CDFORNECED").Value());
    Rec("NRINSJURTRANS").SetValue(row.FieldByName("NRINSJURFORN").Value());
    Rec("IDTPIJURTRANS").SetValue(row.FieldByName("IDTPIJURFORN").Value());
    Rec("NMRAZSOCTRANS").SetValue(row.FieldByName("NMRAZSOCFORN").Value());
}

void TfrmParecerOcorrAtend::btpSerieBeforePesq(TObject*, bool&) {
    qrySerie->Close();
    qrySerie->ParamByName("P_TCDSERIEENTR").SetAsString("T");
    qrySerie->ParamByName("P_CDSERIEENTR").Clear();
}

void TfrmParecerOcorrAtend::btpSerieAfterPesq(TObject*) {
    if (dtsPadrao->State() == dsBrowse) {
        dtsPadrao->DataSet()->Edit();
    }
    Copy(*qrySerie, *cdsMovOcorr, {"CDSERIEENTR"});
}

void TfrmParecerOcorrAtend::btpNotaFiscalBeforePesq(TObject*, bool&) {
    UnderNotice("Get_PesqNF", [this] {
        Variant invoices = netOcorAtend->Call(
            "GetNotaFiscal", {Variant(Verifica_Tipo() + Rec("CDFORNECED").AsString()),
                              Variant(Rec("CDFILIAL").AsString()), Variant(dbeSerie->Text())});
        cdsNotaFiscal->SetData(Consiste::CheckResultServ(std::move(invoices), true, 0));
    });
}

void TfrmParecerOcorrAtend::btpNotaFiscalAfterPesq(TObject*) {
    EditIfBrowsing();
    Copy(*cdsNotaFiscal, *cdsMovOcorr, {"NRNOTAFISC"});
}

void TfrmParecerOcorrAtend::btpLoteBeforePesq(TObject*, bool&) {
    TCursorGuard wait(crHourGlass);
    LoadBatches("", "");
    if (!cdsLote->IsEmpty() && cdsLote->FieldByName("IDUTILLOTE").AsString() == "N") {
        Rec("NRLOTEESTQ").FocusControl();
        Consiste::MensErro(msgPadrao->Msg("Lote_NCad"), true);
    }
}

void TfrmParecerOcorrAtend::btpLoteAfterPesq(TObject*) {
    EditIfBrowsing();
    Copy(*cdsLote, *cdsMovOcorr, {"NRLOTEESTQ", "NRSUBLOTE"});
}

void TfrmParecerOcorrAtend::btpAtendimentoBeforePesq(TObject*, bool&) {
    qryPesqAtend->Close();
    qryPesqAtend->ParamByName("P_CDFILIAL").SetAsString(Lumbra::FiliProc());
    qryPesqAtend->ParamByName("P_NRTAREFA").Clear();
    qryPesqAtend->ParamByName("P_TNRTAREFA").SetAsString("T");
    qryPesqAtend->ParamByName("P_CDOPERRESP").SetAsString(Lumbra::Operador());
}

void TfrmParecerOcorrAtend::btpAtendimentoAfterPesq(TObject*) {
    EditIfBrowsing();
    Copy(*qryPesqAtend, *cdsMovOcorr, {"NRTAREFA", "DSREFETAREFA"});
}

void TfrmParecerOcorrAtend::btnFilialBeforePesq(TObject*, bool&) {
    qryFilial->Close();
    qryFilial->ParamByName("P_CDFILIAL").SetAsString("");
    qryFilial->ParamByName("P_TCDFILIAL").SetAsString("T");
}

// The branch reaches the record through its edits when the record is next updated from
// its controls; the data set's state is not touched.
void TfrmParecerOcorrAtend::btnFilialAfterPesq(TObject*) {
    dbeCdFilial->SetText(qryFilial->FieldByName("CDFILIAL").AsString());
    dbeNmFilial->SetText(qryFilial->FieldByName("NMFILIAL").AsString());
}

void TfrmParecerOcorrAtend::btpInscClick(TObject*) {
    const std::string kind = Verifica_Tipo();
    const char* emptyKey = kind == "F"   ? "Fornecedor_N_Cad"
                           : kind == "C" ? "Cliente_N_Cad"
                                         : "Prospect_N_Cad";
    qryCliFor->Close();
    qryCliFor->ParamByName("P_NRINSJUR").SetAsString("");
    qryCliFor->ParamByName("P_TNRINSJUR").SetAsString("T");
    qryCliFor->ParamByName("P_IDTIPO").SetAsString(kind);
    cdsCliFor->SetData(dspCliFor->GetData());
    const std::string title = msgPadrao->Msg(kind) + "|" + msgPadrao->Msg(emptyKey);
    if (!Pesquisa::Pesquisar(*dtsCliFor, title, false, true)) {
        return;
    }
    TDataSet& row = *cdsCliFor;
    Rec("NRINSJUR").SetEditMask(Consiste::PictPess(row.FieldByName("IDTPIJUR").AsString()));
    EditIfBrowsing();
    const std::string chosen = row.FieldByName("IDTIPO").AsString();
    const std::pair<const char*, const char*> codes[] = {
        {"F", "CDFORNECED"}, {"C", "CDCLIENTE"}, {"P", "CDPROSPECT"}};
    if (chosen == "F" || chosen == "C" || chosen == "P") {
        for (const auto& [letter, column] : codes) {
            if (chosen == letter) {
                Rec(column).SetValue(row.FieldByName("CDCLIFORN").Value());
            } else {
                Rec(column).Clear();
            }
        }
    }
    Copy(row, *cdsMovOcorr, {"NRINSJUR", "IDTPIJUR", "NMRAZSOC", "CDSEGMER", "DSSEGMER"});
}
