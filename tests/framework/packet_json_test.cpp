#include "core/base64.h"
#include "core/exceptions.h"
#include "core/packet_json.h"
#include "core/packet_sax.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

DataPacket EveryTypePacket() {
    DataPacket p;
    p.fields = {{"CDFILIAL", FieldType::String, 4},  {"IDTIPO", FieldType::FixedString, 1},
                {"DTOCORRMOV", FieldType::DateTime}, {"DSMOVOCORR", FieldType::Memo},
                {"FOTO", FieldType::Blob},           {"NRVERSAO", FieldType::Integer},
                {"PESO", FieldType::Float},          {"ATIVO", FieldType::Boolean}};
    p.fields[0].label = "Filial";
    p.fields[0].required = true;
    p.fields[1].visible = false;
    p.fields[1].readOnly = true;
    p.fields[2].label = "Data ";
    const TDateTime when = CombineDateTime(EncodeDate(2026, 11, 10), EncodeTime(9, 30, 0, 125));
    p.rows.push_back({Variant("0001"), Variant("F"), Variant(when),
                      Variant("{\\rtf1 Ocorrência \"grave\"\\par}\n"),
                      Variant(Blob{std::string("\0\xFF\x01 bytes", 9)}),
                      Variant(std::int64_t{9007199254740993}), Variant(0.1), Variant(true)});
    p.rows.push_back({Variant(), Variant(), Variant(), Variant(), Variant(), Variant(),
                      Variant(-1e300), Variant(false)});
    p.rows.push_back({Variant(""), Variant("C"), Variant(TDateTime(-1.25)), Variant(""),
                      Variant(Blob{}), Variant(std::int64_t{-5}), Variant(3.0), Variant()});
    return p;
}

TEST(PacketJson, EveryTypeRoundTripsWithoutLoss) {
    const Variant original = MakePacketVariant(EveryTypePacket());
    const std::string text = EncodeVariant(original);
    const Variant back = DecodeVariant(text);
    ASSERT_EQ(back.Type(), VarType::Packet);
    EXPECT_EQ(back.AsPacket(), original.AsPacket());
    // The wire shape is the documented one.
    const auto j = nlohmann::json::parse(text);
    EXPECT_EQ(j["$packet"]["fields"][2]["type"], "datetime");
    EXPECT_EQ(j["$packet"]["rows"][0][2]["$date"], "2026-11-10T09:30:00.125");
    EXPECT_EQ(j["$packet"]["fields"][1]["visible"], false);
}

TEST(PacketJson, TheDirectWriterSaysWhatTheLibraryWould) {
    DataPacket delta;
    delta.isDelta = true;
    delta.fields = {{"A", FieldType::String, 10}, {"B", FieldType::Float}};
    delta.changes = {
        {RowState::Modified, {Variant("x"), Variant(1.0)}, {Variant("y"), Variant(-2.5e-8)}},
        {RowState::Deleted, {Variant("z"), Variant()}, {}}};
    for (const Variant& v :
         {MakePacketVariant(EveryTypePacket()), MakePacketVariant(delta),
          Variant("aspas \" barra \\ tab \t linha \n nulo \x01 fim ção 😀"), Variant(3.0),
          Variant(std::int64_t{-9007199254740993}), Variant(ServerError{"e"})}) {
        EXPECT_EQ(nlohmann::json::parse(EncodeVariant(v)), VariantToJson(v));
    }
    // Bytes that are not UTF-8, and overlong or surrogate forms, become U+FFFD.
    EXPECT_EQ(EncodeVariant(Variant("\xC0\xAF|\xED\xA0\x80|\xF5\x80\x80\x80")),
              "\"\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD|\uFFFD\uFFFD\uFFFD\uFFFD\"");
}

TEST(PacketJson, TheFastReaderAgreesWithTheOrdinaryOneOrDeclines) {
    const std::string text = EncodeVariant(MakePacketVariant(EveryTypePacket()));
    const std::optional<DataPacket> fast = TryReadRowPacket(text);
    ASSERT_TRUE(fast.has_value());
    EXPECT_EQ(*fast, PacketFromJson(nlohmann::json::parse(text)["$packet"]));
    // What it does not take it leaves to the ordinary reader.
    for (
        const char* other :
        {R"({"$packet":{"rows":[["x"]],"fields":[{"name":"A","type":"string"}]}})",
         R"({"$packet":{"fields":[{"name":"A","type":"integer"}],"rows":[[1.5]]}})",
         R"({"$packet":{"fields":[{"name":"A"}],"rows":[]}})",
         R"({"$packet":{"fields":[{"name":"A","type":"string"}],"changes":[]}})",
         R"({"$packet":{"fields":[{"name":"A","type":"datetime"}],"rows":[[{"$date":"x","y":1}]]}})",
         R"({"$packet":{"fields":[{"name":"A","type":"string"}],"rows":[["a","b"]]}})",
         R"({"$date":"2026-01-01T00:00:00.000"})", R"("texto")", R"({"$packet":)"}) {
        EXPECT_FALSE(TryReadRowPacket(other).has_value()) << other;
    }
    EXPECT_THROW(
        DecodeVariant(R"({"$packet":{"fields":[{"name":"A","type":"integer"}],"rows":[[1.5]]}})"),
        EDataPacketError);
}

