#include "database/sqlite_database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using oca::db::Database;
using oca::db::SqliteDatabase;

Variant One(Database& db, const std::string& sql,
            const std::vector<std::pair<std::string, Variant>>& params = {}) {
    auto st = db.Prepare(sql);
    for (const auto& [name, value] : params) {
        st->Bind(name, value);
    }
    EXPECT_TRUE(st->Next()) << sql;
    return st->Value(0);
}

TEST(SqliteFunctions, NvlAndNvlStr) {
    SqliteDatabase db(":memory:");
    EXPECT_EQ(One(db, "SELECT NVL(NULL, 'b')"), Variant("b"));
    EXPECT_EQ(One(db, "SELECT NVL('', 'b')"), Variant(""));
    EXPECT_EQ(One(db, "SELECT NVLSTR('', 'b')"), Variant("b"));
    EXPECT_EQ(One(db, "SELECT NVLSTR(NULL, 'b')"), Variant("b"));
    EXPECT_EQ(One(db, "SELECT NVLSTR('a', 'b')"), Variant("a"));
    EXPECT_EQ(One(db, "SELECT NVLSTR(:X, 'b')", {{"X", Variant()}}), Variant("b"));
}

TEST(SqliteFunctions, FormatDateWritesThePicture) {
    SqliteDatabase db(":memory:");
    EXPECT_EQ(One(db, "SELECT FORMAT_DATE('2026-11-10 09:30:00', 'MM/DD/YYYY')"),
              Variant("11/10/2026"));
    EXPECT_EQ(
        One(db, "SELECT FORMAT_DATE(:D, 'DD/MM/YYYY HH24:MI:SS')",
            {{"D", Variant(CombineDateTime(EncodeDate(2026, 1, 2), EncodeTime(3, 4, 5, 0)))}}),
        Variant("02/01/2026 03:04:05"));
    EXPECT_TRUE(One(db, "SELECT FORMAT_DATE(NULL, 'MM/DD/YYYY')").IsNull());
    EXPECT_TRUE(One(db, "SELECT FORMAT_DATE('ontem', 'MM/DD/YYYY')").IsNull());
}

TEST(SqliteFunctions, ParamIsAOneRowTableOfItsArgument) {
    SqliteDatabase db(":memory:");
    EXPECT_EQ(One(db, "SELECT P.PARAM FROM PARAM(:X) P", {{"X", Variant("abc")}}), Variant("abc"));
    EXPECT_TRUE(One(db, "SELECT P.PARAM FROM PARAM(:X) P", {{"X", Variant()}}).IsNull());
    EXPECT_EQ(One(db, "SELECT COUNT(*) FROM PARAM(1) A, PARAM(2) B"), Variant(std::int64_t{1}));
    // Joined with a table: the argument is read once and tested against every row.
    db.ExecuteScript(
        "CREATE TABLE T (N VARCHAR(10)); INSERT INTO T VALUES ('001'),('002'),('003')");
    EXPECT_EQ(One(db, "SELECT COUNT(*) FROM T, PARAM(:L) L WHERE INSTR(L.PARAM, N) <> 0",
                  {{"L", Variant("|001|003|")}}),
              Variant(std::int64_t{2}));
}

TEST(Sqlite, DateTimesAreStoredAsTextAndReadBackByDeclaredType) {
    SqliteDatabase db(":memory:");
    db.ExecuteScript(
        "CREATE TABLE M (DT TIMESTAMP, NOME VARCHAR(30), QTD INTEGER, V REAL, B BLOB)");
    const TDateTime when = CombineDateTime(EncodeDate(2026, 11, 10), EncodeTime(9, 30, 0, 0));
    db.Execute("INSERT INTO M VALUES (:D, :N, :Q, :V, :B)",
               {{"D", Variant(when)},
                {"N", Variant("Ação")},
                {"Q", Variant(7)},
                {"V", Variant(2.5)},
                {"B", Variant(Blob{std::string("\0\1", 2)})}});
    EXPECT_EQ(One(db, "SELECT DT || '' FROM M"), Variant("2026-11-10 09:30:00"));
    auto st = db.Prepare("SELECT DT, NOME, QTD, V, B FROM M");
    ASSERT_TRUE(st->Next());
    EXPECT_EQ(st->Column(0).type, oca::db::ColumnType::DateTime);
    EXPECT_EQ(st->Column(1).size, 30);
    EXPECT_EQ(st->Value(0), Variant(when));
    EXPECT_EQ(st->Value(1), Variant("Ação"));
    EXPECT_EQ(st->Value(2), Variant(std::int64_t{7}));
    EXPECT_EQ(st->Value(3), Variant(2.5));
    EXPECT_EQ(st->Value(4), Variant(Blob{std::string("\0\1", 2)}));
    // Text with a "T" and fractions, as other writers may leave it, still reads as a date.
    db.ExecuteScript("UPDATE M SET DT = '2026-11-10T09:30:00.250'");
    auto again = db.Prepare("SELECT DT FROM M");
    ASSERT_TRUE(again->Next());
    EXPECT_EQ(DecodeTime(again->Value(0).AsDateTime()).msec, 250);
}

