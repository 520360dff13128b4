#include "database/sql_params.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

namespace {

struct ParamCase {
    const char* sql;
    const char* text;
    std::vector<std::string> names;
};

void PrintTo(const ParamCase& c, std::ostream* os) {
    *os << c.sql;
}

class NamedParameters : public ::testing::TestWithParam<ParamCase> {};

TEST_P(NamedParameters, AreNumberedOncePerName) {
    const auto parsed = oca::db::ParseNamedParameters(GetParam().sql);
    EXPECT_EQ(parsed.text, GetParam().text);
    EXPECT_THAT(parsed.names, ElementsAreArray(GetParam().names));
}

INSTANTIATE_TEST_SUITE_P(
    Sql, NamedParameters,
    ::testing::Values(
        ParamCase{
            "A = :P_A OR :p_t = 'T' AND B = :P_A", "A = ?1 OR ?2 = 'T' AND B = ?1", {"P_A", "P_T"}},
        ParamCase{"X = ':NOT_A_PARAM' AND Y = :Y", "X = ':NOT_A_PARAM' AND Y = ?1", {"Y"}},
        ParamCase{"X = 'it''s :Q' AND \"col:Z\" = :Z", "X = 'it''s :Q' AND \"col:Z\" = ?1", {"Z"}},
        ParamCase{
            "-- :C1 comment\nSELECT :A /* :C2 */", "-- :C1 comment\nSELECT ?1 /* :C2 */", {"A"}},
        ParamCase{"SELECT X::TEXT, :B", "SELECT X::TEXT, ?1", {"B"}},
        ParamCase{"SELECT '10:30', :1X", "SELECT '10:30', :1X", {}},
        ParamCase{"SELECT 'unterminated :A", "SELECT 'unterminated :A", {}}));

TEST(NamedParameters, PostgresPlaceholders) {
    const auto parsed = oca::db::ParseNamedParameters("A = :X AND B = :Y AND C = :X", "$");
    EXPECT_EQ(parsed.text, "A = $1 AND B = $2 AND C = $1");
    EXPECT_THAT(parsed.names, ElementsAre("X", "Y"));
}

} // namespace
