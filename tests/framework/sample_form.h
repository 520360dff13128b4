#pragma once

#include "framework/controls/application.h"
#include "framework/controls/date_edit.h"
#include "framework/controls/db_controls.h"
#include "framework/controls/form.h"
#include "framework/controls/menus.h"
#include "framework/controls/pages.h"
#include "framework/data/client_dataset.h"
#include "framework/host/btn_pesquisa.h"
#include "framework/ui/scripted_ui_driver.h"

/// A small form with one control of each kind the screens use, built as a screen
/// would be, over a record and a list of branches.
class SampleForm : public TForm {
public:
    explicit SampleForm(TComponent* Owner = nullptr) : TForm(Owner) {
        SetName("frmAmostra");
        cds = Create<TClientDataSet>("cdsMov");
        cds->CreateField<TStringField>("CDFILIAL", 4)->SetEditMask("9999;0; ");
        cds->CreateField<TStringField>("NMFILIAL", 30);
        cds->CreateField<TDateTimeField>("DTOCORRMOV");
        dts = Create<TDataSource>("dtsPadrao");
        dts->SetDataSet(cds);

        branches = Create<TClientDataSet>("cdsFilial");
        branches->CreateField<TStringField>("CDFILIAL", 4);
        branches->CreateField<TStringField>("NMFILIAL", 30);
        dtsBranches = Create<TDataSource>("dtsFilial");
        dtsBranches->SetDataSet(branches);

        pgc = Control<TPageControl>("pgcPadrao", this, 0);
        tshList = Control<TTabSheet>("tshFolhaDados", nullptr, 0);
        tshList->SetPageControl(pgc);
        tshForm = Control<TTabSheet>("tshFormulario", nullptr, 1);
        tshForm->SetPageControl(pgc);
        grid = Control<TDBGrid>("dbgPadrao", tshList, 0);
        grid->SetDataSource(dts);
        grid->Columns = {{"CDFILIAL", "", 0, true}, {"NMFILIAL", "Nome", 0, true}};

        dbeCdFilial = Control<TDBEdit>("dbeCdFilial", tshForm, 0);
        dbeCdFilial->SetDataSource(dts);
        dbeCdFilial->SetDataField("CDFILIAL");
        grb = Control<TGroupBox>("grbFornClie", tshForm, 1);
        rbtForne = Control<TRadioButton>("rbtForne", grb, 0);
        rbtCliente = Control<TRadioButton>("rbtCliente", grb, 1);
        dbeNmFilial = Control<TDBEdit>("dbeNmFilial", tshForm, 2);
        dbeNmFilial->SetDataSource(dts);
        dbeNmFilial->SetDataField("NMFILIAL");
        dbdData = Control<TDBDateEditPlus>("dbdData", tshForm, 3);
        dbdData->SetDataSource(dts);
        dbdData->SetDataField("DTOCORRMOV");
        dbdData->SetSaveTime(true);
        medHora = Control<TMaskEdit>("medHora", tshForm, 4);
        medHora->SetEditMask("99:99;1; ");
        medHora->SetMaxLength(5);
        edtDisabled = Control<TEdit>("edtDesabilitado", tshForm, 5);
        edtDisabled->SetEnabled(false);

        btnFilial = Create<TBtnPesquisa>("btnFilial");
        btnFilial->SetParent(tshForm);
        btnFilial->Title = "Filial";
        btnFilial->EmptyError = "Não há filial cadastrada.";
        btnFilial->DataSource = dtsBranches;
        btnFilial->Associate = dbeCdFilial;

        menu = Create<TMainMenu>("mnuPrincipal");
        mnuManutencao = Create<TMenuItem>("mnuManutencao");
        mnuManutencao->SetCaption("&Manutenção");
        menu->Items().Add(mnuManutencao);
        mnuFiltrar = Create<TMenuItem>("mnuFiltrar");
        mnuFiltrar->SetCaption("Filtrar");
        mnuFiltrar->SetShortCut("Ctrl+L");
        mnuManutencao->Add(mnuFiltrar);
        SetMenu(menu);
    }

    void LoadRecords() {
        DataPacket p;
        p.fields = {{"CDFILIAL", FieldType::String, 4},
                    {"NMFILIAL", FieldType::String, 30},
                    {"DTOCORRMOV", FieldType::DateTime}};
        p.rows = {{Variant("0001"), Variant("Matriz"),
                   Variant(CombineDateTime(EncodeDate(2026, 11, 10), EncodeTime(9, 30, 0, 0)))},
                  {Variant("0002"), Variant("Curitiba"), Variant()}};
        cds->SetData(MakePacketVariant(p));
    }

    void LoadBranches(int count) {
        DataPacket p;
        p.fields = {{"CDFILIAL", FieldType::String, 4}, {"NMFILIAL", FieldType::String, 30}};
        for (int i = 1; i <= count; ++i) {
            p.rows.push_back(
                {Variant("000" + std::to_string(i)), Variant("Filial " + std::to_string(i))});
        }
        branches->SetData(MakePacketVariant(p));
    }

    TClientDataSet* cds;
    TDataSource* dts;
    TClientDataSet* branches;
    TDataSource* dtsBranches;
    TPageControl* pgc;
    TTabSheet* tshList;
    TTabSheet* tshForm;
    TDBGrid* grid;
    TDBEdit* dbeCdFilial;
    TGroupBox* grb;
    TRadioButton* rbtForne;
    TRadioButton* rbtCliente;
    TDBEdit* dbeNmFilial;
    TDBDateEditPlus* dbdData;
    TMaskEdit* medHora;
    TEdit* edtDisabled;
    TBtnPesquisa* btnFilial;
    TMainMenu* menu;
    TMenuItem* mnuManutencao;
    TMenuItem* mnuFiltrar;

private:
    template <class T> T* Control(const char* name, TWinControl* parent, int tabOrder) {
        T* c = Create<T>(name);
        c->SetParent(parent ? parent : this);
        c->SetTabOrder(tabOrder);
        return c;
    }
};
