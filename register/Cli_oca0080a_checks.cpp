// The field checks against the company database: each brings a typed code to its stored
// width, looks it up, copies the descriptions back, and on failure shows its catalog
// text and raises, leaving the focus where the person must mend the value.
#include "register/Cli_oca0080a.h"

#include "core/datetime.h"
#include "framework/host/consiste.h"
#include "framework/host/host_context.h"
#include "framework/host/host_dialogs.h"

namespace {

bool Empty(const std::string& text) {
    return Consiste::EmptyString(text);
}

// Brings a code field to its stored width and gives the adjusted code back.
std::string Adjust(TField& field, int width) {
    field.SetAsString(Consiste::Ajusta(field.AsString(), width));
    return field.AsString();
}

} // namespace

void TfrmParecerOcorrAtend::Reopen(TADOIBQuery& query) {
    query.Close();
    query.Open();
}

void TfrmParecerOcorrAtend::OnFormPage(TField& field, const std::function<void()>& check) {
    try {
        check();
    } catch (...) {
        pgcPadrao->SetActivePage(tshFormulario);
        field.FocusControl();
        throw;
    }
}

void TfrmParecerOcorrAtend::Vd_Filial(bool atPost) {
    if (cdsMovOcorr->State() != dsInsert) {
        return;
    }
    TField& branch = Rec("CDFILIAL");
    try {
        if (Empty(Adjust(branch, branch.Size()))) {
            if (atPost) {
                Consiste::MensErro(msgPadrao->Msg("CDFILIAL_ni"), true);
            }
            return;
        }
        qryFilial->ParamByName("P_CDFILIAL").SetAsString(branch.AsString());
        qryFilial->ParamByName("P_TCDFILIAL").SetAsString("");
        Reopen(*qryFilial);
        if (qryFilial->IsEmpty()) {
            Consiste::MensErro(msgPadrao->Msg("CDFILIAL_nc"), true);
        }
        Rec("NMFILIAL").SetAsString(qryFilial->FieldByName("NMFILIAL").AsString());
    } catch (...) {
        branch.FocusControl();
        throw;
    }
}

void TfrmParecerOcorrAtend::Vd_GrupoOcorr(bool atPost) {
    if (!RecordInEntry()) {
        return;
    }
    TField& group = Rec("CDGRPOCOR");
    OnFormPage(group, [&] {
        if (Empty(group.AsString())) {
            if (!Empty(Rec("CDOCORR").AsString()) && atPost) {
                Consiste::MensErro(msgPadrao->Msg("CDGRPOCOR_ni"), true);
            }
            return;
        }
        qryGrupoOcorr->ParamByName("P_TODOS").SetAsString("");
        qryGrupoOcorr->ParamByName("P_CDGRPOCOR").SetAsString(Adjust(group, 2));
        Reopen(*qryGrupoOcorr);
        if (qryGrupoOcorr->IsEmpty()) {
            Consiste::MensErro(msgPadrao->Msg("CDGRPOCOR_nc"), true);
        }
        Rec("DSGRPOCOR").SetAsString(qryGrupoOcorr->FieldByName("DSGRPOCOR").AsString());
    });
}

void TfrmParecerOcorrAtend::Vd_TipoOcorr(bool atPost) {
    if (!RecordInEntry()) {
        return;
    }
    TField& type = Rec("CDOCORR");
    OnFormPage(type, [&] {
        if (Empty(type.AsString())) {
            if (!Empty(Rec("CDGRPOCOR").AsString()) && atPost) {
                Consiste::MensErro(msgPadrao->Msg("CDOCORR_ni"), true);
            }
            return;
        }
        const std::string code = Adjust(type, 2);
        qryTipoOcorr->ParamByName("P_CDTODAS").SetAsString("");
        qryTipoOcorr->ParamByName("P_CDGRPOCOR").SetAsString(Rec("CDGRPOCOR").AsString());
        qryTipoOcorr->ParamByName("P_CDOCORR").SetAsString(code);
        Reopen(*qryTipoOcorr);
        if (qryTipoOcorr->IsEmpty()) {
            Consiste::MensErro(msgPadrao->Msg("CDOCORR_nc"), true);
        }
        Rec("DSOCORR").SetAsString(qryTipoOcorr->FieldByName("DSOCORR").AsString());
    });
}

