// The texts the screen shows for codes: the occurrence's caption, the counterpart kind,
// inscriptions through the mask of their person kind and person kinds by name.
#include "register/Cli_oca0080a.h"

#include "core/mask.h"
#include "framework/host/consiste.h"

void TfrmParecerOcorrAtend::cdsMovOcorrCalcFields(TDataSet*) {
    // Empty parts keep their place: "Nº Ocorrência  - " for a row without number and name.
    cdsMovOcorrDTFORN->SetAsString(msgPadrao->Msg("NoOcorr") + " " +
                                   cdsMovOcorrNROCORRMOV->AsString() + " - " +
                                   cdsMovOcorrNMRAZSOC->AsString());
}

void TfrmParecerOcorrAtend::cdsMovOcorrTIPOGetText(TField* Sender, std::string& Text, bool) {
    Text = msgPadrao->Msg(Sender->AsString());
}

std::string TfrmParecerOcorrAtend::PersonKindText(const std::string& kind) const {
    if (kind == "F") {
        return msgPadrao->Msg("FISICA");
    }
    if (kind == "J") {
        return msgPadrao->Msg("JURIDIC");
    }
    if (kind == "O") {
        return msgPadrao->Msg("OUTROS");
    }
    if (kind == "I") {
        return msgPadrao->Msg("INSC_JURIDICA");
    }
    return {};
}

void TfrmParecerOcorrAtend::cdsCliForNRINSJURGetText(TField* Sender, std::string& Text, bool) {
    Text = FormatMaskText(Consiste::PictPess(cdsCliForIDTPIJUR->AsString()), Sender->AsString());
}

void TfrmParecerOcorrAtend::cdsCliForIDTPIJURGetText(TField* Sender, std::string& Text, bool) {
    Text = PersonKindText(Sender->AsString());
}

void TfrmParecerOcorrAtend::qryTransportadorNRINSJURFORNGetText(TField* Sender, std::string& Text,
                                                                bool) {
    Text = FormatMaskText(Consiste::PictPess(qryTransportadorIDTPIJURFORN->AsString()),
                          Sender->AsString());
}

void TfrmParecerOcorrAtend::qryTransportadorIDTPIJURFORNGetText(TField* Sender, std::string& Text,
                                                                bool) {
    Text = PersonKindText(Sender->AsString());
}