TEST(PacketJson, TheFastReaderReadsTextsAsTheOrdinaryOneDoes) {
    const std::string head = R"({"$packet":{"fields":[{"name":"A","type":"string"}],"rows":[[)";
    for (const char* cell : {R"("\u00e7\u00E3o")", R"("\ud83d\ude00")", R"("a\/b\\c\"d\n\t\r\b\f")",
                             R"("")", R"("ção 😀")", "null"}) {
        const std::string text = head + cell + "]]}}";
        const std::optional<DataPacket> fast = TryReadRowPacket(text);
        ASSERT_TRUE(fast.has_value()) << cell;
        EXPECT_EQ(*fast, PacketFromJson(nlohmann::json::parse(text)["$packet"])) << cell;
    }
    // A lone surrogate, a raw control character, bytes that are not UTF-8, an unknown
    // escape: declined, for the ordinary reader to refuse with its reason.
    for (const char* cell : {R"("\ud800")", R"("\ud83d\u0041")", R"("\udc00")", "\"a\x01\"",
                             "\"\xC0\xAF\"", R"("\x")"}) {
        EXPECT_FALSE(TryReadRowPacket(head + cell + "]]}}").has_value()) << cell;
    }
    const std::string numbers = R"({"$packet":{"fields":[{"name":"N","type":"integer"},)"
                                R"({"name":"F","type":"float"}],"rows":[)";
    for (const char* row : {"[01,1.0]", "[1,1e400]", "[1.0,1]", "[-,1]", "[1,.5]"}) {
        EXPECT_FALSE(TryReadRowPacket(numbers + row + "]}}").has_value()) << row;
    }
    const std::optional<DataPacket> read = TryReadRowPacket(numbers + "[-12,3],[0,-2.5e-3]]}}");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->rows[0][0], Variant(std::int64_t{-12}));
    EXPECT_EQ(read->rows[0][1], Variant(3.0));
    EXPECT_EQ(read->rows[1][1], Variant(-2.5e-3));
}

TEST(PacketJson, DeltaRoundTripsWithStatesAndOriginalValues) {
    DataPacket delta;
    delta.isDelta = true;
    delta.fields = {{"NROCORRMOV", FieldType::String, 10}, {"NRVERSAO", FieldType::Integer, 0}};
    delta.changes = {{RowState::Inserted, {}, {Variant("0000000001"), Variant(1)}},
                     {RowState::Modified,
                      {Variant("0000000002"), Variant(1)},
                      {Variant("0000000002"), Variant(2)}},
                     {RowState::Deleted, {Variant("0000000003"), Variant(4)}, {}}};
    const Variant back = DecodeVariant(EncodeVariant(MakePacketVariant(delta)));
    EXPECT_EQ(back.AsPacket(), delta);
    const auto j = nlohmann::json::parse(EncodeVariant(MakePacketVariant(delta)));
    EXPECT_FALSE(j["$packet"].contains("rows"));
    EXPECT_EQ(j["$packet"]["changes"][2]["state"], "deleted");
    EXPECT_FALSE(j["$packet"]["changes"][2].contains("new"));
}

TEST(PacketJson, PlainVariantsRoundTrip) {
    const TDateTime when = CombineDateTime(EncodeDate(2026, 12, 7), EncodeTime(14, 30, 0, 0));
    for (const Variant& v : {Variant(), Variant(true), Variant(std::int64_t{-7}), Variant(2.5),
                             Variant("ação"), Variant(when), Variant(Blob{"x\0y"}),
                             Variant(ServerError{"Ocorrência não encontrada."})}) {
        EXPECT_EQ(DecodeVariant(EncodeVariant(v)), v);
    }
    EXPECT_EQ(EncodeVariant(Variant(when)), R"({"$date":"2026-12-07T14:30:00.000"})");
    EXPECT_EQ(EncodeVariant(Variant(ServerError{"falhou"})), R"({"$error":"falhou"})");
    EXPECT_THROW(EncodeVariant(Variant(std::numeric_limits<double>::quiet_NaN())),
                 EDataPacketError);
    // Bytes that are not UTF-8 (old Latin-1 data) travel replaced, never abort the answer.
    EXPECT_EQ(DecodeVariant(EncodeVariant(Variant("a\xE7\xE3o"))), Variant("a\uFFFD\uFFFDo"));
}

