#include "framework/script/scripted_ui_driver.h"

#include "framework/controls/form.h"
#include "framework/data/datasource.h"

namespace {

const char* ResultName(TModalResult r) {
    switch (r) {
    case mrOk:
        return "Ok";
    case mrCancel:
        return "Cancelar";
    case mrYes:
        return "Sim";
    case mrNo:
        return "Não";
    case mrAbort:
        return "Abortar";
    default:
        return "nenhum";
    }
}

std::string Join(const std::vector<std::string>& keys) {
    std::string out;
    for (const std::string& k : keys) {
        out += (out.empty() ? "" : ",") + k;
    }
    return out;
}

bool HasRows(TDataSource& source) {
    const TDataSet* ds = source.DataSet();
    return ds && ds->Active() && !ds->IsEmpty();
}

} // namespace

void ScriptedUiDriver::Note(std::string line) {
    journal_.push_back(line);
    if (OnJournal) {
        OnJournal(journal_.back());
    }
}

std::vector<std::string> ScriptedUiDriver::TakeJournal() {
    std::vector<std::string> out(journal_.begin() + static_cast<std::ptrdiff_t>(taken_),
                                 journal_.end());
    taken_ = journal_.size();
    return out;
}

void ScriptedUiDriver::ShowError(const std::string& text) {
    Note("error: " + text);
}

void ScriptedUiDriver::ShowWarning(const std::string& text) {
    Note("warning: " + text);
}

bool ScriptedUiDriver::Confirm(const std::string& text) {
    bool yes = false;
    if (!answers_.empty()) {
        yes = answers_.front();
        answers_.pop_front();
    }
    Note("confirm: " + text + " -> " + (yes ? "Sim" : "Não"));
    return yes;
}

bool ScriptedUiDriver::Pesquisar(TDataSource& source, const std::string& title,
                                 const std::string& emptyText) {
    if (!HasRows(source)) {
        Note("pesquisa: " + title + " -> vazia: " + emptyText);
        return false;
    }
    if (choices_.empty() || choices_.front().field.empty()) {
        if (!choices_.empty()) {
            choices_.pop_front();
        }
        Note("pesquisa: " + title + " -> cancelada");
        return false;
    }
    const Choice choice = choices_.front();
    choices_.pop_front();
    const std::string what = choice.field + "=" + choice.value.AsString();
    if (!source.DataSet()->Locate(choice.field, choice.value)) {
        Note("pesquisa: " + title + " -> não encontrado: " + what);
        return false;
    }
    Note("pesquisa: " + title + " -> " + what);
    return true;
}

bool ScriptedUiDriver::PesquisaLista(TDataSource& source, const std::string&,
                                     const std::string& title, const std::string& emptyText,
                                     std::vector<std::string>& keys) {
    if (!HasRows(source)) {
        Note("lista: " + title + " -> vazia: " + emptyText);
        return false;
    }
    if (marks_.empty() || !marks_.front()) {
        if (!marks_.empty()) {
            marks_.pop_front();
        }
        Note("lista: " + title + " -> cancelada");
        return false;
    }
    keys = *marks_.front();
    marks_.pop_front();
    Note("lista: " + title + " -> " + Join(keys));
    return true;
}

TModalResult ScriptedUiDriver::ShowModal(TForm& form) {
    Note("modal: " + form.Name());
    if (modals_.empty()) {
        return mrCancel;
    }
    const auto body = std::move(modals_.front());
    modals_.pop_front();
    const TModalResult result = body(form);
    Note("modal: " + form.Name() + " -> " +
         ResultName(form.ModalResult() != mrNone ? form.ModalResult() : result));
    return result;
}

void ScriptedUiDriver::ShowForm(TForm& form) {
    Note("show: " + form.Name());
}

void ScriptedUiDriver::ShowProgress(TComponent* owner, int animation, const std::string& text) {
    progress_ = true;
    Note("progress: " + (owner ? owner->Name() : std::string("principal")) + " " +
         std::to_string(animation) + " " + text);
}

bool ScriptedUiDriver::ProgressGoesOn(const std::string& text) {
    if (!stopLoad_) {
        return true;
    }
    stopLoad_ = false;
    Note("progress: interrompido em " + text);
    return false;
}

void ScriptedUiDriver::HideProgress() {
    progress_ = false;
    Note("progress: hide");
}

void ScriptedUiDriver::SetCursor(TCursor cursor) {
    cursor_ = cursor;
    Note(std::string("cursor: ") + (cursor == crHourGlass ? "hourglass"
                                    : cursor == crSQLWait ? "sqlwait"
                                                          : "default"));
}

bool ScriptedUiDriver::InputQuery(const std::string&, const std::string& prompt,
                                  std::string& value) {
    if (inputs_.empty() || !inputs_.front()) {
        if (!inputs_.empty()) {
            inputs_.pop_front();
        }
        Note("input: " + prompt + " -> cancelada");
        return false;
    }
    value = *inputs_.front();
    inputs_.pop_front();
    Note("input: " + prompt + " -> " + value);
    return true;
}

void ScriptedUiDriver::ShowHelp(const std::string& helpFile, int context) {
    Note("help: " + helpFile + " " + std::to_string(context));
}

std::optional<std::string> ScriptedUiDriver::AskSaveFile(const std::string& title,
                                                         const std::string&, const std::string&) {
    std::optional<std::string> path;
    if (!saves_.empty()) {
        path = saves_.front();
        saves_.pop_front();
    }
    Note("save: " + title + " -> " + (path ? *path : "cancelada"));
    return path;
}

std::vector<std::string> ScriptedUiDriver::AskOpenFiles(const std::string& title,
                                                        const std::string&) {
    std::vector<std::string> paths;
    if (!opens_.empty()) {
        paths = std::move(opens_.front());
        opens_.pop_front();
    }
    std::string names;
    for (const std::string& p : paths) {
        names += (names.empty() ? "" : ", ") + p;
    }
    Note("open: " + title + " -> " + (paths.empty() ? std::string("cancelada") : names));
    return paths;
}

bool ScriptedUiDriver::OpenDocument(const std::string& path) {
    Note("document: " + path);
    return true;
}

std::string ScriptedUiDriver::WritePdf(const ReportDocument& report, const std::string& path) {
    const std::string failure = PdfWriter ? PdfWriter(report, path) : "";
    Note("pdf: " + report.title + " -> " + path + (failure.empty() ? "" : " (" + failure + ")"));
    return failure;
}

bool ScriptedUiDriver::SaveImage(TControl& control, const std::string& path) {
    const bool drawn = ImageWriter && ImageWriter(control, path);
    Note("image: " + control.Name() + " -> " + (drawn ? path : "sem desenho"));
    return drawn;
}
