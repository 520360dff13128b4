// The panel's creation, its connection to the server object, the filter bar and the load.
#include "qualification/Cli_oca0081a.h"

#include "framework/controls/application.h"
#include "framework/host/consiste.h"
#include "framework/host/host_context.h"
#include "framework/host/host_dialogs.h"
#include "framework/ui/ui_driver.h"

extern "C" {
TfrmQualifForn* frmQualifForn = nullptr;
}

namespace {

constexpr int kDefaultMonths = 12;

// A group's lookup serves only its "Lista" choice.
void Follow(TRadioButton* list, TBtnPesquisa* button) {
    button->SetEnabled(list->Checked());
}

} // namespace

TfrmQualifForn::TfrmQualifForn(TComponent* Owner) : TfrmPadrao(Owner, TfrmPadrao::Inherited{}) {
    RegisterBaseScreens();
    InitInheritedComponent(*this, "TfrmQualifForn", Published());
}

TfrmQualifForn::~TfrmQualifForn() {
    if (frmQualifForn == this) {
        frmQualifForn = nullptr;
    }
}

const PublishedTable& TfrmQualifForn::Published() {
    static const PublishedTable table = [] {
        using F = TfrmQualifForn;
        PublishedTable t;
#define OCA_HANDLER(name) t.Handler(#name, &F::name)
#define OCA_COMPONENT(name) t.Component(#name, &F::name)
        OCA_HANDLER(FormCreate);
        OCA_HANDLER(FormClose);
        OCA_HANDLER(netQualifBeforeConnect);
        OCA_HANDLER(sbtVerificarClick);
        OCA_HANDLER(rbtFiliTodosClick);
        OCA_HANDLER(rbtFiliListaClick);
        OCA_HANDLER(rbtFornTodosClick);
        OCA_HANDLER(rbtFornListaClick);
        OCA_HANDLER(btpFilialClick);
        OCA_HANDLER(btpFornecedorClick);
        OCA_HANDLER(cdsFornecedoresAfterScroll);
        OCA_HANDLER(cdsFornecedoresVRNOTAGetText);
        OCA_HANDLER(chtQualifSelect);
        OCA_HANDLER(mnuExportarListaClick);
        OCA_HANDLER(mnuExportarGraficoClick);
        OCA_COMPONENT(panFiltro);
        OCA_COMPONENT(rbtFiliTodos);
        OCA_COMPONENT(rbtFiliLista);
        OCA_COMPONENT(rbtFornTodos);
        OCA_COMPONENT(rbtFornLista);
        OCA_COMPONENT(btpFilial);
        OCA_COMPONENT(btpFornecedor);
        OCA_COMPONENT(medMesIni);
        OCA_COMPONENT(medMesFin);
        OCA_COMPONENT(chtQualif);
        OCA_COMPONENT(mnuExportarLista);
        OCA_COMPONENT(mnuExportarGrafico);
        OCA_COMPONENT(netQualif);
        OCA_COMPONENT(cdsFornecedores);
        OCA_COMPONENT(qryFilial);
        OCA_COMPONENT(qryFornecedor);
        OCA_COMPONENT(dtsFilial);
        OCA_COMPONENT(dtsFornecedor);
#undef OCA_HANDLER
#undef OCA_COMPONENT
        t.Inherit(TfrmPadrao::Published());
        return t;
    }();
    return table;
}

void TfrmQualifForn::FormCreate(TObject* Sender) {
    TfrmPadrao::FormCreate(Sender);
    netQualif->SetConnected(true);
    cdsFornecedores->CreateDataSet();
    chtQualif->SetSeriesTitles("Nota", "Ocorrências");
    chtQualif->SetLineRange(0, 100);
    chtQualif->SetBands(qualif::StandingBands());
    ColorClasses();
    // The last twelve months, by the server's calendar.
    TDateTime today = Now();
    const Variant date = netQualif->Call("GetSysDate");
    if (date.Type() == VarType::Packet && !date.AsPacket().rows.empty()) {
        today = date.AsPacket().rows[0][0].AsDateTime();
    }
    const DateParts d = DecodeDate(today);
    const int last = d.year * 100 + d.month;
    Load(qualif::AddMonths(last, 1 - kDefaultMonths), last);
}

void TfrmQualifForn::FormClose(TObject* Sender, TCloseAction& Action) {
    TfrmPadrao::FormClose(Sender, Action);
    Action = caFree;
}

void TfrmQualifForn::netQualifBeforeConnect(TObject*) {
    UseHostServer(*netQualif);
}

void TfrmQualifForn::sbtVerificarClick(TObject*) {
    const int first = qualif::ParseMonth(medMesIni->Text());
    const int last = qualif::ParseMonth(medMesFin->Text());
    if (first == 0 || last == 0) {
        Ui().ShowError("Informe o período como mês/ano, por exemplo 01/2026.");
        (first == 0 ? medMesIni : medMesFin)->SetFocus();
        return;
    }
    if (last < first) {
        Ui().ShowError("O mês inicial deve vir antes do final.");
        medMesIni->SetFocus();
        return;
    }
    if (rbtFiliLista->Checked() && selFilial.empty()) {
        Ui().ShowError("Escolha as filiais da lista.");
        return;
    }
    if (rbtFornLista->Checked() && selFornecedor.empty()) {
        Ui().ShowError("Escolha os fornecedores da lista.");
        return;
    }
    Load(first, last);
}

bool TfrmQualifForn::Load(int first, int last) {
    medMesIni->SetText(qualif::MonthText(first));
    medMesFin->SetText(qualif::MonthText(last));
    TProgressNotice notice(nullptr, 6, "Carregando a qualificação dos fornecedores...");
    const Variant answer = netQualif->Call(
        "GetQualifForn", {Variant(rbtFiliLista->Checked() ? selFilial : std::string()),
                          Variant(rbtFornLista->Checked() ? selFornecedor : std::string()),
                          Variant(std::int64_t{first}), Variant(std::int64_t{last})});
    follow_ = FollowUp();
    notice.Hide();
    if (answer.IsError() || answer.Type() != VarType::Packet) {
        Ui().ShowError(answer.IsError() ? answer.AsString()
                                        : "O servidor não respondeu com a qualificação.");
        return false;
    }
    first_ = first;
    last_ = last;
    months_ = qualif::MonthsOf(answer.AsPacket());
    FillList();
    ShowChart();
    return true;
}

void TfrmQualifForn::rbtFiliTodosClick(TObject*) {
    Follow(rbtFiliLista, btpFilial);
}
void TfrmQualifForn::rbtFiliListaClick(TObject*) {
    Follow(rbtFiliLista, btpFilial);
}
void TfrmQualifForn::rbtFornTodosClick(TObject*) {
    Follow(rbtFornLista, btpFornecedor);
}
void TfrmQualifForn::rbtFornListaClick(TObject*) {
    Follow(rbtFornLista, btpFornecedor);
}

void TfrmQualifForn::btpFilialClick(TObject*) {
    Pesqlista::PesquisaLista(*dtsFilial, "CDFILIAL", "Filial", false, selFilial);
}

void TfrmQualifForn::btpFornecedorClick(TObject*) {
    Pesqlista::PesquisaLista(*dtsFornecedor, "CDFORNECED", "Fornecedor", false, selFornecedor);
}
