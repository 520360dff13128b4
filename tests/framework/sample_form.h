#pragma once

#include "framework/controls/application.h"
#include "framework/controls/date_edit.h"
#include "framework/controls/db_controls.h"
#include "framework/controls/form.h"
#include "framework/controls/menus.h"
#include "framework/controls/pages.h"
#include "framework/data/client_dataset.h"
#include "framework/forms/form_loader.h"
#include "framework/host/btn_pesquisa.h"
#include "framework/script/scripted_ui_driver.h"

/// A small form with one control of each kind the screens use, built from its
/// definition as a screen is, over a record and a list of branches. Tests attach their
/// own handlers.
inline constexpr const char* kSampleFormDefinition = R"(object frmAmostra: TfrmAmostra
  object pgcPadrao: TPageControl
    TabOrder = 0
    object tshFolhaDados: TTabSheet
      object dbgPadrao: TDBGrid
        TabOrder = 0
        DataSource = dtsPadrao
        Columns = <
          item
            FieldName = 'CDFILIAL'
          end
          item
            FieldName = 'NMFILIAL'
            Title.Caption = 'Nome'
          end>
      end
    end
    object tshFormulario: TTabSheet
      object dbeCdFilial: TDBEdit
        TabOrder = 0
        DataSource = dtsPadrao
        DataField = 'CDFILIAL'
      end
      object grbFornClie: TGroupBox
        TabOrder = 1
        object rbtForne: TRadioButton
          TabOrder = 0
        end
        object rbtCliente: TRadioButton
          TabOrder = 1
        end
      end
      object dbeNmFilial: TDBEdit
        TabOrder = 2
        DataSource = dtsPadrao
        DataField = 'NMFILIAL'
      end
      object dbdData: TDBDateEditPlus
        TabOrder = 3
        DataSource = dtsPadrao
        DataField = 'DTOCORRMOV'
        SaveTime = True
      end
      object medHora: TMaskEdit
        TabOrder = 4
        EditMask = '99:99;1; '
        MaxLength = 5
      end
      object edtDesabilitado: TEdit
        TabOrder = 5
        Enabled = False
      end
      object btnFilial: TBtnPesquisa
        Title = 'Filial'
        EmptyError = 'Não há filial cadastrada.'
        DataSource = dtsFilial
        Associate = dbeCdFilial
      end
    end
  end
  object mnuPrincipal: TMainMenu
    object mnuManutencao: TMenuItem
      Caption = '&Manutenção'
      object mnuFiltrar: TMenuItem
        Caption = 'Filtrar'
        ShortCut = 'Ctrl+L'
      end
    end
  end
  object cdsMov: TClientDataSet
    object cdsMovCDFILIAL: TStringField
      Size = 4
      EditMask = '9999;0; '
    end
    object cdsMovNMFILIAL: TStringField
      Size = 30
    end
    object cdsMovDTOCORRMOV: TDateTimeField
    end
  end
  object dtsPadrao: TDataSource
    DataSet = cdsMov
  end
  object cdsFilial: TClientDataSet
    object cdsFilialCDFILIAL: TStringField
      Size = 4
    end
    object cdsFilialNMFILIAL: TStringField
      Size = 30
    end
  end
  object dtsFilial: TDataSource
    DataSet = cdsFilial
  end
end
)";

class SampleForm : public TForm {
public:
    explicit SampleForm(TComponent* Owner = nullptr) : TForm(Owner) {
        LoadFormDefinition(*this, kSampleFormDefinition, "amostra.dfm", Published());
        SetMenu(menu);
    }

    static const PublishedTable& Published() {
        static const PublishedTable table = [] {
            using F = SampleForm;
            PublishedTable t;
            t.Component("cdsMov", &F::cds);
            t.Component("dtsPadrao", &F::dts);
            t.Component("cdsFilial", &F::branches);
            t.Component("dtsFilial", &F::dtsBranches);
            t.Component("pgcPadrao", &F::pgc);
            t.Component("tshFolhaDados", &F::tshList);
            t.Component("tshFormulario", &F::tshForm);
            t.Component("dbgPadrao", &F::grid);
            t.Component("dbeCdFilial", &F::dbeCdFilial);
            t.Component("grbFornClie", &F::grb);
            t.Component("rbtForne", &F::rbtForne);
            t.Component("rbtCliente", &F::rbtCliente);
            t.Component("dbeNmFilial", &F::dbeNmFilial);
            t.Component("dbdData", &F::dbdData);
            t.Component("medHora", &F::medHora);
            t.Component("edtDesabilitado", &F::edtDisabled);
            t.Component("btnFilial", &F::btnFilial);
            t.Component("mnuPrincipal", &F::menu);
            t.Component("mnuManutencao", &F::mnuManutencao);
            t.Component("mnuFiltrar", &F::mnuFiltrar);
            return t;
        }();
        return table;
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

    TClientDataSet* cds = nullptr;
    TDataSource* dts = nullptr;
    TClientDataSet* branches = nullptr;
    TDataSource* dtsBranches = nullptr;
    TPageControl* pgc = nullptr;
    TTabSheet* tshList = nullptr;
    TTabSheet* tshForm = nullptr;
    TDBGrid* grid = nullptr;
    TDBEdit* dbeCdFilial = nullptr;
    TGroupBox* grb = nullptr;
    TRadioButton* rbtForne = nullptr;
    TRadioButton* rbtCliente = nullptr;
    TDBEdit* dbeNmFilial = nullptr;
    TDBDateEditPlus* dbdData = nullptr;
    TMaskEdit* medHora = nullptr;
    TEdit* edtDisabled = nullptr;
    TBtnPesquisa* btnFilial = nullptr;
    TMainMenu* menu = nullptr;
    TMenuItem* mnuManutencao = nullptr;
    TMenuItem* mnuFiltrar = nullptr;
};
