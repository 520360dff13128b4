#pragma once

#include "core/variant.h"
#include "framework/ui/ui_driver.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

/// A driver for tests and scenarios. Questions take their answers from a queue (No when
/// the queue is empty), search windows their choices (cancel when empty), modal forms
/// their bodies (closed with mrCancel when empty). Everything shown is journaled in
/// order, one line each, in the forms the scenario runner prints:
///   error: TEXT
///   confirm: TEXT -> Sim|Não
///   pesquisa: TITLE -> FIELD=VALUE | cancelada | vazia: EMPTY-TEXT | não encontrado: ...
///   lista: TITLE -> K1,K2 | cancelada | vazia: EMPTY-TEXT
///   modal: FORM-NAME -> RESULT
///   show: FORM-NAME
///   progress: OWNER-NAME ANIMATION TEXT      /  progress: hide
///   cursor: hourglass|sqlwait|default
///   input: PROMPT -> TEXT | cancelada
///   help: FILE CONTEXT
///   save: TITLE -> PATH | cancelada
///   image: CONTROL-NAME -> PATH | sem desenho
class ScriptedUiDriver : public UiDriver {
public:
    struct Choice {
        std::string field; ///< empty: cancel
        Variant value;
    };

    void QueueAnswer(bool yes) { answers_.push_back(yes); }
    /// Choose the row whose `field` equals `value` in the next search window.
    void QueueChoice(std::string field, Variant value) {
        choices_.push_back({std::move(field), std::move(value)});
    }
    void QueueCancel() { choices_.push_back({}); }
    /// Marks for the next multi-choice window; nullopt cancels it.
    void QueueMarks(std::optional<std::vector<std::string>> keys) {
        marks_.push_back(std::move(keys));
    }
    /// The text typed into the next input prompt; nullopt cancels it.
    void QueueInput(std::optional<std::string> text) { inputs_.push_back(std::move(text)); }
    /// The path chosen in the next save-file dialog; nullopt cancels it.
    void QueueSaveFile(std::optional<std::string> path) { saves_.push_back(std::move(path)); }
    /// The files the next open dialog picks (none: cancelled).
    void QueueOpenFiles(std::vector<std::string> paths) { opens_.push_back(std::move(paths)); }
    /// Writes a report's PDF where a test wants one (the Qt writer); without it, only noted.
    std::function<std::string(const ReportDocument&, const std::string&)> PdfWriter;
    /// How a picture of a control is drawn (a renderer sets it; without one, none is).
    std::function<bool(TControl&, const std::string&)> ImageWriter;
    /// What the next modal form does while shown (type, click, close...).
    void QueueModal(std::function<TModalResult(TForm&)> body) {
        modals_.push_back(std::move(body));
    }

    const std::vector<std::string>& Journal() const { return journal_; }
    /// The journal lines since the last call, for step-by-step assertions.
    std::vector<std::string> TakeJournal();
    /// Runs for every line as it is journaled (the scenario runner prints them).
    std::function<void(const std::string&)> OnJournal;
    TCursor Cursor() const { return cursor_; }
    /// The last status line shown (not journaled: it follows every load and deletion).
    const std::string& Status() const { return status_; }
    void ShowStatus(const std::string& text) override { status_ = text; }
    /// The person stops the next long call that reports its progress.
    void QueueStopLoad() { stopLoad_ = true; }
    bool ProgressGoesOn(const std::string& text) override;

    void ShowError(const std::string& text) override;
    void ShowWarning(const std::string& text) override;
    bool Confirm(const std::string& text) override;
    bool Pesquisar(TDataSource& source, const std::string& title,
                   const std::string& emptyText) override;
    bool PesquisaLista(TDataSource& source, const std::string& keyField, const std::string& title,
                       const std::string& emptyText, std::vector<std::string>& keys) override;
    TModalResult ShowModal(TForm& form) override;
    void ShowForm(TForm& form) override;
    void ShowProgress(TComponent* owner, int animation, const std::string& text) override;
    void HideProgress() override;
    void SetCursor(TCursor cursor) override;
    bool InputQuery(const std::string& caption, const std::string& prompt,
                    std::string& value) override;
    void ShowHelp(const std::string& helpFile, int context) override;
    std::optional<std::string> AskSaveFile(const std::string& title, const std::string& suggested,
                                           const std::string& filter) override;
    bool SaveImage(TControl& control, const std::string& path) override;
    std::vector<std::string> AskOpenFiles(const std::string& title,
                                          const std::string& filter) override;
    bool OpenDocument(const std::string& path) override;
    std::string WritePdf(const ReportDocument& report, const std::string& path) override;

protected:
    /// Adds a line to the journal (and, in a runner, prints it).
    void Note(std::string line);

private:
    std::string status_;
    std::deque<bool> answers_;
    std::deque<Choice> choices_;
    std::deque<std::optional<std::vector<std::string>>> marks_;
    std::deque<std::function<TModalResult(TForm&)>> modals_;
    std::deque<std::optional<std::string>> inputs_;
    std::deque<std::optional<std::string>> saves_;
    std::deque<std::vector<std::string>> opens_;
    std::vector<std::string> journal_;
    size_t taken_ = 0;
    TCursor cursor_ = crDefault;
    bool progress_ = false;
    bool stopLoad_ = false;
};
