// The scenario verbs a person's actions and the test's arrangements are written with:
// one member each, found by name in one table.
#include "apps/runner.h"

#include "apps/runner_names.h"

#include "appserver/server.h"
#include "database/database.h"
#include "filter/Cli_oca0080b.h"
#include "framework/controls/application.h"
#include "framework/controls/chart.h"
#include "framework/controls/db_controls.h"
#include "framework/controls/menus.h"
#include "framework/controls/pages.h"
#include "framework/host/host_context.h"
#include "package/Pkg_oca0080a.h"
#include "qualification/Cli_oca0081a.h"
#include "qualification/Pkg_oca0081a.h"
#include "register/Cli_oca0080a.h"

#include <algorithm>
#include <map>

namespace oca::script {

namespace {

std::uint16_t KeyCode(const std::string& name) {
    if (name == "F9") {
        return VK_F9;
    }
    if (name == "DELETE") {
        return VK_DELETE;
    }
    if (name == "RETURN" || name == "ENTER") {
        return VK_RETURN;
    }
    if (name == "ESCAPE") {
        return VK_ESCAPE;
    }
    return static_cast<std::uint16_t>(std::stoi(name));
}

} // namespace

struct Runner::Verb {
    void (Runner::*run)(const Command&);
    /// A person's action on the screens: run as the application's event loop runs it.
    bool onScreen;
};

void Runner::Act(const Command& cmd) {
    static const std::map<std::string, Verb, std::less<>> kVerbs = {
        {"context", {&Runner::ActContext, false}}, {"start", {&Runner::ActStart, false}},
        {"call", {&Runner::ActCall, false}},       {"save-file", {&Runner::ActSaveFile, false}},
        {"answer", {&Runner::ActAnswer, false}},   {"answer-text", {&Runner::ActAnswerText, false}},
        {"sql", {&Runner::ActSql, false}},         {"sql-on", {&Runner::ActSqlOn, false}},
        {"choose", {&Runner::ActChoose, false}},   {"choose-list", {&Runner::ActChooseList, false}},
        {"snapshot", {&Runner::Snapshot, false}},  {"click", {&Runner::ActClick, true}},
        {"pick", {&Runner::ActPick, true}},        {"focus", {&Runner::ActFocus, true}},
        {"type", {&Runner::Type, true}},           {"leave", {&Runner::ActLeave, true}},
        {"key", {&Runner::ActKey, true}},          {"page", {&Runner::ActPage, true}},
        {"close", {&Runner::ActClose, true}},      {"activate", {&Runner::ActActivate, true}},
        {"window", {&Runner::ActWindow, true}},    {"scroll", {&Runner::ActScroll, true}},
    };
    const auto found = kVerbs.find(cmd.words[0]);
    if (found == kVerbs.end()) {
        Application->Dispatch(
            [&] { Malformed(cmd, "comando desconhecido '" + cmd.words[0] + "'"); });
        return;
    }
    const Verb verb = found->second;
    if (verb.onScreen) {
        Application->Dispatch([&] { (this->*verb.run)(cmd); });
    } else {
        (this->*verb.run)(cmd);
    }
}

void Runner::ActContext(const Command& cmd) {
    for (size_t i = 1; i < cmd.words.size(); ++i) {
        const std::string& w = cmd.words[i];
        const size_t eq = w.find('=');
        const std::string key = w.substr(0, eq),
                          value = eq == std::string::npos ? "" : w.substr(eq + 1);
        if (key == "operator") {
            Host().operatorCode = value;
        } else if (key == "name") {
            Host().operatorName = value;
        } else if (key == "branch") {
            Host().branch = value;
        } else if (key == "module") {
            Host().activeModule = std::stoi(value);
        } else if (key == "per-branch") {
            Host().perBranch = value == "yes";
        } else if (key == "date") {
            // "date=dd/mm/yyyy hh:nn" comes as two words: join the time back on.
            std::string text = value;
            if (i + 1 < cmd.words.size() && cmd.words[i + 1].find('=') == std::string::npos) {
                text += " " + cmd.words[++i];
            }
            TDateTime fixed;
            if (!TryStrToDateTime(text, fixed)) {
                Malformed(cmd, "data inválida '" + text + "'");
            }
            oca::server::SetServerClock([fixed] { return fixed; });
        } else {
            Malformed(cmd, "contexto desconhecido '" + key + "'");
        }
    }
}

void Runner::ActStart(const Command&) {
    IniProc();
}

void Runner::ActCall(const Command& cmd) {
    const std::string& what = Arg(cmd, 1);
    if (what == "CriaParecerOcorrAtend") {
        CriaParecerOcorrAtend();
    } else if (what == "CriaFiltroOcorr") {
        CriaFiltroOcorr();
    } else if (what == "CriaQualifForn") {
        CriaQualifForn();
        front_ = frmQualifForn;
    } else {
        Malformed(cmd, "criador desconhecido '" + what + "'");
    }
}

// Where the next save dialog writes, or "cancel".
void Runner::ActSaveFile(const Command& cmd) {
    QueueSaveFile(Arg(cmd, 1) == "cancel" ? std::nullopt : std::optional<std::string>(Arg(cmd, 1)));
}

void Runner::ActAnswer(const Command& cmd) {
    QueueAnswer(Arg(cmd, 1) == "yes");
}

void Runner::ActAnswerText(const Command& cmd) {
    QueueInput(Arg(cmd, 1));
}

// Another user's statement, straight on the company database (it may hold semicolons, as
// a trigger's body does).
void Runner::ActSql(const Command& cmd) {
    if (!db_) {
        Malformed(cmd, "sem banco de dados");
    }
    db_->Execute(Arg(cmd, 1));
}

// Statements in one engine's own dialect (a trigger, say), run only on that engine.
void Runner::ActSqlOn(const Command& cmd) {
    if (!db_) {
        Malformed(cmd, "sem banco de dados");
    }
    const std::string& engine = Arg(cmd, 1);
    if (engine != "sqlite" && engine != "postgresql") {
        Malformed(cmd, "banco desconhecido '" + engine + "' (sqlite ou postgresql)");
    }
    if ((engine == "postgresql") == (db_->product() == oca::db::Product::PostgreSQL)) {
        db_->ExecuteScript(Arg(cmd, 2));
    }
}

void Runner::ActChoose(const Command& cmd) {
    const std::string& what = Arg(cmd, 1);
    const size_t eq = what.find('=');
    if (what == "cancel" || eq == std::string::npos) {
        QueueCancel();
    } else {
        QueueChoice(what.substr(0, eq), Variant(what.substr(eq + 1)));
    }
}

void Runner::ActChooseList(const Command& cmd) {
    QueueMarks(std::vector<std::string>(cmd.words.begin() + 1, cmd.words.end()));
}

void Runner::ActClick(const Command& cmd) {
    TComponent* c = Find(cmd, Arg(cmd, 1));
    if (auto* item = dynamic_cast<TMenuItem*>(c)) {
        if (!item->UserClick()) {
            Refuse(cmd, "não está habilitado");
        }
    } else if (auto* control = dynamic_cast<TControl*>(c); control && !control->UserClick()) {
        Refuse(cmd, "não está habilitado");
    }
}

// A step of a chart (a month), as a person clicks it.
void Runner::ActPick(const Command& cmd) {
    if (!FindAs<TChart>(cmd, Arg(cmd, 1)).UserSelect(std::stoi(Arg(cmd, 2)))) {
        Refuse(cmd, "não pode ser escolhido");
    }
}

void Runner::ActFocus(const Command& cmd) {
    if (!FindAs<TWinControl>(cmd, Arg(cmd, 1)).UserFocus()) {
        Refuse(cmd, "não pode receber o foco");
    }
}

// A person typing the whole text into a control: the focus moves there (its exits run),
// an edit not bound to a field hears the first key press (which may start editing, as
// the hour box does), then the text replaces what was there.
void Runner::Type(const Command& cmd) {
    auto& edit = FindAs<TWinControl>(cmd, Arg(cmd, 1));
    if (!edit.UserFocus()) {
        Refuse(cmd, "não pode receber o foco");
        return;
    }
    const std::string& text = Arg(cmd, 2);
    bool typed = false;
    if (auto* db = dynamic_cast<TDBEdit*>(&edit)) {
        typed = db->UserType(text);
    } else if (auto* e = dynamic_cast<TCustomEdit*>(&edit)) {
        if (e->ReadOnly()) {
            typed = false;
        } else if (!text.empty() && edit.UserKeyPressLeft(text[0]) == 0) {
            typed = true; // the key was taken by a handler
        } else {
            typed = e->UserType(text);
        }
    } else if (auto* r = dynamic_cast<TDBRichEdit*>(&edit)) {
        typed = r->UserType(text);
    }
    if (!typed) {
        Refuse(cmd, "não aceita o texto (somente leitura)");
    }
}

void Runner::ActLeave(const Command&) {
    if (TForm* form = Forms().empty() ? nullptr : Forms().front()) {
        form->SelectNext();
    }
}

void Runner::ActKey(const Command& cmd) {
    FindAs<TWinControl>(cmd, Arg(cmd, 1)).UserKeyDown(KeyCode(Arg(cmd, 2)));
}

void Runner::ActPage(const Command& cmd) {
    auto& page = FindAs<TTabSheet>(cmd, Arg(cmd, 1));
    page.PageControl()->UserSelectPage(&page);
}

void Runner::ActClose(const Command& cmd) {
    FindAs<TForm>(cmd, Arg(cmd, 1)).Close();
}

void Runner::ActActivate(const Command& cmd) {
    front_ = &FindAs<TForm>(cmd, Arg(cmd, 1));
    front_->Show();
}

// A person minimising, maximising or restoring a window.
void Runner::ActWindow(const Command& cmd) {
    const auto* end = std::end(kWindowStates);
    const auto* it = std::find(std::begin(kWindowStates), end, Arg(cmd, 2));
    if (it == end) {
        Malformed(cmd, "estado de janela desconhecido '" + Arg(cmd, 2) + "'");
    }
    FindAs<TForm>(cmd, Arg(cmd, 1))
        .SetWindowState(static_cast<TWindowState>(it - std::begin(kWindowStates)));
}

void Runner::ActScroll(const Command& cmd) {
    TDataSet& ds = *frmParecerOcorrAtend->cdsMovOcorr;
    const std::string& how = Arg(cmd, 1);
    if (how == "first") {
        ds.First();
    } else if (how == "next") {
        ds.Next();
    } else if (how == "prior") {
        ds.Prior();
    } else if (how == "last") {
        ds.Last();
    } else if (const size_t eq = how.find('='); eq != std::string::npos) {
        ds.Locate(how.substr(0, eq), Variant(how.substr(eq + 1)));
    }
}

} // namespace oca::script