void TfrmParecerOcorrAtend::Vd_Produto() {
    if (!RecordInEntry()) {
        return;
    }
    TField& tree = Rec("CDARVPROD");
    OnFormPage(tree, [&] {
        if (Empty(tree.AsString())) {
            Rec("CDPRODUTO").Clear();
            Rec("NMPRODUTO").Clear();
            return;
        }
        qryVdProduto->ParamByName("P_CDARVPROD").SetAsString(tree.AsString());
        Reopen(*qryVdProduto);
        std::string code = tree.AsString();
        Tabvalid::ValidEx(*dtsProduto, 0, code, 0, "", true); // may only raise
        if (qryVdProduto->IsEmpty()) {
            Consiste::MensErro(msgPadrao->Msg("Produto_NCad"), true);
        }
        for (const char* name : {"CDPRODUTO", "NMPRODUTO", "CDARVPROD"}) {
            Rec(name).SetAsString(qryVdProduto->FieldByName(name).AsString());
        }
    });
}

void TfrmParecerOcorrAtend::Vd_DestProd() {
    if (!RecordInEntry()) {
        return;
    }
    TField& destination = Rec("CDDESTPROD");
    if (Empty(destination.AsString())) {
        return;
    }
    OnFormPage(destination, [&] {
        qryDestProd->ParamByName("P_CDDESTODOS").SetAsString("");
        qryDestProd->ParamByName("P_CDDESTPROD").SetAsString(Adjust(destination, 2));
        Reopen(*qryDestProd);
        if (qryDestProd->IsEmpty()) {
            Consiste::MensErro(msgPadrao->Msg("CDDESTPROD_nc"), true);
        }
        Rec("DSDESTPROD").SetAsString(qryDestProd->FieldByName("DSDESTPROD").AsString());
    });
}

void TfrmParecerOcorrAtend::Vd_SegMer() {
    TField& segment = Rec("CDSEGMER");
    if (Empty(segment.AsString())) {
        return;
    }
    qrySegMer->ParamByName("P_CDSEGMER").SetAsString(Adjust(segment, 5));
    Reopen(*qrySegMer);
    if (qrySegMer->IsEmpty()) {
        segment.FocusControl();
        Consiste::MensErro(msgPadrao->Msg("SegMer_Deve"), true);
    }
    Rec("DSSEGMER").SetAsString(qrySegMer->FieldByName("DSSEGMER").AsString());
}

void TfrmParecerOcorrAtend::Vd_Serie() {
    const std::string series = dbeSerie->Text();
    if (Empty(series)) {
        return;
    }
    qrySerie->ParamByName("P_TCDSERIEENTR").SetAsString("");
    qrySerie->ParamByName("P_CDSERIEENTR").SetAsString(series);
    Reopen(*qrySerie);
    if (qrySerie->IsEmpty()) {
        dbeSerie->SetFocus();
        Consiste::MensErro(msgPadrao->Msg("SERIE_N_CAD"), true);
    }
}

void TfrmParecerOcorrAtend::Vd_NrTarefa() {
    if (!RecordInEntry()) {
        return;
    }
    TField& task = Rec("NRTAREFA");
    if (Empty(task.AsString())) {
        return;
    }
    try {
        // The task is looked up at the host's branch and for the logged-in operator:
        // only an open task of theirs there passes.
        qryPesqAtend->ParamByName("P_CDFILIAL").SetAsString(Lumbra::FiliProc());
        qryPesqAtend->ParamByName("P_NRTAREFA").SetAsString(Adjust(task, task.Size()));
        qryPesqAtend->ParamByName("P_TNRTAREFA").Clear();
        qryPesqAtend->ParamByName("P_CDOPERRESP").SetAsString(Lumbra::Operador());
        Reopen(*qryPesqAtend);
        if (qryPesqAtend->IsEmpty()) {
            Consiste::MensErro(msgPadrao->Msg("NRTA_NC"), true);
        }
        if (RecordInEntry()) {
            Rec("DSREFETAREFA").SetAsString(qryPesqAtend->FieldByName("DSREFETAREFA").AsString());
        }
    } catch (...) {
        dbeNRTAREFA->SetFocus();
        throw;
    }
}

