// The expectations of the scenario language: what a scenario checks of the screens,
// the data and the people's dialogs.
#include "apps/runner.h"

#include "apps/runner_names.h"
#include "database/database.h"
#include "filter/Cli_oca0080b.h"
#include "framework/controls/date_edit.h"
#include "framework/controls/db_controls.h"
#include "framework/controls/menus.h"
#include "framework/controls/pages.h"
#include "register/Cli_oca0080a.h"

#include <fstream>
#include <map>
#include <sstream>

namespace oca::script {

std::vector<std::string> Runner::JournalTexts(std::initializer_list<const char*> prefixes) const {
    std::vector<std::string> out;
    for (const std::string& line : Journal()) {
        for (const char* prefix : prefixes) {
            if (line.rfind(prefix, 0) == 0) {
                out.push_back(line.substr(std::char_traits<char>::length(prefix)));
                break;
            }
        }
    }
    return out;
}

void Runner::ExpectNext(const Command& cmd, const std::string& kind,
                        const std::vector<std::string>& all, size_t& seen, bool part) {
    const std::string& want = Arg(cmd, 2);
    const std::string expected = kind + " \"" + want + "\"";
    if (seen >= all.size()) {
        Fail(cmd, expected, "no " + kind.substr(0, kind.find(' ')));
        return;
    }
    const std::string& got = all[seen++];
    if (part ? got.find(want) == std::string::npos : got != want) {
        Fail(cmd, expected, "\"" + got + "\"");
    }
}

void Runner::Expect(const Command& cmd) {
    static const std::map<std::string, void (Runner::*)(const Command&), std::less<>> kKinds = {
        {"status", &Runner::ExpectStatus},
        {"search", &Runner::ExpectSearch},
        {"message-like", &Runner::ExpectMessageLike},
        {"question", &Runner::ExpectQuestion},
        {"color", &Runner::ExpectColor},
        {"readonly", &Runner::ExpectEditable},
        {"writable", &Runner::ExpectEditable},
        {"mask", &Runner::ExpectMask},
        {"message", &Runner::ExpectMessage},
        {"no", &Runner::ExpectNoMessage},
        {"focus", &Runner::ExpectFocus},
        {"field", &Runner::ExpectField},
        {"null", &Runner::ExpectField},
        {"text", &Runner::ExpectText},
        {"enabled", &Runner::ExpectEnabled},
        {"disabled", &Runner::ExpectEnabled},
        {"checked", &Runner::ExpectChecked},
        {"unchecked", &Runner::ExpectChecked},
        {"state", &Runner::ExpectState},
        {"window", &Runner::ExpectWindow},
        {"page", &Runner::ExpectPage},
        {"count", &Runner::ExpectCount},
        {"calls", &Runner::ExpectCalls},
        {"sql", &Runner::ExpectSql},
        {"file", &Runner::ExpectFile},
        {"param", &Runner::ExpectParam},
    };
    const auto found = kKinds.find(Arg(cmd, 1));
    if (found == kKinds.end()) {
        Malformed(cmd, "expectativa desconhecida '" + Arg(cmd, 1) + "'");
    }
    (this->*found->second)(cmd);
}

std::vector<std::string> Runner::Messages() const {
    return JournalTexts({"error: ", "warning: "});
}

void Runner::ExpectStatus(const Command& cmd) {
    if (Status() != Arg(cmd, 2)) {
        Fail(cmd, "status \"" + Arg(cmd, 2) + "\"", "\"" + Status() + "\"");
    }
}

void Runner::ExpectSearch(const Command& cmd) {
    ExpectNext(cmd, "search", JournalTexts({"pesquisa: ", "lista: "}), searchesSeen_, false);
}

void Runner::ExpectMessageLike(const Command& cmd) {
    ExpectNext(cmd, "message like", Messages(), messagesSeen_, true);
}

void Runner::ExpectQuestion(const Command& cmd) {
    // The question's text, without the answer that the journal adds after " -> ".
    std::vector<std::string> asked = JournalTexts({"confirm: "});
    for (std::string& text : asked) {
        text = text.substr(0, text.rfind(" -> "));
    }
    ExpectNext(cmd, "question", asked, questionsSeen_, false);
}

void Runner::ExpectColor(const Command& cmd) {
    static const std::pair<const char*, TColor> kColors[] = {
        {"window", clWindow}, {"info", clInfoBk}, {"face", clBtnFace}};
    const TColor got = FindAs<TControl>(cmd, Arg(cmd, 2)).Color();
    std::string name = std::to_string(static_cast<long>(got));
    for (const auto& [n, c] : kColors) {
        if (c == got) {
            name = n;
        }
    }
    if (name != Arg(cmd, 3)) {
        Fail(cmd, "color " + Arg(cmd, 3), name);
    }
}

void Runner::ExpectEditable(const Command& cmd) {
    const std::string& what = Arg(cmd, 1);
    TComponent* c = Find(cmd, Arg(cmd, 2));
    bool readOnly = false;
    if (auto* e = dynamic_cast<TCustomEdit*>(c)) {
        readOnly = e->ReadOnly();
    } else if (auto* r = dynamic_cast<TDBRichEdit*>(c)) {
        readOnly = r->ReadOnly();
    } else {
        Malformed(cmd, "'" + Arg(cmd, 2) + "' não é um editor");
    }
    if (readOnly != (what == "readonly")) {
        Fail(cmd, what + " " + Arg(cmd, 2), readOnly ? "readonly" : "writable");
    }
}

void Runner::ExpectMask(const Command& cmd) {
    const std::string& ref = Arg(cmd, 2);
    const size_t dot = ref.find('.');
    auto& ds = FindAs<TDataSet>(cmd, ref.substr(0, dot));
    const std::string got = ds.FieldByName(ref.substr(dot + 1)).EditMask();
    if (got != Arg(cmd, 3)) {
        Fail(cmd, "mask \"" + Arg(cmd, 3) + "\"", "\"" + got + "\"");
    }
}

void Runner::ExpectMessage(const Command& cmd) {
    ExpectNext(cmd, "message", Messages(), messagesSeen_, false);
}

void Runner::ExpectNoMessage(const Command& cmd) {
    const auto all = Messages();
    if (messagesSeen_ < all.size()) {
        Fail(cmd, "no message", "\"" + all[messagesSeen_] + "\"");
        messagesSeen_ = all.size();
    }
}

void Runner::ExpectFocus(const Command& cmd) {
    TForm* form = Forms().empty() ? nullptr : Forms().front();
    const std::string got =
        form && form->ActiveControl() ? form->ActiveControl()->Name() : "nothing";
    if (got != Arg(cmd, 2)) {
        Fail(cmd, "focus " + Arg(cmd, 2), got);
    }
}

void Runner::ExpectField(const Command& cmd) {
    const std::string& what = Arg(cmd, 1);
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
}

void Runner::ExpectText(const Command& cmd) {
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
}

void Runner::ExpectEnabled(const Command& cmd) {
    const std::string& what = Arg(cmd, 1);
    TComponent* c = Find(cmd, Arg(cmd, 2));
    const bool enabled = dynamic_cast<TMenuItem*>(c) ? dynamic_cast<TMenuItem*>(c)->Enabled()
                                                     : FindAs<TControl>(cmd, Arg(cmd, 2)).Enabled();
    if (enabled != (what == "enabled")) {
        Fail(cmd, what + " " + Arg(cmd, 2), enabled ? "enabled" : "disabled");
    }
}

void Runner::ExpectChecked(const Command& cmd) {
    const std::string& what = Arg(cmd, 1);
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
}

void Runner::ExpectState(const Command& cmd) {
    const std::string got = StateName(FindAs<TDataSet>(cmd, Arg(cmd, 2)).State());
    if (got != Arg(cmd, 3)) {
        Fail(cmd, "state " + Arg(cmd, 3), got);
    }
}

void Runner::ExpectWindow(const Command& cmd) {
    const std::string got = kWindowStates[FindAs<TForm>(cmd, Arg(cmd, 2)).WindowState()];
    if (got != Arg(cmd, 3)) {
        Fail(cmd, "window " + Arg(cmd, 3), got);
    }
}

void Runner::ExpectPage(const Command& cmd) {
    auto& page = FindAs<TTabSheet>(cmd, Arg(cmd, 2));
    TTabSheet* shown = page.PageControl()->ActivePage();
    if (shown != &page) {
        Fail(cmd, "page " + Arg(cmd, 2), shown ? shown->Name() : "none");
    }
}

void Runner::ExpectCount(const Command& cmd) {
    auto& ds = FindAs<TDataSet>(cmd, Arg(cmd, 2));
    const std::string got = std::to_string(ds.Active() ? ds.RecordCount() : 0);
    if (got != Arg(cmd, 3)) {
        Fail(cmd, "count " + Arg(cmd, 3), got);
    }
}

void Runner::ExpectCalls(const Command& cmd) {
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
}

void Runner::ExpectSql(const Command& cmd) {
    if (!db_) {
        Fail(cmd, "sql", "no database");
        return;
    }
    auto st = db_->Prepare(Arg(cmd, 2));
    const std::string got = st->Next() ? st->Value(0).AsString() : std::string("<nenhuma linha>");
    if (got != Arg(cmd, 3)) {
        Fail(cmd, "sql \"" + Arg(cmd, 3) + "\"", "\"" + got + "\"");
    }
}

void Runner::ExpectFile(const Command& cmd) {
    // expect file PATH "text": the file holds the text.
    std::ifstream in(Arg(cmd, 2), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in) {
        Fail(cmd, "file " + Arg(cmd, 2), "no such file");
    } else if (text.str().find(Arg(cmd, 3)) == std::string::npos) {
        Fail(cmd, "file containing \"" + Arg(cmd, 3) + "\"", "not there");
    }
}

void Runner::ExpectParam(const Command& cmd) {
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
}

} // namespace oca::script