TEST(Sqlite, ValuesAreBoundNeverSpliced) {
    SqliteDatabase db(":memory:");
    db.ExecuteScript("CREATE TABLE T (N VARCHAR(40))");
    const std::string hostile = "x'); DROP TABLE T; --";
    db.Execute("INSERT INTO T VALUES (:N)", {{"N", Variant(hostile)}});
    EXPECT_EQ(One(db, "SELECT N FROM T"), Variant(hostile));
    EXPECT_THROW(db.Execute("INSERT INTO T VALUES (:N)", {{"OUTRO", Variant(1)}}),
                 oca::db::SqlError);
}

// A connection keeps the statements it ran for the next call of the same text: what a
// kept statement runs must be what the text says now, whatever ran between.
TEST(Sqlite, AStatementRunAgainBindsAfreshAndSeesTheTablesAsTheyAreNow) {
    for (const bool byScript : {true, false}) {
        SCOPED_TRACE(byScript ? "altered by a script" : "altered by a statement");
        SqliteDatabase db(":memory:");
        db.ExecuteScript("CREATE TABLE T (A INTEGER, D TIMESTAMP)");
        db.Execute("INSERT INTO T VALUES (1, '2026-01-02 03:04:05'), (2, NULL)");
        const std::string read = "SELECT * FROM T WHERE A = :A";
        {
            auto st = db.Prepare(read);
            st->Bind("A", Variant(1));
            ASSERT_TRUE(st->Next());
            EXPECT_EQ(st->ColumnCount(), 2u);
            // Left in the middle of its rows, as a reader that found what it wanted.
        }
        EXPECT_FALSE(db.Prepare(read)->Next()) << "a kept statement kept its old value";
        {
            auto st = db.Prepare(read);
            st->Bind("A", Variant(2));
            ASSERT_TRUE(st->Next());
            EXPECT_TRUE(st->Value(1).IsNull());
        }
        if (byScript) {
            db.ExecuteScript("ALTER TABLE T ADD COLUMN N VARCHAR(10)");
        } else {
            db.Execute("ALTER TABLE T ADD COLUMN N VARCHAR(10)");
        }
        db.Execute("UPDATE T SET N = 'novo'");
        auto st = db.Prepare(read);
        st->Bind("A", Variant(1));
        ASSERT_TRUE(st->Next());
        ASSERT_EQ(st->ColumnCount(), 3u);
        EXPECT_EQ(st->Column(2).name, "N");
        EXPECT_EQ(st->Value(2), Variant("novo"));
        EXPECT_EQ(st->Value(1).Type(), VarType::DateTime);
    }
}

// The same text open twice at once: each has its own statement.
TEST(Sqlite, TheSameTextOpenTwiceAtOnceReadsTwoCursors) {
    SqliteDatabase db(":memory:");
    db.ExecuteScript("CREATE TABLE T (A INTEGER)");
    db.Execute("INSERT INTO T VALUES (1), (2)");
    int pairs = 0;
    auto outer = db.Prepare("SELECT A FROM T ORDER BY A");
    while (outer->Next()) {
        auto inner = db.Prepare("SELECT A FROM T ORDER BY A");
        while (inner->Next()) {
            ++pairs;
        }
    }
    EXPECT_EQ(pairs, 4);
    EXPECT_FALSE(db.InTransaction());
}

TEST(Sqlite, TransactionRollsBackUnlessCommitted) {
    SqliteDatabase db(":memory:");
    db.ExecuteScript("CREATE TABLE T (N INTEGER)");
    {
        oca::db::Transaction tx(db);
        db.Execute("INSERT INTO T VALUES (1)");
    }
    EXPECT_EQ(One(db, "SELECT COUNT(*) FROM T"), Variant(std::int64_t{0}));
    {
        oca::db::Transaction tx(db);
        db.Execute("INSERT INTO T VALUES (1)");
        tx.Commit();
    }
    EXPECT_EQ(One(db, "SELECT COUNT(*) FROM T"), Variant(std::int64_t{1}));
    EXPECT_FALSE(db.InTransaction());
}

