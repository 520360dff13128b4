#include "framework/host/frm_filtro_padrao.h"

#include "core/text.h"
#include "framework/forms/form_loader.h"
#include "framework/host/consiste.h"
#include "framework/host/frm_padrao.h"
#include "framework/host/host_context.h"
#include "framework/host/host_dialogs.h"
#include "framework/host/option_store.h"
#include "framework/ui/ui_driver.h"

TfrmFiltroPadrao::TfrmFiltroPadrao(TComponent* Owner) : TForm(Owner) {
    RegisterBaseScreens();
    InitInheritedComponent(*this, "TfrmFiltroPadrao", Published());
    AfterLoad();
}

const PublishedTable& TfrmFiltroPadrao::Published() {
    static const PublishedTable table = [] {
        using F = TfrmFiltroPadrao;
        PublishedTable t;
        t.Handler("FormCreate", &F::FormCreate);
        t.Handler("btfSaveOpcClick", &F::btfSaveOpcClick);
        t.Handler("btfLoadOpcClick", &F::btfLoadOpcClick);
        t.Handler("sbtConfirmaClick", &F::sbtConfirmaClick);
        t.Handler("mnuSalvarOpcoesClick", &F::mnuSalvarOpcoesClick);
        t.Handler("mnuCarregarOpcoesClick", &F::mnuCarregarOpcoesClick);
        t.Component("lblCodTela", &F::lblCodTela);
        t.Component("grbFiltroPadrao", &F::grbFiltroPadrao);
        t.Component("sbtConfirma", &F::sbtConfirma);
        t.Component("btfSaveOpc", &F::btfSaveOpc);
        t.Component("btfLoadOpc", &F::btfLoadOpc);
        t.Component("msgPadrao", &F::msgPadrao);
        t.Component("ppmOpcoes", &F::ppmOpcoes);
        t.Component("cdsCarregaOpcoes", &F::cdsCarregaOpcoes);
        t.Component("dtsCarregaOpcoes", &F::dtsCarregaOpcoes);
        return t;
    }();
    return table;
}

void TfrmFiltroPadrao::AfterLoad() {
    btfLoadOpc->BeforeClick = [this] {
        return ChooseOptionSet();
    };
}

OptionStore TfrmFiltroPadrao::Store() const {
    return OptionStore(ConfigDir(), lblCodTela->Caption(), Lumbra::Operador());
}

void TfrmFiltroPadrao::RefreshOptionSets() {
    DataPacket p;
    p.fields = {{"NMOPCAO", FieldType::String, 60}};
    for (const std::string& name : Store().Names()) {
        p.rows.push_back({Variant(name)});
    }
    cdsCarregaOpcoes->SetData(MakePacketVariant(std::move(p)));
}

void TfrmFiltroPadrao::FormCreate(TObject*) {
    RefreshOptionSets();
}

bool TfrmFiltroPadrao::ChooseOptionSet() {
    RefreshOptionSets();
    if (!Pesquisa::Pesquisar(*dtsCarregaOpcoes,
                             "Opções salvas|Não há opções salvas para esta tela.")) {
        return false;
    }
    const std::string name = cdsCarregaOpcoes->FieldByName("NMOPCAO").AsString();
    const std::optional<TStrings> set = Store().Load(name);
    if (!set) {
        Consiste::MensErro("O conjunto de opções '" + name + "' não existe mais.", false);
        return false;
    }
    Options.Assign(*set);
    setName_ = name;
    return true;
}

// Option names of controls: their component names. Radio buttons and check boxes are
// "S"/"N"; date editors their text (empty for no date).
void TfrmFiltroPadrao::CollectControls(TWinControl& container) {
    for (TControl* child : container.Children()) {
        if (auto* radio = dynamic_cast<TRadioButton*>(child)) {
            Options.SetValues(radio->Name(), radio->Checked() ? "S" : "N");
        } else if (auto* check = dynamic_cast<TCheckBox*>(child)) {
            Options.SetValues(check->Name(), check->Checked() ? "S" : "N");
        } else if (auto* date = dynamic_cast<TDateEditPlus*>(child)) {
            Options.SetValues(date->Name(), date->IsEmpty() ? "" : date->EditText());
        }
        if (auto* inner = dynamic_cast<TWinControl*>(child)) {
            CollectControls(*inner);
        }
    }
}

void TfrmFiltroPadrao::RestoreControls(TWinControl& container) {
    for (TControl* child : container.Children()) {
        const std::string value = Options.Values(child->Name());
        if (auto* radio = dynamic_cast<TRadioButton*>(child)) {
            if (value == "S") {
                radio->SetChecked(true);
            }
        } else if (auto* check = dynamic_cast<TCheckBox*>(child)) {
            if (value == "S" || value == "N") {
                check->SetChecked(value == "S");
            }
        } else if (auto* date = dynamic_cast<TDateEditPlus*>(child)) {
            date->SetText(value);
        }
        if (auto* inner = dynamic_cast<TWinControl*>(child)) {
            RestoreControls(*inner);
        }
    }
}

void TfrmFiltroPadrao::btfSaveOpcClick(TObject*) {
    std::string name = setName_;
    if (!Ui().InputQuery("Salvar opções", "Nome do conjunto de opções", name)) {
        return;
    }
    name = Trim(name);
    if (name.empty()) {
        Consiste::MensErro("O nome do conjunto de opções deve ser informado.");
    }
    CollectControls(*grbFiltroPadrao);
    OptionStore store = Store();
    store.Save(name, Options);
    setName_ = name;
    RefreshOptionSets();
    Ui().ShowStatus("Opções \"" + name + "\" gravadas em " + store.Path() + ".");
}

void TfrmFiltroPadrao::btfLoadOpcClick(TObject*) {
    RestoreControls(*grbFiltroPadrao);
}

void TfrmFiltroPadrao::sbtConfirmaClick(TObject*) {
    SetModalResult(mrOk);
}

void TfrmFiltroPadrao::mnuSalvarOpcoesClick(TObject*) {
    btfSaveOpc->Click();
}

void TfrmFiltroPadrao::mnuCarregarOpcoesClick(TObject*) {
    btfLoadOpc->Click();
}
