#include "apps/runner.h"

#include "filter/Cli_oca0080b.h"
#include "framework/controls/application.h"
#include "framework/net/net_connection.h"
#include "qt/snapshot.h"
#include "qualification/Cli_oca0081a.h"
#include "register/Cli_oca0080a.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <stdexcept>

namespace oca::script {

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

} // namespace oca::script