struct BadPacket {
    const char* json;
    const char* mentions;
};

void PrintTo(const BadPacket& c, std::ostream* os) {
    *os << c.mentions;
}

class MalformedPackets : public ::testing::TestWithParam<BadPacket> {};

TEST_P(MalformedPackets, AreRejectedWithAClearReason) {
    try {
        DecodeVariant(GetParam().json);
        FAIL() << "accepted " << GetParam().json;
    } catch (const EDataPacketError& e) {
        EXPECT_NE(e.Message().find(GetParam().mentions), std::string::npos) << e.Message();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Wire, MalformedPackets,
    ::testing::Values(
        BadPacket{R"({"$packet":{"fields":[{"name":"A","type":"string"}],"rows":[["x"]])", "JSON"},
        BadPacket{R"({"$packet":{"rows":[]}})", "fields"},
        BadPacket{R"({"$packet":{"fields":[{"name":"A","type":"texto"}],"rows":[]}})",
                  "tipo desconhecido"},
        BadPacket{R"({"$packet":{"fields":[{"name":"A","type":"string"}],"rows":[["x","y"]]}})",
                  "2 valores"},
        BadPacket{
            R"({"$packet":{"fields":[{"name":"A","type":"datetime"}],"rows":[["2026-01-01"]]}})",
            "datetime"},
        BadPacket{
            R"({"$packet":{"fields":[{"name":"A","type":"datetime"}],"rows":[[{"$date":"2026-02-30T00:00:00"}]]}})",
            "datetime"},
        BadPacket{R"({"$packet":{"fields":[{"name":"A","type":"integer"}],"rows":[[1.5]]}})",
                  "integer"},
        BadPacket{R"({"$packet":{"fields":[{"name":"A","type":"string"}],"rows":[],"changes":[]}})",
                  "rows"},
        BadPacket{
            R"({"$packet":{"fields":[{"name":"A","type":"string"}],"changes":[{"state":"moved","new":["x"]}]}})",
            "estado desconhecido"},
        BadPacket{
            R"({"$packet":{"fields":[{"name":"A","type":"string"}],"changes":[{"state":"modified","new":["x"]}]}})",
            "old"},
        BadPacket{R"({"$blob":"***"})", "base64"}, BadPacket{R"({"$what":1})", "desconhecido"}));

TEST(Base64, RoundTripsEveryLength) {
    std::string bytes;
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(Base64Decode(Base64Encode(bytes)), bytes);
        bytes += static_cast<char>(i * 37);
    }
    EXPECT_EQ(Base64Encode("Ma"), "TWE=");
    EXPECT_THROW(Base64Decode("TW=E"), EDataPacketError);
}

} // namespace

