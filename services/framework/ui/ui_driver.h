#pragma once

#include "core/report_document.h"

#include <optional>
#include <string>
#include <vector>

class TComponent;
class TControl;
class TDataSource;
class TForm;

enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrYes = 6, mrNo = 7 };

enum TCursor { crDefault = 0, crHourGlass = -11, crSQLWait = -17 };

/// The one door between behaviour and people. Screens never talk to a toolkit or to a
/// terminal: they ask the current driver. The desktop drives real dialogs; tests and
/// scenarios drive a scripted one that answers from a queue and keeps a journal.
class UiDriver {
public:
    virtual ~UiDriver() = default;

    /// An error dialog with an OK button.
    virtual void ShowError(const std::string& text) = 0;
    /// A warning dialog with an OK button: what the person asked for was done, but
    /// something after it was not.
    virtual void ShowWarning(const std::string& text) = 0;
    /// A question with Yes and No; true for Yes.
    virtual bool Confirm(const std::string& text) = 0;
    /// Single-choice search window over the visible fields of the source's data set.
    /// On a choice the data set stands on the chosen row and the result is true. An
    /// empty data set shows `emptyText` instead of a window and gives false.
    virtual bool Pesquisar(TDataSource& source, const std::string& title,
                           const std::string& emptyText) = 0;
    /// Multi-choice search: rows are marked by the value of `keyField`; `keys` comes in
    /// with the earlier marks and goes out with the new ones. False when cancelled (the
    /// keys are then left alone) or when the list is empty (after showing `emptyText`).
    virtual bool PesquisaLista(TDataSource& source, const std::string& keyField,
                               const std::string& title, const std::string& emptyText,
                               std::vector<std::string>& keys) = 0;
    /// Shows a form modally; returns when it is closed, with its modal result.
    virtual TModalResult ShowModal(TForm& form) = 0;
    /// Shows a form without blocking (a document window of the main window).
    virtual void ShowForm(TForm& form) = 0;
    /// Notice "please wait" over `owner` (the main window when null); it must appear
    /// before the long call that follows returns.
    virtual void ShowProgress(TComponent* owner, int animation, const std::string& text) = 0;
    virtual void HideProgress() = 0;
    /// While a long call receives its answer: says how far it got, and gives the person
    /// the chance to stop it. False once they asked to.
    virtual bool ProgressGoesOn(const std::string& /*text*/) { return true; }
    virtual void SetCursor(TCursor cursor) = 0;
    /// Asks for a line of text; `value` comes in as the default. False when cancelled.
    virtual bool InputQuery(const std::string& caption, const std::string& prompt,
                            std::string& value) = 0;
    /// Opens the help file at a topic.
    virtual void ShowHelp(const std::string& helpFile, int context) = 0;
    /// A line of state in the desktop's status bar (how many occurrences are loaded).
    virtual void ShowStatus(const std::string& /*text*/) {}
    /// Asks where to save a file, offering `suggested`; nullopt when cancelled.
    virtual std::optional<std::string> AskSaveFile(const std::string& title,
                                                   const std::string& suggested,
                                                   const std::string& filter) = 0;
    /// Writes a PNG picture of `control` as it is drawn; false when it cannot.
    virtual bool SaveImage(TControl& control, const std::string& path) = 0;
    /// Asks for files to open; none when cancelled.
    virtual std::vector<std::string> AskOpenFiles(const std::string& /*title*/,
                                                  const std::string& /*filter*/) {
        return {};
    }
    /// Opens a file in the system's own viewer for its kind; false when none took it.
    virtual bool OpenDocument(const std::string& /*path*/) { return false; }
    /// Writes a report as a PDF at `path`; "" or the reason it could not.
    virtual std::string WritePdf(const ReportDocument& /*report*/, const std::string& /*path*/) {
        return "Este ambiente não grava PDF.";
    }
    /// A small PNG picture of an image file, for lists; nullopt for other files.
    virtual std::optional<std::string> MakeThumbnail(const std::string& /*path*/) {
        return std::nullopt;
    }
};

/// The driver in use. Without one set, a scripted driver with no answers is used, so
/// that headless code never crashes on a missing display.
UiDriver& Ui();
/// Sets the driver in use (not owned); null restores the default.
void SetUi(UiDriver* driver);
