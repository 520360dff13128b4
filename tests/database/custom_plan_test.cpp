// Texts that switch a condition off with a flag, "(CODE = :P OR :T = 'T')", are run with
// the flag's value written in, so that a check of one code is an index lookup however
// large the table.
#include "database/sqlite_custom_plan.h"
#include "database/sqlite_database.h"

#include <gmock/gmock.h>
#include <sqlite3.h>

namespace {

using oca::db::DecideFlags;
using oca::db::FlagParameters;

TEST(CustomPlan, FlagsAreParametersComparedWithALiteral) {
    const struct {
        const char* sql;
        std::vector<std::string> names;
        std::vector<bool> flags;
    } cases[] = {
        {"WHERE (A = :P OR :T = 'T')", {"P", "T"}, {false, true}},
        {"WHERE (A = :P OR :t ='T')", {"P", "T"}, {false, true}},
        {"WHERE (A = :P OR :T = :U)", {"P", "T", "U"}, {false, false, false}},
        {"WHERE A = ':T = ''T''' AND B = :T", {"T"}, {false}},
        {"WHERE A::text = :P", {"P"}, {false}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FlagParameters(c.sql, c.names), c.flags) << c.sql;
    }
}

TEST(CustomPlan, AFlagsComparisonIsDecidedByItsValue) {
    const std::vector<bool> flags = {false, true};
    const struct {
        const char* text;
        Variant flag;
        std::optional<std::string> decided;
    } cases[] = {
        {"WHERE (A = ?1 OR ?2 = 'T') AND B", Variant("F"), "WHERE (A = ?1) AND B"},
        {"WHERE (A = ?1 or ?2 ='T')", Variant("F"), "WHERE (A = ?1)"},
        {"WHERE (A = ?1 OR ?2 = 'T')", Variant("T"), "WHERE (A = ?1 OR 1)"},
        {"WHERE ?2 = 'T' AND A = ?1", Variant("F"), "WHERE 0 AND A = ?1"},
        {"WHERE (A = ?1 OR ?2 = 'it''s')", Variant("it's"), "WHERE (A = ?1 OR 1)"},
        {"WHERE (A = '?2 = ''T''' OR ?2 = 'T')", Variant("F"), "WHERE (A = '?2 = ''T''')"},
        {"WHERE (COLOR = ?1 OR ?2 = 'T')", Variant("F"), "WHERE (COLOR = ?1)"},
        {"WHERE (A = ?1 OR ?2 = 'T')", Variant(), std::nullopt},
        {"WHERE (A = ?1 OR ?2 = '7')", Variant(std::int64_t{7}), "WHERE (A = ?1 OR 1)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecideFlags(c.text, flags, {Variant("x"), c.flag}), c.decided) << c.text;
    }
}

class FlagTable : public ::testing::Test {
protected:
    void SetUp() override {
        db.ExecuteScript("CREATE TABLE T (CODE VARCHAR(10) PRIMARY KEY, NAME VARCHAR(20));"
                         "WITH RECURSIVE N(I) AS (SELECT 1 UNION ALL SELECT I + 1 FROM N "
                         "WHERE I < 5000) INSERT INTO T SELECT printf('%05d', I), 'n' || I "
                         "FROM N");
    }
    /// Rows of the check, and whether its run scanned the whole table.
    std::pair<int, bool> Check(oca::db::Statement& st, const char* code, const char* all) {
        st.Reset();
        st.Bind("P", Variant(code));
        st.Bind("T", Variant(all));
        int rows = 0;
        while (st.Next()) {
            ++rows;
        }
        bool scanned = false;
        for (sqlite3_stmt* s = sqlite3_next_stmt(db.handle(), nullptr); s;
             s = sqlite3_next_stmt(db.handle(), s)) {
            scanned = scanned || sqlite3_stmt_status(s, SQLITE_STMTSTATUS_FULLSCAN_STEP, 1) > 0;
        }
        return {rows, scanned};
    }
    oca::db::SqliteDatabase db{":memory:"};
};

TEST_F(FlagTable, EachFlagValueGetsItsOwnPlanAndItsOwnRows) {
    auto st = db.Prepare("SELECT NAME FROM T WHERE (CODE = :P OR :T = 'T')");
    EXPECT_EQ(Check(*st, "00042", "F"), std::make_pair(1, false)) << "one code: an index lookup";
    EXPECT_EQ(Check(*st, "", "T"), std::make_pair(5000, true)) << "every code: the table";
    EXPECT_EQ(Check(*st, "04999", "F"), std::make_pair(1, false)) << "planned again";
    EXPECT_EQ(Check(*st, "nenhum", "F"), std::make_pair(0, false));
    // Without a reset between runs, as a caller that reads to the end may do.
    st->Bind("P", Variant("00007"));
    st->Bind("T", Variant("F"));
    ASSERT_TRUE(st->Next());
    EXPECT_EQ(st->Value(0).AsString(), "n7");
}

} // namespace
