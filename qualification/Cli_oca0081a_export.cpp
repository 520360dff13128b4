// The list as a CSV file and the chart as a picture, where the person says.
#include "qualification/Cli_oca0081a.h"

#include "framework/host/host_dialogs.h"
#include "framework/ui/ui_driver.h"

void TfrmQualifForn::mnuExportarListaClick(TObject*) {
    ExportGridAsCsv(*dbgPadrao, "qualificacao_fornecedores.csv");
}

void TfrmQualifForn::mnuExportarGraficoClick(TObject*) {
    const std::optional<std::string> path =
        Ui().AskSaveFile("Exportar gráfico", "qualificacao_grafico.png", "Imagem PNG (*.png)");
    if (!path) {
        return;
    }
    if (!Ui().SaveImage(*chtQualif, *path)) {
        Ui().ShowError("Não foi possível gravar o gráfico em " + *path + ".");
        return;
    }
    Ui().ShowStatus("Gráfico exportado para " + *path + ".");
}
