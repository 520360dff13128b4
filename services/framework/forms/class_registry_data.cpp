// The data classes form definitions may create, and their properties.
#include "framework/data/client_dataset.h"
#include "framework/data/datasource.h"
#include "framework/data/provider.h"
#include "framework/data/query.h"
#include "framework/forms/class_registry.h"

namespace {

void RegisterSources(ClassRegistry& r) {
    ClassInfo& src = r.Add("TDataSource", "TComponent", Maker<TDataSource>());
    src.properties["DataSet"] = ReferenceProperty<TDataSource, TDataSet>(
        [](TDataSource& x, TDataSet* v) { x.SetDataSet(v); });
    src.properties["Enabled"] =
        BoolProperty<TDataSource>([](TDataSource& x, bool v) { x.SetEnabled(v); });
    src.properties["OnStateChange"] = EventProperty(&TDataSource::OnStateChange);
    src.properties["OnDataChange"] = EventProperty(&TDataSource::OnDataChange);
    src.properties["OnUpdateData"] = EventProperty(&TDataSource::OnUpdateData);

    r.Add("TDataSetProvider", "TComponent", Maker<TDataSetProvider>()).properties["DataSet"] =
        ReferenceProperty<TDataSetProvider, TDataSet>(
            [](TDataSetProvider& x, TDataSet* v) { x.SetDataSet(v); });
}

void RegisterDataSets(ClassRegistry& r) {
    ClassInfo& ds = r.Add("TDataSet", "TComponent", nullptr);
    ds.properties["Filter"] =
        StringProperty<TDataSet>([](TDataSet& x, const std::string& v) { x.SetFilter(v); });
    ds.properties["Filtered"] =
        BoolProperty<TDataSet>([](TDataSet& x, bool v) { x.SetFiltered(v); });
    for (const auto& [name, member] :
         std::initializer_list<std::pair<const char*, TDataSetNotifyEvent TDataSet::*>>{
             {"BeforeOpen", &TDataSet::BeforeOpen},
             {"AfterOpen", &TDataSet::AfterOpen},
             {"BeforeClose", &TDataSet::BeforeClose},
             {"AfterClose", &TDataSet::AfterClose},
             {"BeforeInsert", &TDataSet::BeforeInsert},
             {"AfterInsert", &TDataSet::AfterInsert},
             {"BeforeEdit", &TDataSet::BeforeEdit},
             {"AfterEdit", &TDataSet::AfterEdit},
             {"BeforePost", &TDataSet::BeforePost},
             {"AfterPost", &TDataSet::AfterPost},
             {"BeforeCancel", &TDataSet::BeforeCancel},
             {"AfterCancel", &TDataSet::AfterCancel},
             {"BeforeDelete", &TDataSet::BeforeDelete},
             {"AfterDelete", &TDataSet::AfterDelete},
             {"BeforeScroll", &TDataSet::BeforeScroll},
             {"AfterScroll", &TDataSet::AfterScroll},
             {"OnNewRecord", &TDataSet::OnNewRecord},
             {"OnCalcFields", &TDataSet::OnCalcFields}}) {
        ds.properties[name] = EventProperty(member);
    }

    r.Add("TClientDataSet", "TDataSet", Maker<TClientDataSet>()).properties["ProviderName"] =
        StringProperty<TClientDataSet>(
            [](TClientDataSet& x, const std::string& v) { x.SetProviderName(v); });

    ClassInfo& q = r.Add("TADOIBQuery", "TDataSet", Maker<TADOIBQuery>());
    q.properties["SQL.Strings"] =
        ListProperty<TADOIBQuery>([](TADOIBQuery& x, const std::vector<std::string>& v) {
            AssignLines<TADOIBQuery>(x.SQL, v);
        });
    q.properties["SQL_ORACLE.Strings"] =
        ListProperty<TADOIBQuery>([](TADOIBQuery& x, const std::vector<std::string>& v) {
            AssignLines<TADOIBQuery>(x.SQL_ORACLE, v);
        });
    q.properties["SQL_MSSQL.Strings"] =
        ListProperty<TADOIBQuery>([](TADOIBQuery& x, const std::vector<std::string>& v) {
            AssignLines<TADOIBQuery>(x.SQL_MSSQL, v);
        });
    q.properties["SQL_IB.Strings"] =
        ListProperty<TADOIBQuery>([](TADOIBQuery& x, const std::vector<std::string>& v) {
            AssignLines<TADOIBQuery>(x.SQL_IB, v);
        });
    q.properties["ParamCheck"] =
        BoolProperty<TADOIBQuery>([](TADOIBQuery& x, bool v) { x.ParamCheck = v; });
    q.properties["Params"] = [](TComponent& c, const DfmValue& v, LoadContext& ctx) {
        if (v.kind != DfmValue::Collection) {
            ctx.Fail(v.line, "coleção de parâmetros esperada");
        }
        auto& x = dynamic_cast<TADOIBQuery&>(c);
        for (const DfmItem& item : v.collection) {
            std::string name;
            FieldType type = FieldType::String;
            for (const DfmProperty& p : item.properties) {
                if (p.name == "Name") {
                    name = DfmString(p.value, ctx);
                } else if (p.name == "DataType") {
                    const std::string& t = DfmIdent(p.value, ctx);
                    if (t == "ftDateTime") {
                        type = FieldType::DateTime;
                    } else if (t != "ftString") {
                        ctx.Fail(p.line, "tipo de parâmetro desconhecido '" + t + "'");
                    }
                } else {
                    ctx.Fail(p.line, "propriedade desconhecida '" + p.name + "' em TParam");
                }
            }
            if (name.empty()) {
                ctx.Fail(item.line, "parâmetro sem Name");
            }
            x.Params().CreateParam(type, name).SetDataType(type);
        }
    };
}

void RegisterFields(ClassRegistry& r) {
    ClassInfo& f = r.Add("TField", "TComponent", nullptr);
    f.properties["FieldName"] =
        StringProperty<TField>([](TField& x, const std::string& v) { x.SetFieldName(v); });
    f.properties["Size"] = IntProperty<TField>([](TField& x, int v) { x.SetSize(v); });
    f.properties["DisplayLabel"] =
        StringProperty<TField>([](TField& x, const std::string& v) { x.SetDisplayLabel(v); });
    f.properties["DisplayWidth"] =
        IntProperty<TField>([](TField& x, int v) { x.SetDisplayWidth(v); });
    f.properties["Visible"] = BoolProperty<TField>([](TField& x, bool v) { x.SetVisible(v); });
    f.properties["EditMask"] =
        StringProperty<TField>([](TField& x, const std::string& v) { x.SetEditMask(v); });
    f.properties["Required"] = BoolProperty<TField>([](TField& x, bool v) { x.SetRequired(v); });
    f.properties["ReadOnly"] = BoolProperty<TField>([](TField& x, bool v) { x.SetReadOnly(v); });
    f.properties["FieldKind"] =
        EnumProperty<TField, TFieldKind>({{"fkData", fkData}, {"fkCalculated", fkCalculated}},
                                         [](TField& x, TFieldKind v) { x.SetFieldKind(v); });
    f.properties["ProviderFlags"] = [](TComponent& c, const DfmValue& v, LoadContext& ctx) {
        if (v.kind != DfmValue::Set) {
            ctx.Fail(v.line, "conjunto de indicadores esperado");
        }
        static const std::map<std::string, TProviderFlag> names = {{"pfInUpdate", pfInUpdate},
                                                                   {"pfInWhere", pfInWhere},
                                                                   {"pfInKey", pfInKey},
                                                                   {"pfHidden", pfHidden}};
        TProviderFlags flags = 0;
        for (const std::string& item : v.items) {
            const auto it = names.find(item);
            if (it == names.end()) {
                ctx.Fail(v.line, "indicador desconhecido '" + item + "'");
            }
            flags |= it->second;
        }
        dynamic_cast<TField&>(c).SetProviderFlags(flags);
    };
    f.properties["OnChange"] = EventProperty(&TField::OnChange);
    f.properties["OnValidate"] = EventProperty(&TField::OnValidate);
    f.properties["OnGetText"] = EventProperty(&TField::OnGetText);
    f.properties["OnSetText"] = EventProperty(&TField::OnSetText);

    r.Add("TStringField", "TField", [] { return std::make_unique<TStringField>(nullptr); });
    r.Add("TFixedStringField", "TStringField",
          [] { return std::make_unique<TStringField>(nullptr, 20, true); });
    r.Add("TDateTimeField", "TField", [] { return std::make_unique<TDateTimeField>(nullptr); });
    r.Add("TMemoField", "TField", [] { return std::make_unique<TMemoField>(nullptr); });
    r.Add("TBlobField", "TField", [] { return std::make_unique<TBlobField>(nullptr); });
    r.Add("TIntegerField", "TField", [] { return std::make_unique<TIntegerField>(nullptr); });
    r.Add("TFloatField", "TField", [] { return std::make_unique<TFloatField>(nullptr); });
    r.Add("TBooleanField", "TField", [] { return std::make_unique<TBooleanField>(nullptr); });
}

} // namespace

void RegisterDataClasses(ClassRegistry& registry) {
    RegisterSources(registry);
    RegisterDataSets(registry);
    RegisterFields(registry);
}
