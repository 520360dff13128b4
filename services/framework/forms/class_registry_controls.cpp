// The visual classes form definitions may create, and their properties.
#include "framework/controls/chart.h"
#include "framework/controls/date_edit.h"
#include "framework/controls/db_controls.h"
#include "framework/controls/form.h"
#include "framework/controls/format_panel.h"
#include "framework/controls/menus.h"
#include "framework/controls/pages.h"
#include "framework/forms/class_registry.h"

namespace {

PropertySetter ColorProperty() {
    static const std::map<std::string, TColor> names = {
        {"clBlack", clBlack},   {"clBlue", clBlue},     {"clRed", clRed},
        {"clWhite", clWhite},   {"clWindow", clWindow}, {"clBtnFace", clBtnFace},
        {"clInfoBk", clInfoBk},
    };
    return [](TComponent& c, const DfmValue& v, LoadContext& ctx) {
        auto& control = dynamic_cast<TControl&>(c);
        if (v.kind == DfmValue::Integer) {
            control.SetColor(static_cast<TColor>(v.integer));
            return;
        }
        const auto it = names.find(DfmIdent(v, ctx));
        if (it == names.end()) {
            ctx.Fail(v.line, "cor desconhecida '" + v.text + "'");
        }
        control.SetColor(it->second);
    };
}

// Anchors = [akLeft, akTop, akRight]: the edges the control keeps its distance to.
PropertySetter AnchorsProperty() {
    return [](TComponent& c, const DfmValue& v, LoadContext& ctx) {
        if (v.kind != DfmValue::Set) {
            ctx.Fail(v.line, "conjunto esperado em Anchors");
        }
        static const std::map<std::string, TAnchorKind> kinds = {
            {"akLeft", akLeft}, {"akTop", akTop}, {"akRight", akRight}, {"akBottom", akBottom}};
        TAnchors anchors = 0;
        for (const std::string& item : v.items) {
            const auto it = kinds.find(item);
            if (it == kinds.end()) {
                ctx.Fail(v.line, "âncora desconhecida '" + item + "'");
            }
            anchors |= it->second;
        }
        dynamic_cast<TControl&>(c).SetAnchors(anchors);
    };
}

// Left/Top/Width/Height each set one side of the bounds.
PropertySetter BoundsProperty(int which) {
    return IntProperty<TControl>([which](TControl& c, int v) {
        int b[4] = {c.Left(), c.Top(), c.Width(), c.Height()};
        b[which] = v;
        c.SetBounds(b[0], b[1], b[2], b[3]);
    });
}

void RegisterControl(ClassRegistry& r) {
    ClassInfo& c = r.Add("TControl", "TComponent", nullptr);
    c.properties["Left"] = BoundsProperty(0);
    c.properties["Top"] = BoundsProperty(1);
    c.properties["Width"] = BoundsProperty(2);
    c.properties["Height"] = BoundsProperty(3);
    c.properties["Caption"] =
        StringProperty<TControl>([](TControl& x, const std::string& v) { x.SetCaption(v); });
    c.properties["Hint"] =
        StringProperty<TControl>([](TControl& x, const std::string& v) { x.SetHint(v); });
    c.properties["Enabled"] = BoolProperty<TControl>([](TControl& x, bool v) { x.SetEnabled(v); });
    c.properties["Visible"] = BoolProperty<TControl>([](TControl& x, bool v) { x.SetVisible(v); });
    c.properties["TabOrder"] = IntProperty<TControl>([](TControl& x, int v) { x.SetTabOrder(v); });
    c.properties["HelpContext"] =
        IntProperty<TControl>([](TControl& x, int v) { x.SetHelpContext(v); });
    c.properties["Color"] = ColorProperty();
    c.properties["OnClick"] = EventProperty(&TControl::OnClick);
    c.properties["Align"] =
        EnumProperty<TControl, TAlign>({{"alNone", alNone},
                                        {"alTop", alTop},
                                        {"alBottom", alBottom},
                                        {"alLeft", alLeft},
                                        {"alRight", alRight},
                                        {"alClient", alClient}},
                                       [](TControl& x, TAlign v) { x.SetAlign(v); });
    c.properties["Anchors"] = AnchorsProperty();

    ClassInfo& w = r.Add("TWinControl", "TControl", nullptr);
    w.properties["TabStop"] =
        BoolProperty<TWinControl>([](TWinControl& x, bool v) { x.SetTabStop(v); });
    w.properties["OnEnter"] = EventProperty(&TWinControl::OnEnter);
    w.properties["OnExit"] = EventProperty(&TWinControl::OnExit);
    w.properties["OnKeyDown"] = EventProperty(&TWinControl::OnKeyDown);
    w.properties["OnKeyPress"] = EventProperty(&TWinControl::OnKeyPress);
}

void RegisterStandard(ClassRegistry& r) {
    r.Add("TImage", "TControl", Maker<TImage>());
    ClassInfo& label = r.Add("TLabel", "TControl", Maker<TLabel>());
    label.properties["FocusControl"] = ReferenceProperty<TLabel, TWinControl>(
        [](TLabel& x, TWinControl* v) { x.SetFocusControl(v); });
    r.Add("TGroupBox", "TWinControl", Maker<TGroupBox>());
    r.Add("TPanel", "TWinControl", Maker<TPanel>());
    r.Add("TScrollBox", "TWinControl", Maker<TScrollBox>());

    ClassInfo& edit = r.Add("TCustomEdit", "TWinControl", nullptr);
    edit.properties["Text"] =
        StringProperty<TCustomEdit>([](TCustomEdit& x, const std::string& v) { x.SetText(v); });
    edit.properties["MaxLength"] =
        IntProperty<TCustomEdit>([](TCustomEdit& x, int v) { x.SetMaxLength(v); });
    edit.properties["ReadOnly"] =
        BoolProperty<TCustomEdit>([](TCustomEdit& x, bool v) { x.SetReadOnly(v); });
    edit.properties["EditMask"] =
        StringProperty<TCustomEdit>([](TCustomEdit& x, const std::string& v) { x.SetEditMask(v); });
    edit.properties["OnChange"] = EventProperty(&TCustomEdit::OnChange);
    r.Add("TEdit", "TCustomEdit", Maker<TEdit>());
    r.Add("TMaskEdit", "TCustomEdit", Maker<TMaskEdit>());

    ClassInfo& dbedit = r.Add("TDBEdit", "TCustomEdit", Maker<TDBEdit>());
    dbedit.properties["DataSource"] = ReferenceProperty<TDBEdit, TDataSource>(
        [](TDBEdit& x, TDataSource* v) { x.SetDataSource(v); });
    dbedit.properties["DataField"] =
        StringProperty<TDBEdit>([](TDBEdit& x, const std::string& v) { x.SetDataField(v); });

    ClassInfo& date = r.Add("TDateEditPlus", "TCustomEdit", Maker<TDateEditPlus>());
    date.properties["SaveTime"] =
        BoolProperty<TDateEditPlus>([](TDateEditPlus& x, bool v) { x.SetSaveTime(v); });
    date.properties["DayNames.Strings"] =
        ListProperty<TDateEditPlus>([](TDateEditPlus& x, const std::vector<std::string>& v) {
            x.DayNames.Clear();
            for (const std::string& s : v) {
                x.DayNames.Add(s);
            }
        });
    date.properties["ValidDateColor"] = [](TComponent& c, const DfmValue& v, LoadContext& ctx) {
        auto& x = dynamic_cast<TDateEditPlus&>(c);
        x.SetValidDateColor(v.kind == DfmValue::Integer    ? static_cast<TColor>(v.integer)
                            : DfmIdent(v, ctx) == "clBlue" ? clBlue
                                                           : clBlack);
    };
    ClassInfo& dbdate = r.Add("TDBDateEditPlus", "TDateEditPlus", Maker<TDBDateEditPlus>());
    dbdate.properties["DataSource"] = ReferenceProperty<TDBDateEditPlus, TDataSource>(
        [](TDBDateEditPlus& x, TDataSource* v) { x.SetDataSource(v); });
    dbdate.properties["DataField"] = StringProperty<TDBDateEditPlus>(
        [](TDBDateEditPlus& x, const std::string& v) { x.SetDataField(v); });

    r.Add("TRadioButton", "TWinControl", Maker<TRadioButton>()).properties["Checked"] =
        BoolProperty<TRadioButton>([](TRadioButton& x, bool v) { x.SetChecked(v); });
    r.Add("TCheckBox", "TWinControl", Maker<TCheckBox>()).properties["Checked"] =
        BoolProperty<TCheckBox>([](TCheckBox& x, bool v) { x.SetChecked(v); });

    ClassInfo& speed = r.Add("TSpeedButton", "TControl", Maker<TSpeedButton>());
    speed.properties["Glyph"] =
        StringProperty<TSpeedButton>([](TSpeedButton& x, const std::string& v) { x.SetGlyph(v); });
    speed.properties["Flat"] =
        BoolProperty<TSpeedButton>([](TSpeedButton& x, bool v) { x.SetFlat(v); });
}

void RegisterDataAware(ClassRegistry& r) {
    ClassInfo& text = r.Add("TDBText", "TControl", Maker<TDBText>());
    text.properties["DataSource"] = ReferenceProperty<TDBText, TDataSource>(
        [](TDBText& x, TDataSource* v) { x.SetDataSource(v); });
    text.properties["DataField"] =
        StringProperty<TDBText>([](TDBText& x, const std::string& v) { x.SetDataField(v); });

    ClassInfo& rich = r.Add("TDBRichEdit", "TWinControl", Maker<TDBRichEdit>());
    rich.properties["DataSource"] = ReferenceProperty<TDBRichEdit, TDataSource>(
        [](TDBRichEdit& x, TDataSource* v) { x.SetDataSource(v); });
    rich.properties["DataField"] = StringProperty<TDBRichEdit>(
        [](TDBRichEdit& x, const std::string& v) { x.SetDataField(v); });
    rich.properties["ReadOnly"] =
        BoolProperty<TDBRichEdit>([](TDBRichEdit& x, bool v) { x.SetReadOnly(v); });
    rich.properties["OnChange"] = EventProperty(&TDBRichEdit::OnChange);

    ClassInfo& grid = r.Add("TDBGrid", "TWinControl", Maker<TDBGrid>());
    grid.properties["DataSource"] = ReferenceProperty<TDBGrid, TDataSource>(
        [](TDBGrid& x, TDataSource* v) { x.SetDataSource(v); });
    grid.properties["ReadOnly"] = BoolProperty<TDBGrid>([](TDBGrid& x, bool v) { x.ReadOnly = v; });
    grid.properties["Columns"] = [](TComponent& c, const DfmValue& v, LoadContext& ctx) {
        if (v.kind != DfmValue::Collection) {
            ctx.Fail(v.line, "coleção de colunas esperada");
        }
        auto& x = dynamic_cast<TDBGrid&>(c);
        x.Columns.clear();
        for (const DfmItem& item : v.collection) {
            TColumn column;
            for (const DfmProperty& p : item.properties) {
                if (p.name == "FieldName") {
                    column.FieldName = DfmString(p.value, ctx);
                } else if (p.name == "Title.Caption") {
                    column.Title = DfmString(p.value, ctx);
                } else if (p.name == "Width") {
                    column.Width = DfmInt(p.value, ctx);
                } else if (p.name == "Visible") {
                    column.Visible = DfmBool(p.value, ctx);
                } else {
                    ctx.Fail(p.line, "propriedade desconhecida '" + p.name + "' em TColumn");
                }
            }
            x.Columns.push_back(column);
        }
    };
    r.Add("TDBNavigator", "TWinControl", Maker<TDBNavigator>()).properties["DataSource"] =
        ReferenceProperty<TDBNavigator, TDataSource>(
            [](TDBNavigator& x, TDataSource* v) { x.SetDataSource(v); });
}

void RegisterContainers(ClassRegistry& r) {
    ClassInfo& pages = r.Add("TPageControl", "TWinControl", Maker<TPageControl>());
    pages.properties["ActivePage"] = ReferenceProperty<TPageControl, TTabSheet>(
        [](TPageControl& x, TTabSheet* v) { x.SetActivePage(v); });
    pages.properties["OnChange"] = EventProperty(&TPageControl::OnChange);
    pages.properties["OnChanging"] = EventProperty(&TPageControl::OnChanging);
    r.Add("TTabSheet", "TWinControl", Maker<TTabSheet>());

    ClassInfo& chart = r.Add("TChart", "TWinControl", Maker<TChart>());
    chart.properties["Title"] =
        StringProperty<TChart>([](TChart& x, const std::string& v) { x.SetTitle(v); });
    chart.properties["OnSelect"] = EventProperty(&TChart::OnSelect);

    r.Add("TFormatPanel", "TPanel", Maker<TFormatPanel>()).properties["Editor"] =
        ReferenceProperty<TFormatPanel, TDBRichEdit>(
            [](TFormatPanel& x, TDBRichEdit* v) { x.SetEditor(v); });

    ClassInfo& item = r.Add("TMenuItem", "TComponent", Maker<TMenuItem>());
    item.properties["Caption"] =
        StringProperty<TMenuItem>([](TMenuItem& x, const std::string& v) { x.SetCaption(v); });
    item.properties["Hint"] =
        StringProperty<TMenuItem>([](TMenuItem& x, const std::string& v) { x.SetHint(v); });
    item.properties["ShortCut"] =
        StringProperty<TMenuItem>([](TMenuItem& x, const std::string& v) { x.SetShortCut(v); });
    item.properties["Enabled"] =
        BoolProperty<TMenuItem>([](TMenuItem& x, bool v) { x.SetEnabled(v); });
    item.properties["Visible"] =
        BoolProperty<TMenuItem>([](TMenuItem& x, bool v) { x.SetVisible(v); });
    item.properties["Checked"] =
        BoolProperty<TMenuItem>([](TMenuItem& x, bool v) { x.SetChecked(v); });
    item.properties["OnClick"] = EventProperty(&TMenuItem::OnClick);
    r.Add("TMainMenu", "TComponent", Maker<TMainMenu>());
    r.Add("TPopupMenu", "TComponent", Maker<TPopupMenu>());
}

void RegisterForm(ClassRegistry& r) {
    ClassInfo& form = r.Add("TForm", "TWinControl", Maker<TForm>());
    form.properties["FormStyle"] = EnumProperty<TForm, TFormStyle>(
        {{"fsNormal", fsNormal}, {"fsMDIChild", fsMDIChild}, {"fsMDIForm", fsMDIForm}},
        [](TForm& x, TFormStyle v) { x.SetFormStyle(v); });
    form.properties["Position"] =
        EnumProperty<TForm, TPosition>({{"poDesigned", poDesigned},
                                        {"poScreenCenter", poScreenCenter},
                                        {"poMainFormCenter", poMainFormCenter}},
                                       [](TForm& x, TPosition v) { x.SetPosition(v); });
    form.properties["HelpFile"] =
        StringProperty<TForm>([](TForm& x, const std::string& v) { x.SetHelpFile(v); });
    form.properties["ActiveControl"] = ReferenceProperty<TForm, TWinControl>(
        [](TForm& x, TWinControl* v) { x.SetActiveControl(v); });
    form.properties["Menu"] =
        ReferenceProperty<TForm, TMainMenu>([](TForm& x, TMainMenu* v) { x.SetMenu(v); });
    form.properties["OnCreate"] = EventProperty(&TForm::OnCreate);
    form.properties["OnShow"] = EventProperty(&TForm::OnShow);
    form.properties["OnHide"] = EventProperty(&TForm::OnHide);
    form.properties["OnActivate"] = EventProperty(&TForm::OnActivate);
    form.properties["OnDestroy"] = EventProperty(&TForm::OnDestroy);
    form.properties["OnClose"] = EventProperty(&TForm::OnClose);
    form.properties["OnCloseQuery"] = EventProperty(&TForm::OnCloseQuery);
}

} // namespace

void RegisterControlClasses(ClassRegistry& registry) {
    RegisterControl(registry);
    RegisterStandard(registry);
    RegisterDataAware(registry);
    RegisterContainers(registry);
    RegisterForm(registry);
}
