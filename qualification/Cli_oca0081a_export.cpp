// The list as a CSV file and the chart as a picture, where the person says.
#include "qualification/Cli_oca0081a.h"

#include "core/csv.h"
#include "framework/ui/ui_driver.h"

#include <fstream>

std::string TfrmQualifForn::ListCsv() {
    std::string text(kCsvBom);
    std::vector<std::string> titles;
    for (size_t i = 0; i < dbgPadrao->Columns.size(); ++i) {
        titles.push_back(dbgPadrao->ColumnTitle(i));
    }
    text += CsvLine(titles);
    for (int row = 1; row <= static_cast<int>(cdsFornecedores->RecordCount()); ++row) {
        std::vector<std::string> cells;
        for (const TColumn& column : dbgPadrao->Columns) {
            const TField& field = cdsFornecedores->FieldByName(column.FieldName);
            cells.push_back(cdsFornecedores->DisplayTextAt(row, field));
        }
        text += CsvLine(cells);
    }
    return text;
}

void TfrmQualifForn::mnuExportarListaClick(TObject*) {
    const std::optional<std::string> path =
        Ui().AskSaveFile("Exportar lista", "qualificacao_fornecedores.csv", "Planilha CSV (*.csv)");
    if (!path) {
        return;
    }
    std::ofstream out(*path, std::ios::binary | std::ios::trunc);
    out << ListCsv();
    if (!out.flush()) {
        Ui().ShowError("Não foi possível gravar " + *path + ".");
    }
}

void TfrmQualifForn::mnuExportarGraficoClick(TObject*) {
    const std::optional<std::string> path =
        Ui().AskSaveFile("Exportar gráfico", "qualificacao_grafico.png", "Imagem PNG (*.png)");
    if (!path) {
        return;
    }
    if (!Ui().SaveImage(*chtQualif, *path)) {
        Ui().ShowError("Não foi possível gravar o gráfico em " + *path + ".");
    }
}
