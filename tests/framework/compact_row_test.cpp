#include "core/compact_row.h"
#include "core/data_packet.h"
#include "core/exceptions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// Every kind of value a field holds comes back as it went in, with its type; whole
// numbers at each width boundary, where a wrong sign extension would show.
TEST(CompactRow, EveryValueComesBackWithItsType) {
    const std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    const std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    const Row values = {
        Variant(),
        Variant(true),
        Variant(false),
        Variant(std::int64_t{0}),
        Variant(std::int64_t{-1}),
        Variant(std::int64_t{127}),
        Variant(std::int64_t{-128}),
        Variant(std::int64_t{128}),
        Variant(std::int64_t{-129}),
        Variant(std::int64_t{32767}),
        Variant(std::int64_t{-32769}),
        Variant(std::int64_t{2147483647}),
        Variant(std::int64_t{2147483648}),
        Variant(std::int64_t{-2147483649}),
        Variant(kMin),
        Variant(kMax),
        Variant(-0.5),
        Variant(1e300),
        Variant(TDateTime(46000.75)),
        Variant(std::string()),
        Variant("Ocorrência ação"),
        Variant(std::string("a\0b", 3)),
        Variant(Blob{std::string("\0\xFF\x01", 3)}),
        Variant(Blob{}),
    };
    const CompactRow row(values);
    ASSERT_EQ(row.size(), values.size());
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(row.Get(i).Type(), values[i].Type()) << "slot " << i;
        EXPECT_EQ(row.Type(i), values[i].Type()) << "slot " << i;
        EXPECT_EQ(row.Get(i), values[i]) << "slot " << i;
    }
    EXPECT_EQ(row.ToRow(), values);
    EXPECT_EQ(row.Bytes(20), "Ocorrência ação");
    EXPECT_EQ(row.Bytes(22), std::string("\0\xFF\x01", 3));
    EXPECT_EQ(row.Bytes(3), ""); // not a text
    std::string_view text;
    EXPECT_TRUE(row.Text(21, text));
    EXPECT_EQ(text, std::string("a\0b", 3));
    EXPECT_FALSE(row.Text(22, text)); // a blob is not a text
    EXPECT_FALSE(row.Text(0, text));
}

// A row past 64 KB needs wider offsets; the values after the long one stay reachable.
TEST(CompactRow, ARowLargerThanShortOffsetsKeepsEveryValue) {
    for (const size_t length : {size_t{65000}, size_t{65536}, size_t{200000}}) {
        const Row values = {Variant("antes"), Variant(std::string(length, 'x')),
                            Variant(std::int64_t{42}), Variant("depois")};
        const CompactRow row(values);
        EXPECT_EQ(row.ToRow(), values) << length;
        EXPECT_GT(row.Footprint(), length);
    }
    // Around the width's edge itself: the end offset of the last value counts too.
    for (size_t length = 65500; length <= 65540; ++length) {
        const Row values = {Variant(std::string(length, 'y')), Variant("fim")};
        EXPECT_EQ(CompactRow(values).ToRow(), values) << length;
    }
}

TEST(CompactRow, CopiesAreDeepAndEqualityFollowsTheValues) {
    const Row values = {Variant("0001"), Variant(std::int64_t{7}), Variant()};
    CompactRow a(values);
    CompactRow b = a;
    EXPECT_EQ(a, b);
    b = CompactRow(Row{Variant("0001"), Variant(std::int64_t{8}), Variant()});
    EXPECT_FALSE(a == b);
    EXPECT_EQ(a.ToRow(), values); // the copy did not share a's bytes
    // Equal as variants are, even where the bytes differ.
    EXPECT_EQ(CompactRow(Row{Variant(0.0)}), CompactRow(Row{Variant(-0.0)}));
    EXPECT_FALSE(CompactRow(Row{Variant("a")}) == CompactRow(Row{Variant("a"), Variant()}));
    EXPECT_EQ(CompactRow(), CompactRow(Row{}));
    CompactRow moved = std::move(a);
    EXPECT_EQ(moved.ToRow(), values);
}

TEST(CompactRow, AValueNoFieldHoldsIsRefused) {
    EXPECT_THROW(CompactRow(Row{Variant("a"), MakePacketVariant(DataPacket{})}), EDataPacketError);
    EXPECT_THROW(CompactRow(Row{Variant(ServerError{"x"})}), EDataPacketError);
}

