#include "framework/host/btn_pesquisa.h"

#include "core/exceptions.h"
#include "framework/data/datasource.h"
#include "framework/host/consiste.h"
#include "framework/ui/ui_driver.h"

TBtnPesquisa::TBtnPesquisa(TComponent* Owner) : TSpeedButton(Owner) {
    SetHint("Pesquisar");
    SetGlyph("Pesquisar");
}

void TBtnPesquisa::Click() {
    if (OnClick) {
        OnClick(this);
        return;
    }
    bool search = true;
    if (OnBeforePesq) {
        OnBeforePesq(this, search);
    }
    if (!search) {
        return;
    }
    TDataSet* ds = DataSource ? DataSource->DataSet() : nullptr;
    if (!ds) {
        throw EDatabaseError(Name() + ": o botão de pesquisa não tem conjunto de dados");
    }
    if (!ds->Active()) {
        ds->Open();
    }
    if (ds->IsEmpty()) {
        Consiste::MensErro(EmptyError, false);
        return;
    }
    if (Ui().Pesquisar(*DataSource, Title, EmptyError) && OnAfterPesq) {
        OnAfterPesq(this);
    }
}
