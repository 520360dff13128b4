#pragma once

#include "framework/controls/db_controls.h"
#include "framework/controls/form.h"
#include "framework/controls/std_controls.h"
#include "framework/data/client_dataset.h"
#include "framework/forms/form_loader.h"
#include "framework/net/net_connection.h"

#include <string>
#include <vector>

/// The files attached to one occurrence ("OCA00821"): listed with size, who and when, the
/// current one's thumbnail beside the list; files are added from a dialog or dropped on
/// the window, opened in the system's viewer through a copy, saved elsewhere, or removed
/// (asked first). The server keeps the rules, as for the texts.
class TfrmAnexos : public TForm {
public:
    explicit TfrmAnexos(TComponent* Owner = nullptr);
    static const PublishedTable& Published();

    void netAnexosBeforeConnect(TObject* Sender);
    void cdsAnexosAfterScroll(TDataSet* DataSet);
    void sbtAdicionarClick(TObject* Sender);
    void sbtAbrirClick(TObject* Sender);
    void sbtSalvarComoClick(TObject* Sender);
    void sbtRemoverClick(TObject* Sender);
    void sbtFecharClick(TObject* Sender);

    /// Shows the files of occurrence (branch, number).
    void ShowOccurrence(const std::string& branch, const std::string& number);
    /// Reads the list again from the server.
    void Load();
    /// Sends each file, one after the other; a refused one is said and the rest still go.
    /// Gives how many were stored.
    int AddFiles(const std::vector<std::string>& paths);
    /// The current file received into `path`; false, with the reason shown, when not.
    bool Receive(const std::string& path);

    TSpeedButton *sbtAdicionar = nullptr, *sbtAbrir = nullptr, *sbtSalvarComo = nullptr,
                 *sbtRemover = nullptr, *sbtFechar = nullptr;
    TDBGrid* dbgAnexos = nullptr;
    TImage* imgMiniatura = nullptr;
    TLabel* lblResumo = nullptr;
    TNetConnection* netAnexos = nullptr;
    TClientDataSet* cdsAnexos = nullptr;
    TDataSource* dtsAnexos = nullptr;

private:
    bool HasCurrent();
    std::string branch_, number_;
};

/// Operação → Relatório da ocorrência...: asks where, writes the occurrence's report as PDF
/// there (the server builds it from what is stored) and opens it in the system's viewer.
/// False when cancelled or refused (the reason shown).
bool WriteOccurrenceReport(TNetConnection& net, const std::string& branch,
                           const std::string& number);
