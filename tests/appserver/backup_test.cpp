// A company backed up while people keep writing: the copy is sound and holds every write
// acknowledged before the backup began; put back, the company is that copy.
#include "confirm_fixture.h"

#include "database/sqlite_backup.h"

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

namespace {

using ::testing::HasSubstr;

class Backup : public Confirm {
protected:
    void SetUp() override {
        Confirm::SetUp();
        if (url.rfind("sqlite:", 0) != 0) {
            GTEST_SKIP() << "PostgreSQL is backed up with pg_dump";
        }
        copy = url.substr(7) + ".copia";
    }
    void TearDown() override {
        std::filesystem::remove(copy);
        Confirm::TearDown();
    }
    // One client's new occurrence with `summary`; true once acknowledged.
    bool Write(TNetConnection& client, const std::string& summary) {
        TClientDataSet cds;
        cds.SetData(client.Call("GetMovOcorr", AllOfBranch1()));
        cds.Append();
        cds.FieldByName("CDFILIAL").SetAsString("0001");
        cds.FieldByName("CDFILILANCMO").SetAsString("0001");
        cds.FieldByName("DTOCORRMOV").SetAsDateTime(EncodeDate(2026, 11, 20));
        cds.FieldByName("CDOPERADOR").SetAsString("001");
        cds.FieldByName("CDFORNECED").SetAsString("000001");
        cds.FieldByName("DSSUMARIAOC").SetAsString(summary);
        cds.Post();
        const Variant answer =
            client.Call("Confirma", {cds.GetDelta(), Variant(), Variant(), Variant(std::string())});
        return answer.Type() == VarType::String && answer.AsString().size() == 10;
    }
    static std::set<std::string> Summaries(const std::string& path) {
        auto db = oca::db::Database::Open("sqlite:" + path);
        auto st = db->Prepare("SELECT DSSUMARIAOC FROM MOVOCORR");
        std::set<std::string> out;
        while (st->Next()) {
            out.insert(st->Value(0).IsNull() ? "" : st->Value(0).AsString());
        }
        return out;
    }
    std::string copy;
};

TEST_F(Backup, ACopyTakenDuringWritesHoldsEveryWriteAcknowledgedBeforeIt) {
    std::mutex mutex;
    std::vector<std::string> acknowledged;
    std::atomic<bool> stop{false};
    std::vector<std::thread> clients;
    for (int k = 0; k < 8; ++k) {
        clients.emplace_back([&, k] {
            TNetConnection client;
            Connect(client);
            for (int i = 0; !stop; ++i) {
                const std::string summary = "c" + std::to_string(k) + "-" + std::to_string(i);
                if (Write(client, summary)) {
                    const std::lock_guard<std::mutex> lock(mutex);
                    acknowledged.push_back(summary);
                }
            }
        });
    }
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (bool enough = false; !enough && std::chrono::steady_clock::now() < giveUp;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const std::lock_guard<std::mutex> lock(mutex);
        enough = acknowledged.size() >= 40;
    }
    std::vector<std::string> before;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        before = acknowledged;
    }
    oca::db::BackupSqlite(url.substr(7), copy);
    stop = true;
    for (std::thread& t : clients) {
        t.join();
    }
    ASSERT_GE(before.size(), 40u) << "the writers did not get going";

    const std::set<std::string> saved = Summaries(copy);
    for (const std::string& s : before) {
        EXPECT_TRUE(saved.count(s)) << s << " was acknowledged before the copy began";
    }
    EXPECT_FALSE(std::filesystem::exists(copy + ".parcial"));

    // Put back with the server stopped: the company is the copy again, sound.
    net.SetConnected(false);
    front->Stop();
    server.reset();
    oca::db::RestoreSqlite(copy, url.substr(7));
    EXPECT_EQ(Summaries(url.substr(7)), saved);
    auto db = oca::db::Database::Open(url);
    auto check = db->Prepare("PRAGMA integrity_check");
    ASSERT_TRUE(check->Next());
    EXPECT_EQ(check->Value(0).AsString(), "ok");
}

TEST_F(Backup, ACopyThatIsNotSoundOrACompanyInUseIsNeverPutBack) {
    std::ofstream(copy) << "não é um banco";
    EXPECT_THROW(oca::db::RestoreSqlite(copy, url.substr(7)), oca::db::SqlError);
    oca::db::BackupSqlite(url.substr(7), copy);
    // A server holds the company: it is written to while the restore looks.
    auto writer = oca::db::Database::Open(url);
    writer->Begin();
    writer->Execute("UPDATE MOVOCORR SET DSSUMARIAOC = 'em uso' WHERE NROCORRMOV = '0000000001'");
    try {
        oca::db::RestoreSqlite(copy, url.substr(7));
        ADD_FAILURE() << "restored over a company in use";
    } catch (const oca::db::SqlError& e) {
        EXPECT_THAT(std::string(e.what()), HasSubstr("pare os servidores"));
    }
    writer->Rollback();
}

} // namespace
