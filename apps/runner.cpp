#include "apps/runner.h"

#include "apps/runner_names.h"

#include "appserver/server.h"
#include "database/database.h"
#include "filter/Cli_oca0080b.h"
#include "framework/controls/application.h"
#include "framework/controls/chart.h"
#include "framework/controls/date_edit.h"
#include "framework/controls/db_controls.h"
#include "framework/controls/menus.h"
#include "framework/controls/pages.h"
#include "framework/host/host_context.h"
#include "framework/net/net_connection.h"
#include "package/Pkg_oca0080a.h"
#include "qt/snapshot.h"
#include "qualification/Cli_oca0081a.h"
#include "qualification/Pkg_oca0081a.h"
#include "register/Cli_oca0080a.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <stdexcept>

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

Runner::Runner() {
    OnJournal = [](const std::string& line) {
        std::cout << line << std::endl;
    };
    TNetConnection::CallObserver = [this](const std::string& method) {
        calls_.push_back(method);
        std::cout << "call: " << method << std::endl;
    };
    // A picture of a control (an exported chart) is drawn off screen.
    ImageWriter = [](TControl& control, const std::string& path) {
        return oca::qt::WriteControlPicture(control, path);
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
    const std::vector<TForm*> open = {static_cast<TForm*>(frmParecerOcorrAtend),
                                      static_cast<TForm*>(frmFiltroOcorAte),
                                      static_cast<TForm*>(frmQualifForn)};
    // The window last activated answers first for names two screens share.
    if (front_ && std::find(open.begin(), open.end(), front_) != open.end()) {
        forms.push_back(front_);
    }
    for (TForm* f : open) {
        if (f && f != front_) {
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
    UnexpectedRefusal();
    return failures_;
}

void Runner::Refuse(const Command& cmd, const std::string& why) {
    std::cout << "recusado: " << Arg(cmd, 1) << " " << why << std::endl;
    refused_ = cmd;
}

void Runner::UnexpectedRefusal() {
    if (refused_) {
        Fail(*refused_, "an action a person can do", "refused");
        refused_.reset();
    }
}

void Runner::Execute(const Command& cmd) {
    const std::string& verb = cmd.words[0];
    const bool expectsRefusal =
        verb == "expect" && cmd.words.size() == 2 && cmd.words[1] == "refused";
    if (expectsRefusal) {
        if (!refused_) {
            Fail(cmd, "refused", "done");
        }
        refused_.reset();
        return;
    }
    UnexpectedRefusal();
    if (verb == "on") {
        modalBlocks_[cmd.words[2]].push_back(cmd.block);
    } else if (verb == "expect") {
        Expect(cmd);
    } else {
        Act(cmd);
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
        } else if (what == "CriaQualifForn") {
            CriaQualifForn();
            front_ = frmQualifForn;
        } else {
            Malformed(cmd, "criador desconhecido '" + what + "'");
        }
    } else if (verb == "save-file") {
        // Where the next save dialog writes, or "cancel".
        QueueSaveFile(Arg(cmd, 1) == "cancel" ? std::nullopt
                                              : std::optional<std::string>(Arg(cmd, 1)));
    } else if (verb == "answer") {
        QueueAnswer(Arg(cmd, 1) == "yes");
    } else if (verb == "answer-text") {
        QueueInput(Arg(cmd, 1));
    } else if (verb == "sql") {
        // Another user's statement, straight on the company database (it may hold
        // semicolons, as a trigger's body does).
        if (!db_) {
            Malformed(cmd, "sem banco de dados");
        }
        db_->Execute(Arg(cmd, 1));
    } else if (verb == "sql-on") {
        // Statements in one engine's own dialect (a trigger, say), run only on that engine.
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
                    if (!item->UserClick()) {
                        Refuse(cmd, "não está habilitado");
                    }
                } else if (auto* control = dynamic_cast<TControl*>(c);
                           control && !control->UserClick()) {
                    Refuse(cmd, "não está habilitado");
                }
            } else if (verb == "pick") {
                // A step of a chart (a month), as a person clicks it.
                if (!FindAs<TChart>(cmd, Arg(cmd, 1)).UserSelect(std::stoi(Arg(cmd, 2)))) {
                    Refuse(cmd, "não pode ser escolhido");
                }
            } else if (verb == "focus") {
                if (!FindAs<TWinControl>(cmd, Arg(cmd, 1)).UserFocus()) {
                    Refuse(cmd, "não pode receber o foco");
                }
            } else if (verb == "type") {
                Type(cmd);
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
                front_ = &FindAs<TForm>(cmd, Arg(cmd, 1));
                front_->Show();
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

} // namespace oca::script