namespace {

// A reply fed in pieces of every size is read row by row into the same packet.
TEST(StreamedReply, ReadsRowsAsTheyArriveWhateverThePieces) {
    const std::string packet = EncodeVariant(MakePacketVariant(EveryTypePacket()));
    const std::string reply = R"({"id":7,"jsonrpc":"2.0","result":)" + packet + "}";
    const DataPacket expected = PacketFromJson(nlohmann::json::parse(packet)["$packet"]);
    for (size_t piece : {size_t{1}, size_t{2}, size_t{7}, size_t{64}, reply.size()}) {
        StreamedReplyReader reader(7);
        for (size_t at = 0; at < reply.size(); at += piece) {
            ASSERT_TRUE(reader.Feed(reply.data() + at, std::min(piece, reply.size() - at)))
                << "piece " << piece << " at " << at;
        }
        ASSERT_TRUE(reader.Complete()) << "piece " << piece;
        EXPECT_EQ(reader.Packet(), expected) << "piece " << piece;
    }
}

// Characters written as escapes decode to their exact UTF-8 on each side of every width's
// edge, in the streamed reader and in the whole-answer reader alike.
TEST(StreamedReply, EscapedCharactersDecodeExactlyAtEveryEncodingEdge) {
    const struct {
        const char* escaped;
        std::string utf8;
    } edges[] = {
        {"\\u007f", "\x7f"},
        {"\\u0080", "\xc2\x80"},
        {"\\u07ff", "\xdf\xbf"},
        {"\\u0800", "\xe0\xa0\x80"},
        {"\\uffff", "\xef\xbf\xbf"},
        {"\\ud800\\udc00", "\xf0\x90\x80\x80"}, // U+10000
        {"\\udbff\\udfff", "\xf4\x8f\xbf\xbf"}, // U+10FFFF
    };
    for (const auto& e : edges) {
        const std::string packet =
            std::string(
                R"({"$packet":{"fields":[{"name":"A","type":"string","size":10}],"rows":[[")") +
            e.escaped + R"("]]}})";
        const Variant whole = DecodeVariant(packet);
        ASSERT_EQ(whole.Type(), VarType::Packet) << e.escaped;
        EXPECT_EQ(whole.AsPacket().rows[0][0].AsString(), e.utf8) << e.escaped;
        const std::string reply = R"({"id":7,"jsonrpc":"2.0","result":)" + packet + "}";
        StreamedReplyReader reader(7);
        ASSERT_TRUE(reader.Feed(reply.data(), reply.size())) << e.escaped;
        ASSERT_TRUE(reader.Complete()) << e.escaped;
        EXPECT_EQ(reader.Packet().rows[0][0].AsString(), e.utf8) << e.escaped;
    }
}

// The end of a row is found by its quotes: texts that end in backslashes or hold brackets
// and escaped quotes end where the writer ended them, whatever the pieces.
TEST(StreamedReply, TextsEndWhereTheirQuoteIsNotEscaped) {
    DataPacket p;
    p.fields = {{"A", FieldType::Memo}, {"B", FieldType::String, 10}};
    for (const char* text : {"fim\\", "\\\\", "]\"[", "\\\"],[", "\"", "", "a\\\\\"b"}) {
        p.rows.push_back({Variant(std::string(text)), Variant("x")});
    }
    const std::string reply =
        R"({"id":7,"jsonrpc":"2.0","result":)" + EncodeVariant(MakePacketVariant(p)) + "}";
    for (size_t piece : {size_t{1}, size_t{3}, reply.size()}) {
        StreamedReplyReader reader(7);
        for (size_t at = 0; at < reply.size(); at += piece) {
            ASSERT_TRUE(reader.Feed(reply.data() + at, std::min(piece, reply.size() - at)));
        }
        ASSERT_TRUE(reader.Complete()) << "piece " << piece;
        EXPECT_EQ(reader.Packet().rows, p.rows) << "piece " << piece;
    }
}

TEST(StreamedReply, OtherShapesAreKeptWholeAndBrokenOnesRefused) {
    const std::string head = R"({"id":7,"jsonrpc":"2.0","result":{"$packet":{"fields":)"
                             R"([{"name":"A","type":"string"}],"rows":[)";
    const struct {
        std::string reply;
        bool whole;    ///< left for the ordinary reading
        bool refused;  ///< Feed says the reply is broken
        bool complete; ///< read row by row to its end
    } cases[] = {
        {R"({"id":7,"jsonrpc":"2.0","error":{"code":-32601,"message":"x"}})", true, false, false},
        {R"({"id":8,"jsonrpc":"2.0","result":{"$packet":{"fields":[],"rows":[]}}})", true, false,
         false},
        {R"({"id":7,"jsonrpc":"2.0","result":"texto"})", true, false, false},
        {head + R"(["a"],["b"]]}}})", false, false, true},
        {head + "]}}}", false, false, true},
        {head + R"(["a"],[1]]}}})", false, true, false},
        {head + R"(["a"]]}}}x)", false, true, false},
        {head + R"(["a"])", false, false, false},
        // Commas only between rows.
        {head + R"(,["a"]]}}})", false, true, false},
        {head + R"(["a"],]}}})", false, true, false},
        {head + R"(["a"],,["b"]]}}})", false, true, false},
    };
    for (const auto& c : cases) {
        StreamedReplyReader reader(7);
        EXPECT_EQ(!reader.Feed(c.reply.data(), c.reply.size()), c.refused) << c.reply;
        EXPECT_EQ(reader.IsWhole(), c.whole) << c.reply;
        EXPECT_EQ(reader.Complete(), c.complete) << c.reply;
        if (c.whole) {
            EXPECT_EQ(reader.Whole(), c.reply);
        }
    }
}

} // namespace