// A company file of the temporary folder, removed with its log before and after use.
struct TempCompanyFile {
    std::filesystem::path path;
    explicit TempCompanyFile(const std::string& name)
        : path(std::filesystem::temp_directory_path() /
               (name + "_" + std::to_string(::getpid()) + ".sqlite")) {
        Remove();
    }
    ~TempCompanyFile() { Remove(); }
    TempCompanyFile(const TempCompanyFile&) = delete;
    TempCompanyFile& operator=(const TempCompanyFile&) = delete;
    void Remove() const {
        for (const char* suffix : {"", "-wal", "-shm"}) {
            std::filesystem::remove(path.string() + suffix);
        }
    }
    std::string Url() const { return "sqlite:" + path.string(); }
};

// While a checkpointer runs, the writers leave the log to it: each commit only appends,
// and the log still reaches the file, a moment later, without anyone asking.
TEST(Sqlite, AWalCheckpointerCopiesTheLogBackSoThatWritersNeedNot) {
    const TempCompanyFile file("oca_checkpoint");
    const auto& path = file.path;
    const std::string url = file.Url();
    {
        auto before = Database::Open(url);
        EXPECT_EQ(One(*before, "PRAGMA wal_autocheckpoint"), Variant(std::int64_t{1000}));
        before->ExecuteScript("CREATE TABLE T (N INTEGER, X VARCHAR(2000))");
        const oca::db::WalCheckpointer checkpoints(url);
        auto db = Database::Open(url);
        EXPECT_EQ(One(*db, "PRAGMA wal_autocheckpoint"), Variant(std::int64_t{0}));
        const auto fileSize = [&] {
            return std::filesystem::file_size(path);
        };
        const auto empty = fileSize();
        for (int i = 0; i < 300; ++i) {
            db->Execute("INSERT INTO T VALUES (:N, :X)",
                        {{"N", Variant(i)}, {"X", Variant(std::string(1500, 'x'))}});
        }
        // 300 rows of 1.5 kB: a few hundred pages, under the writers' own threshold.
        bool copied = false;
        for (int wait = 0; wait < 100 && !copied; ++wait) {
            copied = fileSize() > empty + 300 * 1500;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        EXPECT_TRUE(copied) << "the file is still " << fileSize() << " bytes";
    }
    EXPECT_EQ(One(*Database::Open(url), "PRAGMA wal_autocheckpoint"), Variant(std::int64_t{1000}))
        << "connections opened once the checkpointer is gone checkpoint again";
}

// Under writes that never pause, a copy that never waits never reaches the log's end: the
// checkpointer still has the log start over, so that it stays bounded.
TEST(Sqlite, UnderSteadyWritesTheCheckpointedLogStaysBounded) {
    const TempCompanyFile file("oca_steady");
    const auto& path = file.path;
    const std::string url = file.Url();
    oca::db::SetSqliteFullSync(false);
    {
        const oca::db::WalCheckpointer checkpoints(url);
        auto db = Database::Open(url);
        db->ExecuteScript("CREATE TABLE T (N INTEGER, X VARCHAR(2000))");
        std::uintmax_t largest = 0;
        for (int i = 0; i < 40000; ++i) {
            db->Execute("INSERT INTO T VALUES (:N, :X)",
                        {{"N", Variant(i)}, {"X", Variant(std::string(1500, 'x'))}});
            if (i % 500 == 0) {
                largest = std::max(largest, std::filesystem::file_size(path.string() + "-wal"));
                // A server's writers pause for their clients; this one's turn comes then.
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        }
        // 60 MB written: the log starts over once past 4,000 pages (16 MB), as soon as the
        // checkpointer gets its turn.
        EXPECT_LT(largest, 40u * 1024 * 1024);
    }
    oca::db::SetSqliteFullSync(true);
}

// A server's connections flush the log after each commit themselves, outside SQLite's
// write lock: a commit still returns only once on the disk, unless its writer asked to wait
// for that later, and then a flush covers every commit made before it began.
TEST(Sqlite, AServersCommitsReturnOnTheDiskAndShareTheirFlushes) {
    const TempCompanyFile file("oca_flush");
    const std::string url = file.Url();
    Database::Open(url)->ExecuteScript("CREATE TABLE T (N INTEGER)");
    using oca::db::SqliteLogFlushes;
    {
        const oca::db::WalCheckpointer checkpoints(url);
        auto db = Database::Open(url);
        auto other = Database::Open(url);
        EXPECT_EQ(One(*db, "PRAGMA synchronous"), Variant(std::int64_t{1}))
            << "the log is flushed by the connection, not inside the commit";
        const std::uint64_t flushes = SqliteLogFlushes();
        db->Execute("INSERT INTO T VALUES (1)");
        EXPECT_EQ(SqliteLogFlushes(), flushes + 1) << "a statement's own commit";
        {
            oca::db::Transaction tx(*db);
            db->Execute("INSERT INTO T VALUES (2)");
            tx.Commit();
        }
        One(*db, "SELECT COUNT(*) FROM T");
        EXPECT_EQ(SqliteLogFlushes(), flushes + 2) << "a transaction's commit, not a read";

        db->DeferDurability();
        for (int i = 0; i < 3; ++i) {
            db->Execute("INSERT INTO T VALUES (3)");
        }
        EXPECT_EQ(SqliteLogFlushes(), flushes + 2) << "waited for later";
        db->AwaitDurable();
        EXPECT_EQ(SqliteLogFlushes(), flushes + 3) << "one flush for the three";
        db->AwaitDurable();
        EXPECT_EQ(SqliteLogFlushes(), flushes + 3) << "nothing left to flush";

        other->DeferDurability();
        other->Execute("INSERT INTO T VALUES (4)");
        db->Execute("INSERT INTO T VALUES (5)");
        EXPECT_EQ(SqliteLogFlushes(), flushes + 4);
        other->AwaitDurable();
        EXPECT_EQ(SqliteLogFlushes(), flushes + 4) << "covered by the flush that came after it";
    }
    // Elsewhere SQLite flushes inside the commit (FULL), or not at all (NORMAL).
    for (const bool full : {true, false}) {
        oca::db::SetSqliteFullSync(full);
        const std::uint64_t flushes = SqliteLogFlushes();
        {
            const std::unique_ptr<oca::db::WalCheckpointer> checkpoints =
                full ? nullptr : std::make_unique<oca::db::WalCheckpointer>(url);
            auto db = Database::Open(url);
            EXPECT_EQ(One(*db, "PRAGMA synchronous"), Variant(std::int64_t{full ? 2 : 1}));
            db->Execute("INSERT INTO T VALUES (6)");
        }
        EXPECT_EQ(SqliteLogFlushes(), flushes);
    }
    oca::db::SetSqliteFullSync(true);
}

// A writer waits for another connection's lock: it gets it once the other commits, and
// gives up with an error once its own wait is over.
TEST(Sqlite, AWriterWaitsForAnothersLockUntilItsWaitIsOver) {
    const TempCompanyFile file("oca_busy");
    const auto& path = file.path;
    SqliteDatabase a(path.string()), b(path.string());
    a.ExecuteScript("CREATE TABLE T (N INTEGER)");
    a.Begin();
    a.Execute("INSERT INTO T VALUES (1)");
    b.SetBusyWait(30);
    EXPECT_THROW(b.Begin(), oca::db::SqlError) << "the lock is held past the wait";
    EXPECT_FALSE(b.InTransaction());
    b.SetBusyWait(oca::db::kBusyWaitMs);
    std::thread holder([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        a.Commit();
    });
    b.Begin(); // waits for the commit
    b.Execute("INSERT INTO T VALUES (2)");
    b.Commit();
    holder.join();
    EXPECT_EQ(One(b, "SELECT COUNT(*) FROM T"), Variant(std::int64_t{2}));
}

TEST(Sqlite, FileDatabasesUseWalAndForeignKeysAndOpenByUrl) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("oca_sqlite_" + std::to_string(::getpid()) + ".sqlite");
    std::filesystem::remove(path);
    {
        auto db = Database::Open("sqlite:" + path.string());
        EXPECT_EQ(db->product(), oca::db::Product::SQLite);
        EXPECT_EQ(One(*db, "PRAGMA journal_mode"), Variant("wal"));
        EXPECT_EQ(One(*db, "PRAGMA foreign_keys"), Variant(std::int64_t{1}));
        // A commit is acknowledged once it would survive a power loss (FULL is 2), unless
        // the server was told to trade that for speed (NORMAL is 1).
        EXPECT_EQ(One(*db, "PRAGMA synchronous"), Variant(std::int64_t{2}));
        oca::db::SetSqliteFullSync(false);
        EXPECT_EQ(One(*Database::Open("sqlite:" + path.string()), "PRAGMA synchronous"),
                  Variant(std::int64_t{1}));
        oca::db::SetSqliteFullSync(true);
        db->ExecuteScript("CREATE TABLE P (ID INTEGER PRIMARY KEY);"
                          "CREATE TABLE C (ID INTEGER REFERENCES P(ID))");
        EXPECT_THROW(db->Execute("INSERT INTO C VALUES (1)"), oca::db::SqlError);
        // A second connection sees what the first committed.
        db->Execute("INSERT INTO P VALUES (5)");
        auto other = Database::Open("sqlite:" + path.string());
        EXPECT_EQ(One(*other, "SELECT ID FROM P"), Variant(std::int64_t{5}));
    }
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::filesystem::remove(path.string() + suffix);
    }
    EXPECT_THROW(Database::Open("mysql://localhost/x"), oca::db::SqlError);
}

} // namespace
