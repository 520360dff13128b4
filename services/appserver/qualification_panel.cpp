// What the supplier qualification panel reads: each supplier's months as the server
// computed them, a month's occurrences by group, and the recomputation of a month for
// every supplier that had anything in it.
#include "appserver/qualification.h"
#include "appserver/server.h"
#include "appserver/sql_lists.h"

#include "core/selection.h"
#include "core/text.h"

#include <charconv>
#include <cstdio>

namespace oca::server {

namespace {

constexpr int kMaxPanelMonths = 60;

int MonthIndex(int yearMonth) {
    return (yearMonth / 100) * 12 + yearMonth % 100 - 1;
}

// A month given as 202611, "202611", "2026-11", "11/2026" or any date within it.
std::optional<int> MonthArgument(const Args& args, size_t index) {
    const Variant& v = args.Raw(index);
    int year = 0, month = 0;
    if (v.Type() == VarType::Integer) {
        const std::int64_t n = *v.Get<std::int64_t>();
        year = static_cast<int>(n / 100);
        month = static_cast<int>(n % 100);
    } else if (v.Type() == VarType::DateTime) {
        const DateParts d = DecodeDate(*v.Get<TDateTime>());
        year = d.year;
        month = d.month;
    } else if (v.Type() == VarType::String) {
        const std::string text = Trim(*v.Get<std::string>());
        if (text.size() == 6 && std::sscanf(text.c_str(), "%4d%2d", &year, &month) != 2) {
            return std::nullopt;
        }
        if (text.size() == 7 && std::sscanf(text.c_str(), "%4d-%2d", &year, &month) != 2 &&
            std::sscanf(text.c_str(), "%2d/%4d", &month, &year) != 2) {
            return std::nullopt;
        }
        if (text.size() != 6 && text.size() != 7) {
            const std::optional<TDateTime> date = args.Date(index);
            if (!date) {
                return std::nullopt;
            }
            const DateParts d = DecodeDate(*date);
            year = d.year;
            month = d.month;
        }
    } else {
        return std::nullopt;
    }
    if (year < 1900 || year > 2999 || month < 1 || month > 12) {
        return std::nullopt;
    }
    return year * 100 + month;
}

std::vector<PacketField> QualificationFields() {
    return {{"CDFORNECED", FieldType::String, 21}, {"NMRAZSOCFORN", FieldType::String, 60},
            {"NRANOMES", FieldType::Integer},      {"QTOCORR", FieldType::Integer},
            {"QTDEMERITO", FieldType::Integer},    {"QTRECEBTO", FieldType::Integer},
            {"VRNOTA", FieldType::Float},          {"IDCLASSIF", FieldType::String, 1},
            {"DTAPURACAO", FieldType::DateTime}};
}

} // namespace

Variant GetQualifForn(db::Database& db, const Args& args) {
    args.Expect(4);
    const std::optional<int> first = MonthArgument(args, 2);
    const std::optional<int> last = MonthArgument(args, 3);
    if (!first || !last) {
        throw RpcError(kInvalidParams, "GetQualifForn espera os meses como AAAAMM");
    }
    if (*last < *first || MonthIndex(*last) - MonthIndex(*first) >= kMaxPanelMonths) {
        return Variant(ServerError{"O painel da qualificação mostra de 1 a " +
                                   std::to_string(kMaxPanelMonths) +
                                   " meses, com o primeiro antes do último."});
    }
    std::vector<std::pair<std::string, Variant>> params = {{"A", Variant(*first)},
                                                           {"Z", Variant(*last)}};
    const std::string branches = KeysCondition("Q.CDFILIAL", args.Text(0), "B", params);
    const std::string suppliers = KeysCondition("Q.CDFORNECED", args.Text(1), "F", params) +
                                  GrantedBranches(args, "Q.CDFILIAL", params);
    // Several branches add up: the month's score is the one their sums give.
    auto st = db.Prepare("SELECT Q.CDFORNECED, F.NMRAZSOCFORN, Q.NRANOMES, SUM(Q.QTOCORR), "
                         "SUM(Q.QTDEMERITO), SUM(Q.QTRECEBTO), MAX(Q.DTAPURACAO) "
                         "FROM QUALIFFORN Q LEFT JOIN FORNECEDOR F ON F.CDFORNECED = Q.CDFORNECED "
                         "WHERE Q.NRANOMES BETWEEN :A AND :Z AND " +
                         branches + " AND " + suppliers +
                         " GROUP BY Q.CDFORNECED, F.NMRAZSOCFORN, Q.NRANOMES "
                         "ORDER BY Q.CDFORNECED, Q.NRANOMES");
    for (const auto& [name, value] : params) {
        st->Bind(name, value);
    }
    DataPacket packet;
    packet.fields = QualificationFields();
    while (st->Next()) {
        const int demerits = static_cast<int>(st->Value(4).AsInteger());
        const int receipts = static_cast<int>(st->Value(5).AsInteger());
        const double score = MonthlyScore(demerits, receipts);
        const Variant computed = st->Value(6);
        packet.rows.push_back(
            Row{Variant(st->Value(0).AsString()), Variant(st->Value(1).AsString()),
                Variant(st->Value(2).AsInteger()), Variant(st->Value(3).AsInteger()),
                Variant(std::int64_t{demerits}), Variant(std::int64_t{receipts}), Variant(score),
                Variant(Standing(score)),
                computed.IsNull() || computed.Type() == VarType::DateTime
                    ? computed
                    : Variant(computed.AsDateTime())});
    }
    return MakePacketVariant(std::move(packet));
}

Variant GetQualifDetalhe(db::Database& db, const Args& args) {
    args.Expect(3);
    const std::optional<int> month = MonthArgument(args, 2);
    if (!month) {
        throw RpcError(kInvalidParams, "GetQualifDetalhe espera o mês como AAAAMM");
    }
    const int next = *month % 100 == 12 ? (*month / 100 + 1) * 100 + 1 : *month + 1;
    std::vector<std::pair<std::string, Variant>> params = {
        {"F", Variant(args.Text(1))},
        {"I", Variant(EncodeDate(*month / 100, *month % 100, 1))},
        {"E", Variant(EncodeDate(next / 100, next % 100, 1))}};
    const std::string branches = KeysCondition("M.CDFILIAL", args.Text(0), "B", params) +
                                 GrantedBranches(args, "M.CDFILIAL", params);
    auto st = db.Prepare(
        "SELECT M.CDGRPOCOR, G.DSGRPOCOR, COALESCE(G.PESO, 10), COUNT(*) "
        "FROM MOVOCORR M LEFT JOIN GRUPOCOR G ON G.CDGRPOCOR = M.CDGRPOCOR "
        "WHERE M.CDFORNECED = :F AND M.DTOCORRMOV >= :I AND M.DTOCORRMOV < :E "
        "AND " +
        branches + " GROUP BY M.CDGRPOCOR, G.DSGRPOCOR, G.PESO ORDER BY COALESCE(M.CDGRPOCOR, '')");
    for (const auto& [name, value] : params) {
        st->Bind(name, value);
    }
    DataPacket packet;
    packet.fields = {{"CDGRPOCOR", FieldType::String, 2},
                     {"DSGRPOCOR", FieldType::String, 30},
                     {"PESO", FieldType::Integer},
                     {"QTOCORR", FieldType::Integer},
                     {"QTDEMERITO", FieldType::Integer}};
    while (st->Next()) {
        const std::int64_t weight = st->Value(2).AsInteger();
        const std::int64_t count = st->Value(3).AsInteger();
        packet.rows.push_back(Row{Variant(st->Value(0).AsString()),
                                  Variant(st->Value(1).AsString()), Variant(weight), Variant(count),
                                  Variant(weight * count)});
    }
    return MakePacketVariant(std::move(packet));
}

int Requalify(db::Database& db, int yearMonth, const std::string& branch,
              const std::function<void(int done, int total, const std::string&)>& progress) {
    return Requalify(db, yearMonth, yearMonth, branch, progress);
}

} // namespace oca::server