void TfrmParecerOcorrAtend::Vd_Transportador() {
    if (!RecordInEntry() || Empty(Rec("NRINSJURTRANS").AsString())) {
        return;
    }
    try {
        std::string inscription = dbeNrInsTran->Text();
        Consiste::Ajusta_Inscricao(inscription);
        Rec("NRINSJURTRANS").SetAsString(inscription);
        qryTransportador->ParamByName("P_NRINSJURFORN").SetAsString(inscription);
        qryTransportador->ParamByName("P_TNRINSJURFORN").SetAsString("");
        Reopen(*qryTransportador);
        if (qryTransportador->IsEmpty()) {
            Consiste::MensErro(msgPadrao->Msg("Insc_Trans_nc"), true);
        }
        const std::string kind = qryTransportador->FieldByName("IDTPIJURFORN").AsString();
        Rec("CDFORNTRANSP").SetAsString(qryTransportador->FieldByName("CDFORNECED").AsString());
        Rec("IDTPIJURTRANS").SetAsString(kind);
        Rec("NRINSJURTRANS").SetEditMask(Consiste::PictPess(kind));
        Rec("NRINSJURTRANS").SetAsString(qryTransportador->FieldByName("NRINSJURFORN").AsString());
        Rec("NMRAZSOCTRANS").SetAsString(qryTransportador->FieldByName("NMRAZSOCFORN").AsString());
    } catch (...) {
        dbeNrInsTran->SetFocus();
        std::string again = dbeNrInsTran->Text();
        Consiste::Ajusta_Inscricao(again);
        dbeNrInsTran->SetText(again);
        throw;
    }
}

void TfrmParecerOcorrAtend::Vd_CliFor(bool atPost) {
    if (!RecordInEntry()) {
        return;
    }
    std::string inscription = dbeNrInsc->Text();
    if (Empty(inscription)) {
        if (atPost) {
            dbeNrInsc->SetFocus();
            Consiste::MensErro(msgPadrao->Msg("CliForne_Inf"), true);
        }
        return;
    }
    // At post the exit has already looked the value up, unless the person is still in
    // the edit.
    if (atPost && ActiveControl() != dbeNrInsc) {
        return;
    }
    try {
        Consiste::Ajusta_Inscricao(inscription);
        Rec("NRINSJUR").SetAsString(inscription);
        qryCliFor->ParamByName("P_NRINSJUR").SetAsString(inscription);
        qryCliFor->ParamByName("P_TNRINSJUR").SetAsString("");
        qryCliFor->ParamByName("P_IDTIPO").SetAsString(Verifica_Tipo());
        qryCliFor->Close();
        cdsCliFor->SetData(dspCliFor->GetData());
        if (cdsCliFor->IsEmpty()) {
            Consiste::MensErro(msgPadrao->Msg("Insc_CliForn_nc"), true);
        }
        const std::string kind = cdsCliFor->FieldByName("IDTIPO").AsString();
        const Variant code(cdsCliFor->FieldByName("CDCLIFORN").AsString());
        const std::pair<const char*, const char*> codes[] = {
            {"F", "CDFORNECED"}, {"C", "CDCLIENTE"}, {"P", "CDPROSPECT"}};
        for (const auto& [letter, column] : codes) {
            if (kind == letter) {
                Rec(column).SetValue(code);
            } else {
                Rec(column).Clear();
            }
        }
        const std::string person = cdsCliFor->FieldByName("IDTPIJUR").AsString();
        Rec("IDTPIJUR").SetAsString(person);
        Rec("NRINSJUR").SetEditMask(Consiste::PictPess(person));
        Rec("NRINSJUR").SetAsString(cdsCliFor->FieldByName("NRINSJUR").AsString());
        Rec("NMRAZSOC").SetAsString(cdsCliFor->FieldByName("NMRAZSOC").AsString());
    } catch (...) {
        dbeNrInsc->SetFocus();
        std::string again = dbeNrInsc->Text();
        Consiste::Ajusta_Inscricao(again);
        dbeNrInsc->SetText(again);
        throw;
    }
}

void TfrmParecerOcorrAtend::Vd_Data() {
    if (!RecordInEntry()) {
        return;
    }
    OnFormPage(Rec("DTOCORRMOV"), [&] {
        if (dbdData->IsEmpty()) {
            Consiste::MensErro(msgPadrao->Msg("DATA_ni"), true);
        }
        if (!dbdData->IsDateValid()) {
            Consiste::MensErro("'" + dbdData->EditText() + "' " + msgPadrao->Msg("DATA_inv"), true);
        }
    });
}

void TfrmParecerOcorrAtend::Vd_RespIden() {
    if (!RecordInEntry()) {
        return;
    }
    TField& person = Rec("NMPESSIDETOC");
    OnFormPage(person, [&] {
        if (Empty(person.AsString())) {
            Consiste::MensErro(msgPadrao->Msg("RESPIDEN_ni"), true);
        }
    });
}

void TfrmParecerOcorrAtend::Vd_Hora() {
    if (!RecordInEntry()) {
        return;
    }
    TDateTime ignored;
    if (TryStrToTime(medHora->Text(), ignored)) {
        return;
    }
    pgcPadrao->SetActivePage(tshFormulario);
    medHora->SetFocus();
    Consiste::MensErro("'" + medHora->Text() + "' " + msgPadrao->Msg("HORA_inv"), true);
}