// A loaded row is kept as it came only when every value is what its column stores: any
// other row is converted value by value, so a wrong answer here stores a wrong value.
TEST(CompactRow, ARowFitsItsColumnsOnlyWhenEveryValueDoes) {
    using Rule = CompactRow::SlotRule;
    const std::vector<Rule> columns = {
        {VarType::String, 4}, {VarType::String, 0},  {VarType::Integer, 0}, {VarType::DateTime, 0},
        {VarType::Float, 0},  {VarType::Boolean, 0}, {VarType::Blob, 0}};
    const Row fitting = {Variant("ab"),
                         Variant(std::string(5000, 'x')),
                         Variant(std::int64_t{7}),
                         Variant(TDateTime{46000.5}),
                         Variant(1.5),
                         Variant(false),
                         Variant(Blob{"\x01"})};
    struct Case {
        const char* what;
        size_t slot;
        Variant value;
        bool fits;
    };
    const std::vector<Case> cases = {
        {"as they come", 0, Variant("ab"), true},
        {"null in any column", 2, Variant(), true},
        {"a text of four characters in six bytes", 0, Variant("ação"), true},
        {"a text one character too long", 0, Variant("abcde"), false},
        {"five characters in seven bytes", 0, Variant("açãoa"), false},
        {"a number where a text goes", 0, Variant(std::int64_t{1}), false},
        {"a text where a number goes", 2, Variant("7"), false},
        {"a float where a whole number goes", 2, Variant(7.0), false},
        {"a number where a date goes", 3, Variant(46000.5), false},
        {"a text where a blob goes", 6, Variant("x"), false},
        {"a text where a yes or no goes", 5, Variant("S"), false},
    };
    for (const Case& c : cases) {
        Row values = fitting;
        values[c.slot] = c.value;
        EXPECT_EQ(CompactRow(values).Fits(columns), c.fits) << c.what;
    }
    EXPECT_FALSE(CompactRow(Row{Variant("ab")}).Fits(columns)) << "fewer values than columns";
    EXPECT_TRUE(CompactRow().Fits({}));
    // Past 64 KB a row's offsets are wider: the check reads them as such.
    const CompactRow wide(Row{Variant(std::string(70000, 'x')), Variant(std::int64_t{1})});
    EXPECT_TRUE(wide.Fits({{VarType::String, 0}, {VarType::Integer, 0}}));
    EXPECT_FALSE(wide.Fits({{VarType::String, 0}, {VarType::String, 0}}));
    EXPECT_FALSE(wide.Fits({{VarType::String, 69999}, {VarType::Integer, 0}}));
}

// A reader builds rows value by value: the same bytes as a row made from its variants,
// whatever the kinds and the offsets' width, and the builder's buffers start afresh.
TEST(CompactRowBuilder, BuildsTheRowTheVariantsMake) {
    const std::vector<Row> rows = {
        {},
        {Variant(), Variant(true), Variant(false), Variant(std::int64_t{-129}),
         Variant(std::int64_t{1} << 40), Variant(-0.5), Variant(TDateTime{46000.75}), Variant(""),
         Variant("ação"), Variant(Blob{std::string("\0\xff", 2)})},
        {Variant(std::string(70000, 'x')), Variant(std::int64_t{3}), Variant()},
    };
    CompactRowBuilder builder;
    for (const Row& values : rows) {
        builder.Clear();
        for (const Variant& v : values) {
            switch (v.Type()) {
            case VarType::Null:
                builder.AddNull();
                break;
            case VarType::Boolean:
                builder.AddBoolean(v.AsBoolean());
                break;
            case VarType::Integer:
                builder.AddInteger(v.AsInteger());
                break;
            case VarType::Float:
                builder.AddFloat(v.AsFloat());
                break;
            case VarType::DateTime:
                builder.AddDate(v.AsDateTime());
                break;
            case VarType::String:
                builder.BeginText() += *v.Get<std::string>();
                break;
            default:
                builder.AddBlob(v.Get<Blob>()->bytes);
                break;
            }
        }
        const CompactRow built = builder.Build();
        const CompactRow made(values);
        EXPECT_EQ(built.ToRow(), values);
        ASSERT_EQ(built.Footprint(), made.Footprint()) << values.size() << " values";
        EXPECT_EQ(built, made);
    }
}

// Code written for a vector of rows reads a packet's compact rows the same way.
TEST(CompactRow, APacketsRowsReadAsAListOfRows) {
    CompactRows rows = {{Variant("a"), Variant(std::int64_t{1})},
                        {Variant("b"), Variant(std::int64_t{2})}};
    rows.push_back(Row{Variant("c"), Variant()});
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][0], Variant("b"));
    EXPECT_EQ(rows.front()[1], Variant(std::int64_t{1}));
    EXPECT_EQ(rows.back()[1], Variant());
    std::string seen;
    for (const Row& row : rows) {
        seen += row[0].AsString();
    }
    EXPECT_EQ(seen, "abc");
    CompactRows same = {{Variant("a"), Variant(std::int64_t{1})},
                        {Variant("b"), Variant(std::int64_t{2})},
                        {Variant("c"), Variant()}};
    EXPECT_EQ(rows, same);
    same.Compact(2) = CompactRow(Row{Variant("c"), Variant(std::int64_t{3})});
    EXPECT_FALSE(rows == same);
}

} // namespace
