// The suppliers' list with its classes in colour, and the current supplier's chart.
#include "qualification/Cli_oca0081a.h"

#include <map>

#include "core/csv.h"
#include "framework/host/module_entries.h"
#include "framework/ui/ui_driver.h"

void TfrmQualifForn::FillList() {
    const std::vector<qualif::Supplier> suppliers = qualif::Summarize(months_);
    const auto& follow = follow_;
    // An error halfway leaves the grid showing what was filled, never frozen.
    const TControlsQuiet quiet(*cdsFornecedores);
    cdsFornecedores->EmptyDataSet();
    for (const qualif::Supplier& s : suppliers) {
        cdsFornecedores->Append();
        cdsFornecedores->FieldByName("CDFORNECED").SetAsString(s.supplier);
        cdsFornecedores->FieldByName("NMRAZSOCFORN").SetAsString(s.name);
        cdsFornecedores->FieldByName("VRNOTA").SetAsFloat(s.score);
        cdsFornecedores->FieldByName("IDCLASSIF").SetAsString(s.standing);
        cdsFornecedores->FieldByName("TENDENCIA").SetAsString(qualif::TrendText(s));
        cdsFornecedores->FieldByName("MESREF").SetAsString(qualif::MonthText(s.yearMonth));
        cdsFornecedores->FieldByName("QTOCORR").SetAsInteger(s.occurrences);
        cdsFornecedores->FieldByName("QTRECEBTO").SetAsInteger(s.receipts);
        cdsFornecedores->FieldByName("DTAPURACAO").SetValue(s.computed);
        const auto found = follow.find(s.supplier);
        // Blank where the server does not follow treatments; 0 where it found none.
        const bool known = !follow.empty() || followKnown_;
        cdsFornecedores->FieldByName("QTTRATABERTOS")
            .SetValue(found != follow.end() ? found->second.first
                      : known               ? Variant(std::int64_t{0})
                                            : Variant());
        cdsFornecedores->FieldByName("QTACOESVENCIDAS")
            .SetValue(found != follow.end() ? found->second.second
                      : known               ? Variant(std::int64_t{0})
                                            : Variant());
        cdsFornecedores->Post();
    }
    cdsFornecedores->MergeChangeLog();
    cdsFornecedores->First();
}

std::map<std::string, std::pair<Variant, Variant>> TfrmQualifForn::FollowUp() {
    std::map<std::string, std::pair<Variant, Variant>> out;
    const Variant answer = netQualif->Call(
        "GetTratamentosForn", {Variant(rbtFiliLista->Checked() ? selFilial : std::string()),
                               Variant(rbtFornLista->Checked() ? selFornecedor : std::string())});
    followKnown_ = !answer.IsError() && answer.Type() == VarType::Packet;
    if (!followKnown_) {
        return out;
    }
    for (const Row& row : answer.AsPacket().rows) {
        out[row[0].AsString()] = {row[1], row[2]};
    }
    return out;
}

void TfrmQualifForn::ShowChart() {
    const std::string supplier = cdsFornecedores->RecordCount() > 0
                                     ? cdsFornecedores->FieldByName("CDFORNECED").AsString()
                                     : std::string();
    const std::string name = cdsFornecedores->RecordCount() > 0
                                 ? cdsFornecedores->FieldByName("NMRAZSOCFORN").AsString()
                                 : std::string();
    chtQualif->SetTitle(supplier.empty() ? "Nenhum fornecedor no período"
                                         : supplier + " - " + name);
    chtQualif->SetPoints(supplier.empty() ? std::vector<TChartPoint>()
                                          : qualif::ChartPoints(months_, supplier, first_, last_));
}

void TfrmQualifForn::ColorClasses() {
    dbgPadrao->OnCellColor = [](TDBGrid*, const TField& field, const std::string& text,
                                TColor& color) {
        if (field.FieldName() == "IDCLASSIF" && !text.empty()) {
            color = qualif::StandingColor(text);
        }
    };
}

void TfrmQualifForn::cdsFornecedoresAfterScroll(TDataSet*) {
    if (!cdsFornecedores->ControlsDisabled()) {
        ShowChart();
    }
}

void TfrmQualifForn::cdsFornecedoresVRNOTAGetText(TField* Sender, std::string& Text, bool) {
    Text = Sender->IsNull() ? std::string() : DecimalComma(Sender->AsFloat(), 1);
}

void TfrmQualifForn::chtQualifSelect(TObject*) {
    // The occurrences behind a month are the occurrence register's to show.
    const int index = chtQualif->Selected();
    if (index < 0 || cdsFornecedores->RecordCount() == 0) {
        return;
    }
    const int month = qualif::AddMonths(first_, index);
    OpenOccurrencesOf(cdsFornecedores->FieldByName("CDFORNECED").AsString(), month);
}

bool TfrmQualifForn::OpenOccurrencesOf(const std::string& supplier, int yearMonth) {
    // The occurrence module is another library of the host; it is asked by name, so that
    // the panel runs (without drill-down) where that module is not installed.
    const auto open = entries::Find<entries::SupplierMonth>(entries::kOpenSupplierOccurrences);
    if (!open) {
        Ui().ShowError("O módulo de Ocorrências de Atendimento não está carregado.");
        return false;
    }
    open(supplier.c_str(), yearMonth);
    return true;
}
