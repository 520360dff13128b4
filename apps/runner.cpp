#include "apps/runner.h"

#include "appserver/server.h"
#include "database/database.h"
#include "filter/Cli_oca0080b.h"
#include "framework/controls/application.h"
#include "framework/controls/date_edit.h"
#include "framework/controls/db_controls.h"
#include "framework/controls/menus.h"
#include "framework/controls/pages.h"
#include "framework/host/host_context.h"
#include "framework/net/net_connection.h"
#include "package/Pkg_oca0080a.h"
#include "qt/snapshot.h"
#include "register/Cli_oca0080a.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <stdexcept>

namespace oca::script {

namespace {

std::string StateName(TDataSetState s) {
    switch (s) {
    case dsBrowse:
        return "browse";
    case dsEdit:
        return "edit";
    case dsInsert:
        return "insert";
    default:
        return "inactive";
    }
}

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

const char* const kWindowStates[] = {"normal", "minimized", "maximized"};

} // namespace

Runner::Runner() {
    OnJournal = [](const std::string& line) {
        std::cout << line << std::endl;
    };
    TNetConnection::CallObserver = [this](const std::string& method) {
        calls_.push_back(method);
        std::cout << "call: " << method << std::endl;
    };
}

Runner::~Runner() {
    TNetConnection::CallObserver = nullptr;
}

void Runner::Malformed(const Command& cmd, const std::string& what) const {
    throw std::runtime_error(cmd.file + ":" + std::to_string(cmd.line) + ": " + what);
}

const std::string& Runner::Arg(const Command& cmd, size_t index) const {
    if (index >= cmd.words.size()) {
        Malformed(cmd, "falta um argumento em '" + cmd.words[0] + "'");
    }
    return cmd.words[index];
}

void Runner::Fail(const Command& cmd, const std::string& expected, const std::string& got) {
    ++failures_;
    std::cout << cmd.file << ":" << cmd.line << ": expected " << expected << " got " << got
              << std::endl;
}

void Runner::Snapshot(const Command& cmd) {
    const std::string& name = Arg(cmd, 1);
    if (renderDir_.empty()) {
        return; // rendering is asked for with --render
    }
    const std::vector<TForm*> forms = Forms();
    const auto shown =
        std::find_if(forms.begin(), forms.end(), [](TForm* f) { return f->Showing(); });
    if (shown == forms.end()) {
        Malformed(cmd, "no form is shown to render");
    }
    const std::string path = (std::filesystem::path(renderDir_) / (name + ".png")).string();
    oca::qt::WriteSnapshot(**shown, path);
    Note("snapshot: " + path);
}

std::vector<TForm*> Runner::Forms() const {
    std::vector<TForm*> forms(modalStack_.rbegin(), modalStack_.rend());
    for (TForm* f :
         {static_cast<TForm*>(frmParecerOcorrAtend), static_cast<TForm*>(frmFiltroOcorAte)}) {
        if (f) {
            forms.push_back(f);
        }
    }
    return forms;
}

TComponent* Runner::Find(const Command& cmd, const std::string& name) const {
    for (TForm* form : Forms()) {
        if (form->Name() == name) {
            return form;
        }
        if (TComponent* c = form->FindComponent(name)) {
            return c;
        }
    }
    Malformed(cmd, "componente '" + name + "' não encontrado");
}

template <class T> T& Runner::FindAs(const Command& cmd, const std::string& name) const {
    auto* typed = dynamic_cast<T*>(Find(cmd, name));
    if (!typed) {
        Malformed(cmd, "'" + name + "' não serve para '" + cmd.words[0] + "'");
    }
    return *typed;
}

TModalResult Runner::ShowModal(TForm& form) {
    std::cout << "modal: " << form.Name() << std::endl;
    auto it = modalBlocks_.find(form.Name());
    modalStack_.push_back(&form);
    if (it == modalBlocks_.end() || it->second.empty()) {
        std::cout << "modal: " << form.Name() << " fechada sem confirmar (nenhum bloco)"
                  << std::endl;
        Application->Dispatch([&] { form.Close(); });
        modalStack_.pop_back();
        return mrCancel;
    }
    const std::vector<Command> block = std::move(it->second.front());
    it->second.erase(it->second.begin());
    for (const Command& cmd : block) {
        Execute(cmd);
        if (!form.Showing()) {
            break;
        }
    }
    if (form.Showing() && form.Modal()) {
        Application->Dispatch([&] { form.Close(); });
    }
    modalStack_.pop_back();
    return form.ModalResult();
}

int Runner::Run(const std::vector<Command>& commands) {
    for (const Command& cmd : commands) {
        Execute(cmd);
    }
    return failures_;
}

void Runner::Execute(const Command& cmd) {
    const std::string& verb = cmd.words[0];
    if (verb == "on") {
        modalBlocks_[cmd.words[2]].push_back(cmd.block);
    } else if (verb == "expect") {
        Expect(cmd);
    } else {
        Act(cmd);
    }
}

void Runner::Act(const Command& cmd) {
    const std::string& verb = cmd.words[0];
    if (verb == "context") {
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
    } else if (verb == "start") {
        IniProc();
    } else if (verb == "call") {
        const std::string& what = Arg(cmd, 1);
        if (what == "CriaParecerOcorrAtend") {
            CriaParecerOcorrAtend();
        } else if (what == "CriaFiltroOcorr") {
            CriaFiltroOcorr();
        } else {
            Malformed(cmd, "criador desconhecido '" + what + "'");
        }
    } else if (verb == "answer") {
        QueueAnswer(Arg(cmd, 1) == "yes");
    } else if (verb == "choose") {
        const std::string& what = Arg(cmd, 1);
        const size_t eq = what.find('=');
        if (what == "cancel" || eq == std::string::npos) {
            QueueCancel();
        } else {
            QueueChoice(what.substr(0, eq), Variant(what.substr(eq + 1)));
        }
    } else if (verb == "choose-list") {
        QueueMarks(std::vector<std::string>(cmd.words.begin() + 1, cmd.words.end()));
    } else if (verb == "snapshot") {
        Snapshot(cmd);
    } else {
        Application->Dispatch([&] {
            if (verb == "click") {
                TComponent* c = Find(cmd, Arg(cmd, 1));
                if (auto* item = dynamic_cast<TMenuItem*>(c)) {
                    item->UserClick();
                } else if (auto* control = dynamic_cast<TControl*>(c);
                           control && !control->UserClick()) {
                    std::cout << "recusado: " << Arg(cmd, 1) << " não está habilitado" << std::endl;
                }
            } else if (verb == "focus") {
                if (!FindAs<TWinControl>(cmd, Arg(cmd, 1)).UserFocus()) {
                    std::cout << "recusado: " << Arg(cmd, 1) << " não pode receber o foco"
                              << std::endl;
                }
            } else if (verb == "type") {
                auto& edit = FindAs<TWinControl>(cmd, Arg(cmd, 1));
                if (!edit.UserFocus()) {
                    std::cout << "recusado: " << Arg(cmd, 1) << " não pode receber o foco"
                              << std::endl;
                    return;
                }
                if (auto* e = dynamic_cast<TCustomEdit*>(&edit)) {
                    e->UserType(Arg(cmd, 2));
                } else if (auto* r = dynamic_cast<TDBRichEdit*>(&edit)) {
                    r->UserType(Arg(cmd, 2));
                }
            } else if (verb == "leave") {
                if (TForm* form = Forms().empty() ? nullptr : Forms().front()) {
                    form->SelectNext();
                }
            } else if (verb == "key") {
                FindAs<TWinControl>(cmd, Arg(cmd, 1)).UserKeyDown(KeyCode(Arg(cmd, 2)));
            } else if (verb == "page") {
                auto& page = FindAs<TTabSheet>(cmd, Arg(cmd, 1));
                page.PageControl()->UserSelectPage(&page);
            } else if (verb == "close") {
                FindAs<TForm>(cmd, Arg(cmd, 1)).Close();
            } else if (verb == "activate") {
                FindAs<TForm>(cmd, Arg(cmd, 1)).Show();
            } else if (verb == "window") {
                // A person minimising, maximising or restoring a window.
                const auto* end = std::end(kWindowStates);
                const auto* it = std::find(std::begin(kWindowStates), end, Arg(cmd, 2));
                if (it == end) {
                    Malformed(cmd, "estado de janela desconhecido '" + Arg(cmd, 2) + "'");
                }
                FindAs<TForm>(cmd, Arg(cmd, 1))
                    .SetWindowState(static_cast<TWindowState>(it - std::begin(kWindowStates)));
            } else if (verb == "scroll") {
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
            } else {
                Malformed(cmd, "comando desconhecido '" + verb + "'");
            }
        });
    }
}

void Runner::Expect(const Command& cmd) {
    const std::string& what = Arg(cmd, 1);
    auto messages = [this] {
        std::vector<std::string> out;
        for (const std::string& line : Journal()) {
            if (line.rfind("error: ", 0) == 0) {
                out.push_back(line.substr(7));
            }
        }
        return out;
    };
    if (what == "message") {
        const auto all = messages();
        if (messagesSeen_ >= all.size()) {
            Fail(cmd, "message \"" + Arg(cmd, 2) + "\"", "no message");
        } else if (all[messagesSeen_++] != Arg(cmd, 2)) {
            Fail(cmd, "message \"" + Arg(cmd, 2) + "\"", "\"" + all[messagesSeen_ - 1] + "\"");
        }
    } else if (what == "no") {
        const auto all = messages();
        if (messagesSeen_ < all.size()) {
            Fail(cmd, "no message", "\"" + all[messagesSeen_] + "\"");
            messagesSeen_ = all.size();
        }
    } else if (what == "focus") {
        TForm* form = Forms().empty() ? nullptr : Forms().front();
        const std::string got =
            form && form->ActiveControl() ? form->ActiveControl()->Name() : "nothing";
        if (got != Arg(cmd, 2)) {
            Fail(cmd, "focus " + Arg(cmd, 2), got);
        }
    } else if (what == "field" || what == "null") {
        const std::string& ref = Arg(cmd, 2);
        const size_t dot = ref.find('.');
        auto& ds = FindAs<TDataSet>(cmd, ref.substr(0, dot));
        TField& field = ds.FieldByName(ref.substr(dot + 1));
        if (what == "null") {
            if (!field.IsNull()) {
                Fail(cmd, "null " + ref, "\"" + field.AsString() + "\"");
            }
        } else if (field.AsString() != Arg(cmd, 3)) {
            Fail(cmd, ref + " \"" + Arg(cmd, 3) + "\"", "\"" + field.AsString() + "\"");
        }
    } else if (what == "text") {
        TComponent* c = Find(cmd, Arg(cmd, 2));
        std::string got;
        if (auto* e = dynamic_cast<TCustomEdit*>(c)) {
            got = e->EditText();
        } else if (auto* r = dynamic_cast<TDBRichEdit*>(c)) {
            got = r->PlainText();
        } else if (auto* ctl = dynamic_cast<TControl*>(c)) {
            got = ctl->Caption();
        }
        if (got != Arg(cmd, 3)) {
            Fail(cmd, "text \"" + Arg(cmd, 3) + "\"", "\"" + got + "\"");
        }
    } else if (what == "enabled" || what == "disabled") {
        TComponent* c = Find(cmd, Arg(cmd, 2));
        const bool enabled = dynamic_cast<TMenuItem*>(c)
                                 ? dynamic_cast<TMenuItem*>(c)->Enabled()
                                 : FindAs<TControl>(cmd, Arg(cmd, 2)).Enabled();
        if (enabled != (what == "enabled")) {
            Fail(cmd, what + " " + Arg(cmd, 2), enabled ? "enabled" : "disabled");
        }
    } else if (what == "checked" || what == "unchecked") {
        TComponent* c = Find(cmd, Arg(cmd, 2));
        bool checked = false;
        if (auto* r = dynamic_cast<TRadioButton*>(c)) {
            checked = r->Checked();
        } else if (auto* b = dynamic_cast<TCheckBox*>(c)) {
            checked = b->Checked();
        } else if (auto* m = dynamic_cast<TMenuItem*>(c)) {
            checked = m->Checked();
        }
        if (checked != (what == "checked")) {
            Fail(cmd, what + " " + Arg(cmd, 2), checked ? "checked" : "unchecked");
        }
    } else if (what == "state") {
        const std::string got = StateName(FindAs<TDataSet>(cmd, Arg(cmd, 2)).State());
        if (got != Arg(cmd, 3)) {
            Fail(cmd, "state " + Arg(cmd, 3), got);
        }
    } else if (what == "window") {
        const std::string got = kWindowStates[FindAs<TForm>(cmd, Arg(cmd, 2)).WindowState()];
        if (got != Arg(cmd, 3)) {
            Fail(cmd, "window " + Arg(cmd, 3), got);
        }
    } else if (what == "page") {
        auto& page = FindAs<TTabSheet>(cmd, Arg(cmd, 2));
        TTabSheet* shown = page.PageControl()->ActivePage();
        if (shown != &page) {
            Fail(cmd, "page " + Arg(cmd, 2), shown ? shown->Name() : "none");
        }
    } else if (what == "count") {
        auto& ds = FindAs<TDataSet>(cmd, Arg(cmd, 2));
        const std::string got = std::to_string(ds.Active() ? ds.RecordCount() : 0);
        if (got != Arg(cmd, 3)) {
            Fail(cmd, "count " + Arg(cmd, 3), got);
        }
    } else if (what == "calls") {
        std::vector<std::string> want(cmd.words.begin() + 2, cmd.words.end());
        if (want.size() == 1 && want[0] == "none") {
            want.clear();
        }
        std::string got, expected;
        for (const std::string& c : calls_) {
            got += (got.empty() ? "" : " ") + c;
        }
        for (const std::string& c : want) {
            expected += (expected.empty() ? "" : " ") + c;
        }
        if (got != expected) {
            Fail(cmd, "calls " + (expected.empty() ? std::string("none") : expected),
                 got.empty() ? std::string("none") : got);
        }
        calls_.clear();
    } else if (what == "sql") {
        if (!db_) {
            Fail(cmd, "sql", "no database");
            return;
        }
        auto st = db_->Prepare(Arg(cmd, 2));
        const std::string got =
            st->Next() ? st->Value(0).AsString() : std::string("<nenhuma linha>");
        if (got != Arg(cmd, 3)) {
            Fail(cmd, "sql \"" + Arg(cmd, 3) + "\"", "\"" + got + "\"");
        }
    } else if (what == "param") {
        if (!frmFiltroOcorAte) {
            Fail(cmd, "param " + Arg(cmd, 2), "no filter screen");
            return;
        }
        const TParam& p = frmFiltroOcorAte->qryParams->ParamByName(Arg(cmd, 2));
        const std::string got = p.IsNull() ? "null" : "\"" + p.AsString() + "\"";
        const std::string want =
            Arg(cmd, 3) == "null" && cmd.words.size() == 4 ? "null" : "\"" + Arg(cmd, 3) + "\"";
        if (got != want) {
            Fail(cmd, "param " + Arg(cmd, 2) + " " + want, got);
        }
    } else {
        Malformed(cmd, "expectativa desconhecida '" + what + "'");
    }
}

} // namespace oca::script
