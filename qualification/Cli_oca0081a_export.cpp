// The list as a CSV file and the chart as a picture, where the person says.
#include "qualification/Cli_oca0081a.h"

#include "framework/ui/ui_driver.h"

#include <fstream>

std::string TfrmQualifForn::ListCsv() {
    return dbgPadrao->CsvText();
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
