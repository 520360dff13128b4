// The host components that form definitions may create, registered by this layer so that
// the form loader knows nothing of the host units.
#include "framework/forms/class_registry.h"
#include "framework/host/btn_pesquisa.h"
#include "framework/host/frm_filtro_padrao.h"
#include "framework/host/messages.h"

namespace {

void RegisterBtnPesquisa(ClassRegistry& r) {
    ClassInfo& btn = r.Add("TBtnPesquisa", "TSpeedButton", Maker<TBtnPesquisa>());
    btn.properties["Title"] =
        StringProperty<TBtnPesquisa>([](TBtnPesquisa& x, const std::string& v) { x.Title = v; });
    btn.properties["EmptyError"] = StringProperty<TBtnPesquisa>(
        [](TBtnPesquisa& x, const std::string& v) { x.EmptyError = v; });
    btn.properties["FieldNivel"] = StringProperty<TBtnPesquisa>(
        [](TBtnPesquisa& x, const std::string& v) { x.FieldNivel = v; });
    btn.properties["FieldCodigo"] = StringProperty<TBtnPesquisa>(
        [](TBtnPesquisa& x, const std::string& v) { x.FieldCodigo = v; });
    btn.properties["FieldNome"] = StringProperty<TBtnPesquisa>(
        [](TBtnPesquisa& x, const std::string& v) { x.FieldNome = v; });
    btn.properties["PesqChave"] =
        BoolProperty<TBtnPesquisa>([](TBtnPesquisa& x, bool v) { x.PesqChave = v; });
    btn.properties["DataSource"] = ReferenceProperty<TBtnPesquisa, TDataSource>(
        [](TBtnPesquisa& x, TDataSource* v) { x.DataSource = v; });
    btn.properties["Associate"] = ReferenceProperty<TBtnPesquisa, TControl>(
        [](TBtnPesquisa& x, TControl* v) { x.Associate = v; });
    btn.properties["OnBeforePesq"] = EventProperty(&TBtnPesquisa::OnBeforePesq);
    btn.properties["OnAfterPesq"] = EventProperty(&TBtnPesquisa::OnAfterPesq);
}

void RegisterHostClasses(ClassRegistry& r) {
    RegisterBtnPesquisa(r);
    r.Add("TOptionButton", "TSpeedButton", Maker<TOptionButton>());
    r.Add("TMessages", "TComponent", Maker<TMessages>()).properties["Messages.Strings"] =
        ListProperty<TMessages>([](TMessages& x, const std::vector<std::string>& v) {
            AssignLines<TMessages>(x.Messages, v);
        });
}

const ClassRegistration registration(RegisterHostClasses);

} // namespace
