#include "register/Cli_oca0080a.h"

#include "framework/controls/format_panel.h"
#include "framework/host/btn_pesquisa.h"
#include "framework/host/host_context.h"
#include "framework/script/scripted_ui_driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {

class RegisterScreen : public ::testing::Test {
protected:
    void SetUp() override {
        SetUi(&ui);
        Host().serverPort = 1; // no server: the screen opens without one
        ModuleRegistry::Instance().RegisterModule("OCA0080A", ModuleFormResources());
        screen = std::make_unique<TfrmParecerOcorrAtend>();
        screen->DoCreate();
    }
    void TearDown() override {
        screen.reset();
        ModuleRegistry::Instance().UnregisterModule("OCA0080A");
        Host() = HostContext();
        SetUi(nullptr);
    }
    template <class T> T* Find(const char* name) {
        auto* c = dynamic_cast<T*>(screen->FindComponent(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void LoadOne(const std::string& number, const std::string& name, const std::string& kind) {
        DataPacket p;
        for (TField* f : screen->cdsMovOcorr->FieldList()) {
            if (!f->Calculated()) {
                p.fields.push_back(f->Describe());
            }
        }
        Row row(p.fields.size());
        row[static_cast<size_t>(p.FieldIndex("NROCORRMOV"))] =
            number.empty() ? Variant() : Variant(number);
        row[static_cast<size_t>(p.FieldIndex("NMRAZSOC"))] =
            name.empty() ? Variant() : Variant(name);
        row[static_cast<size_t>(p.FieldIndex("TIPO"))] = Variant(kind);
        p.rows.push_back(row);
        screen->cdsMovOcorr->SetData(MakePacketVariant(p));
    }

    ScriptedUiDriver ui;
    std::unique_ptr<TfrmParecerOcorrAtend> screen;
};

TEST_F(RegisterScreen, IsBuiltFromItsDefinitionOverTheBaseScreen) {
    EXPECT_EQ(screen->Name(), "frmParecerOcorrAtend");
    EXPECT_EQ(screen->Caption(),
              "Ocorrências de Atendimento com Qualificação Automática de Fornecedores");
    EXPECT_EQ(screen->lblCodTela->Caption(), "OCA00800");
    EXPECT_EQ(screen->HelpContext(), 12500800);
    EXPECT_EQ(screen->HelpFile(), "OcaHelp.hlp");
    EXPECT_EQ(screen->FormStyle(), fsMDIChild);
    std::vector<std::string> pages;
    for (size_t i = 0; i < screen->pgcPadrao->PageCount(); ++i) {
        pages.push_back(screen->pgcPadrao->Pages(i)->Name() + ":" +
                        screen->pgcPadrao->Pages(i)->Caption());
    }
    EXPECT_THAT(pages,
                ElementsAre("tshFolhaDados:Folha de Dados", "tshFormulario:Dados da Ocorrência",
                            "tshDescricao:Descrição", "tshParecer:Parecer"));
    // The catalog's lines are checked one by one in catalog_test.cpp.
    EXPECT_EQ(
        screen->msgPadrao->Msg("Lote_NCad"),
        "Lote não cadastrado para o produto informado ou o parâmetro que controla a utiização "
        "de lote não está marcado.");
    EXPECT_EQ(screen->netOcorAtend->ServerName(), "OCA0080A.rdmOcorAtendimento");
    EXPECT_FALSE(screen->netOcorAtend->ThrowException());
    EXPECT_FALSE(screen->sbtImprimir->Enabled());
    EXPECT_FALSE(screen->mnuListagem->Enabled());
    EXPECT_EQ(screen->mnuFormulario->Caption(), "&Dados da Ocorrência");
    EXPECT_EQ(Find<TMenuItem>("mnuFiltrar")->ShortCut(), "Ctrl+L");
    std::vector<std::string> operation;
    for (const TMenuItem* item : screen->mnuOperacao->Items()) {
        operation.push_back(item->Name());
    }
    EXPECT_THAT(operation,
                ElementsAre("mnuFolhaDados", "mnuFormulario", "mnuDescricao", "mnuParecer",
                            "mnuListagem", "mnuConfigImpressora", "mnuExportarLista",
                            "mnuHistorico", "mnuTratamento", "mnuAnexos", "mnuRelatorio"));
    EXPECT_EQ(screen->mnuExportarLista->Caption(), "E&xportar lista...");
    EXPECT_TRUE(screen->mnuExportarLista->Enabled()) << "printing stays off, exporting does not";
}

TEST_F(RegisterScreen, TheRecordHasItsFieldsSizesLabelsAndMasks) {
    TClientDataSet& cds = *screen->cdsMovOcorr;
    ASSERT_EQ(cds.FieldCount(), 42u);
    struct Expect {
        const char* name;
        int size;
        const char* label;
        bool visible;
    };
    for (const Expect& e :
         {Expect{"NROCORRMOV", 10, "Nº Ocorrência", true}, Expect{"DTOCORRMOV", 0, "Data ", true},
          Expect{"CDOPERADOR", 12, "CDOPERADOR", false},
          Expect{"DSREFETAREFA", 100, "DSREFETAREFA", false},
          Expect{"NMPRODUTO", 50, "Produto", true}, Expect{"TIPO", 1, "TIPO", false}}) {
        TField& f = cds.FieldByName(e.name);
        EXPECT_EQ(f.Size(), e.size) << e.name;
        EXPECT_EQ(f.DisplayLabel(), e.label) << e.name;
        EXPECT_EQ(f.Visible(), e.visible) << e.name;
    }
    EXPECT_EQ(cds.FieldByName("CDOPERADOR").EditMask(), "999;0; ");
    EXPECT_EQ(cds.FieldByName("CDOPERADOR").DisplayWidth(), 14);
    // Set at creation.
    EXPECT_EQ(cds.FieldByName("NRNOTAFISC").EditMask(), "9999999;0; ");
    EXPECT_EQ(cds.FieldByName("CDSERIEENTR").EditMask(), ">ccccc;0; ");
    EXPECT_TRUE(cds.FieldByName("DTFORN").Calculated());
    EXPECT_TRUE(screen->cdsCliFor->FieldByName("IDTIPO").FixedChar());
    EXPECT_EQ(screen->cdsLote->FieldByName("NRLOTEESTQ").DisplayWidth(), 25);
    EXPECT_TRUE(screen->cdsPesqNF->FieldByName("NRLANCTONF").ReadOnly());
}

TEST_F(RegisterScreen, TheFormPageHoldsItsControlsInTabOrderWithTheirColours) {
    screen->SetVisible(true); // shown without the activation that would open the filter
    screen->pgcPadrao->SetActivePage(screen->tshFormulario);
    screen->SetActiveControl(Find<TWinControl>("dbeCdFilial"));
    std::vector<std::string> order;
    for (int i = 0; i < 14; ++i) {
        screen->SelectNext();
        order.push_back(screen->ActiveControl()->Name());
    }
    // The counterpart's buttons are one stop, the one checked: the arrows move among them.
    EXPECT_THAT(order,
                ElementsAre("rbtForne", "dbeNrInsc", "dbeCdSegMer", "dbdData", "medHora",
                            "dbeRespIden", "dbeCdGrupOcorr", "dbeCdTipOcorr", "dbeDescSum",
                            "dbeCdProduto", "dbeSerie", "dbeNotaFiscal", "dbeLote", "dbeSubLote"))
        << "the task edit starts disabled and is skipped";
    for (const char* name : {"dbeCdFilial", "dbeNrInsc", "dbdData", "medHora", "dbeRespIden"}) {
        EXPECT_EQ(Find<TControl>(name)->Color(), clInfoBk) << name;
    }
    EXPECT_FALSE(Find<TControl>("dbeNmFilial")->Enabled());
    EXPECT_EQ(Find<TControl>("dbeNmFilial")->Color(), clBtnFace);
    EXPECT_TRUE(Find<TRadioButton>("rbtForne")->Checked());
    EXPECT_EQ(Find<TMaskEdit>("medHora")->EditText(), "  :  ");
    EXPECT_EQ(Find<TBtnPesquisa>("btpLote")->Hint(), "Pesquisar");
    EXPECT_EQ(Find<TBtnPesquisa>("btpTipoOcorr")->EmptyError,
              "Não há tipo de ocorrência cadastrada para o grupo de ocorrência informado.");
    EXPECT_EQ(Find<TFormatPanel>("fpnParecer")->ControlCount(), TFormatPanel::kToolCount);
    EXPECT_EQ(Find<TDBRichEdit>("dreDescricao")->DataSource(), nullptr)
        << "attached when its page shows";
    EXPECT_TRUE(Find<TDBRichEdit>("dreDescricao")->ReadOnly());
}

TEST_F(RegisterScreen, TheCaptionAndKindTextsFollowTheCatalog) {
    LoadOne("0000000012", "ACME", "F");
    EXPECT_EQ(screen->cdsMovOcorrDTFORN->AsString(), "Nº Ocorrência 0000000012 - ACME");
    EXPECT_EQ(screen->cdsMovOcorr->FieldByName("TIPO").DisplayText(), "Fornecedor");
    EXPECT_EQ(screen->cdsMovOcorr->FieldByName("TIPO").AsString(), "F");
    EXPECT_EQ(screen->dbtNome->Caption(), "Nº Ocorrência 0000000012 - ACME");
    LoadOne("", "", "");
    EXPECT_EQ(screen->cdsMovOcorrDTFORN->AsString(), "Nº Ocorrência  - ");
    EXPECT_EQ(screen->cdsMovOcorr->FieldByName("TIPO").DisplayText(), "");
    std::vector<std::string> titles;
    for (size_t i = 0; i < screen->dbgPadrao->Columns.size(); ++i) {
        titles.push_back(screen->dbgPadrao->ColumnTitle(i));
    }
    EXPECT_THAT(titles, ElementsAre("Nº Ocorrência", "Data", "Responsável", "Tipo",
                                    "Nome Razão Social", "Produto", "Lote"));
}

TEST_F(RegisterScreen, CounterpartRowsShowPersonKindsByNameAndInscriptionsThroughTheirMask) {
    DataPacket p;
    for (TField* f : screen->cdsCliFor->FieldList()) {
        p.fields.push_back(f->Describe());
    }
    auto add = [&](const char* kind, const char* inscription) {
        Row row(p.fields.size());
        row[static_cast<size_t>(p.FieldIndex("IDTPIJUR"))] = Variant(kind);
        row[static_cast<size_t>(p.FieldIndex("NRINSJUR"))] = Variant(inscription);
        p.rows.push_back(row);
    };
    add("F", "52998224725");
    add("J", "11222333000181");
    add("X", "ABC123");
    screen->cdsCliFor->SetData(MakePacketVariant(p));
    std::vector<std::string> shown;
    for (screen->cdsCliFor->First(); !screen->cdsCliFor->Eof(); screen->cdsCliFor->Next()) {
        shown.push_back(screen->cdsCliFor->FieldByName("IDTPIJUR").DisplayText() + " " +
                        screen->cdsCliFor->FieldByName("NRINSJUR").DisplayText());
    }
    EXPECT_THAT(shown,
                ElementsAre("Física 529.982.247-25", "Jurídica 11.222.333/0001-81", " ABC123"));
}

} // namespace
