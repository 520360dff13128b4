#pragma once

#include "apps/scenario.h"
#include "framework/script/scripted_ui_driver.h"

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <vector>

class TComponent;
class TForm;

namespace oca::db {
class Database;
}

namespace oca::script {

/// Plays a scenario against the module through its exported entry points, as a person
/// at the screens would, and checks its expectations. Journal lines and failed
/// expectations are printed on stdout.
class Runner : public ScriptedUiDriver {
public:
    Runner();
    ~Runner() override;

    /// Runs the commands; returns the number of failed expectations. Raises
    /// std::runtime_error "FILE:LINE: ..." for a command it does not know.
    int Run(const std::vector<Command>& commands);
    /// The company database, for `expect sql`.
    void SetDatabase(oca::db::Database* db) { db_ = db; }
    /// Where `snapshot NAME` writes NAME.png; empty: snapshots are skipped.
    void SetRenderDir(std::string dir) { renderDir_ = std::move(dir); }

    TModalResult ShowModal(TForm& form) override;

private:
    void Execute(const Command& cmd);
    void Act(const Command& cmd);
    void Expect(const Command& cmd);
    void ExpectStatus(const Command& cmd);
    void ExpectSearch(const Command& cmd);
    void ExpectMessageLike(const Command& cmd);
    void ExpectQuestion(const Command& cmd);
    void ExpectColor(const Command& cmd);
    void ExpectEditable(const Command& cmd);
    void ExpectMask(const Command& cmd);
    void ExpectMessage(const Command& cmd);
    void ExpectNoMessage(const Command& cmd);
    void ExpectFocus(const Command& cmd);
    void ExpectField(const Command& cmd);
    void ExpectText(const Command& cmd);
    void ExpectEnabled(const Command& cmd);
    void ExpectChecked(const Command& cmd);
    void ExpectState(const Command& cmd);
    void ExpectWindow(const Command& cmd);
    void ExpectPage(const Command& cmd);
    void ExpectCount(const Command& cmd);
    void ExpectCalls(const Command& cmd);
    void ExpectSql(const Command& cmd);
    void ExpectFile(const Command& cmd);
    void ExpectParam(const Command& cmd);
    /// The journal's messages (errors and warnings), oldest first.
    std::vector<std::string> Messages() const;
    /// The journal's lines that start with one of the prefixes, without it.
    std::vector<std::string> JournalTexts(std::initializer_list<const char*> prefixes) const;
    /// Checks the oldest of `all` not yet expected (`seen` of them were) against the
    /// command's text, whole or, with `part`, as a part of it.
    void ExpectNext(const Command& cmd, const std::string& kind,
                    const std::vector<std::string>& all, size_t& seen, bool part);
    struct Verb;
    void ActContext(const Command& cmd);
    void ActStart(const Command& cmd);
    void ActCall(const Command& cmd);
    void ActSaveFile(const Command& cmd);
    void ActAnswer(const Command& cmd);
    void ActAnswerText(const Command& cmd);
    void ActSql(const Command& cmd);
    void ActSqlOn(const Command& cmd);
    void ActChoose(const Command& cmd);
    void ActChooseList(const Command& cmd);
    void ActClick(const Command& cmd);
    void ActPick(const Command& cmd);
    void ActFocus(const Command& cmd);
    void ActLeave(const Command& cmd);
    void ActKey(const Command& cmd);
    void ActPage(const Command& cmd);
    void ActClose(const Command& cmd);
    void ActActivate(const Command& cmd);
    void ActWindow(const Command& cmd);
    void ActScroll(const Command& cmd);
    void Snapshot(const Command& cmd);
    void Type(const Command& cmd);
    /// Journals an action a person could not do; the next line must expect it.
    void Refuse(const Command& cmd, const std::string& why);
    void UnexpectedRefusal();
    void Fail(const Command& cmd, const std::string& expected, const std::string& got);
    [[noreturn]] void Malformed(const Command& cmd, const std::string& what) const;
    const std::string& Arg(const Command& cmd, size_t index) const;
    TComponent* Find(const Command& cmd, const std::string& name) const;
    template <class T> T& FindAs(const Command& cmd, const std::string& name) const {
        auto* typed = dynamic_cast<T*>(Find(cmd, name));
        if (!typed) {
            Malformed(cmd, "'" + name + "' não serve para '" + cmd.words[0] + "'");
        }
        return *typed;
    }
    std::vector<TForm*> Forms() const;

    std::map<std::string, std::vector<std::vector<Command>>> modalBlocks_;
    std::vector<TForm*> modalStack_;
    std::vector<std::string> calls_;
    size_t messagesSeen_ = 0;
    size_t questionsSeen_ = 0;
    size_t searchesSeen_ = 0;
    std::optional<Command> refused_;
    int failures_ = 0;
    oca::db::Database* db_ = nullptr;
    std::string renderDir_;
    TForm* front_ = nullptr; ///< the form last activated by the scenario
};

} // namespace oca::script
