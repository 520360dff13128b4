// The treatments a person follows: by branch, situation, responsible, supplier and
// period, or only those with overdue actions, with each one's age and its open and overdue
// actions; and how many there are in each situation.
#include "appserver/server.h"
#include "appserver/sql_lists.h"
#include "core/datetime.h"
#include "core/text.h"

#include <cmath>
#include <map>

namespace oca::server {

namespace {

struct Criteria {
    std::string branch;    ///< "" for every branch the session may see
    std::string status;    ///< "" for any
    std::string operator_; ///< the responsible, "" for any
    std::string supplier;
    bool overdueOnly = false;
    std::optional<TDateTime> from, to;
};

// Arguments: branch, situation, responsible, supplier, overdue only ("S"), from, to.
Criteria Read(const Args& args) {
    args.Expect(7);
    Criteria c;
    c.branch = Trim(args.Text(0, 4));
    c.status = Trim(args.Text(1, 1));
    c.operator_ = Trim(args.Text(2, 12));
    c.supplier = Trim(args.Text(3, 6));
    c.overdueOnly = args.Text(4, 1) == "S";
    c.from = args.Date(5);
    c.to = args.Date(6);
    if (!c.branch.empty() && !args.Caller().MayUse(c.branch)) {
        throw RpcError(kInvalidParams, args.Caller().NoAccessTo(c.branch));
    }
    return c;
}

const std::vector<PacketField>& ListFields() {
    static const std::vector<PacketField> fields = {
        {"CDFILILANCMO", FieldType::String, 4},  {"NROCORRMOV", FieldType::String, 10},
        {"DTOCORRMOV", FieldType::DateTime},     {"CDFORNECED", FieldType::String, 6},
        {"NMRAZSOCFORN", FieldType::String, 60}, {"DSSUMARIAOC", FieldType::String, 30},
        {"IDSITUACAO", FieldType::String, 1},    {"CDOPERRESP", FieldType::String, 12},
        {"NMOPERRESP", FieldType::String, 40},   {"DTPRAZO", FieldType::DateTime},
        {"QTACOESABERTAS", FieldType::Integer},  {"QTACOESVENCIDAS", FieldType::Integer},
        {"NRDIAS", FieldType::Integer},
    };
    return fields;
}

// Every treatment the criteria select, whatever its situation: the list filters it, the
// counts group it.
DataPacket Select(db::Database& db, const Args& args, const Criteria& c) {
    const TDateTime today = ServerNow();
    Params params = {{"HOJE", Variant(today)}};
    std::string where = " WHERE 1 = 1" + GrantedBranches(args, "M.CDFILILANCMO", params);
    const auto equal = [&](const std::string& column, const std::string& name,
                           const std::string& value) {
        if (!value.empty()) {
            where += " AND " + column + " = :" + name;
            params.emplace_back(name, Variant(value));
        }
    };
    equal("M.CDFILILANCMO", "FILIAL", c.branch);
    equal("T.CDOPERRESP", "RESP", c.operator_);
    equal("M.CDFORNECED", "FORN", c.supplier);
    if (c.from) {
        where += " AND M.DTOCORRMOV >= :DE";
        params.emplace_back("DE", Variant(*c.from));
    }
    if (c.to) {
        // The whole of the last day.
        where += " AND M.DTOCORRMOV < :ATE";
        params.emplace_back("ATE", Variant(TDateTime(std::floor(c.to->Value) + 1)));
    }
    const std::string overdue = "A.IDSITUACAO = 'A' AND A.DTPREVISTA < :HOJE";
    std::string sql =
        "SELECT M.CDFILILANCMO, M.NROCORRMOV, M.DTOCORRMOV, M.CDFORNECED, F.NMRAZSOCFORN, "
        "M.DSSUMARIAOC, COALESCE(T.IDSITUACAO, 'A'), T.CDOPERRESP, O.NMOPERADOR, T.DTPRAZO, "
        "(SELECT COUNT(*) FROM ACAOOCORR A WHERE A.CDFILILANCMO = M.CDFILILANCMO AND "
        "A.NROCORRMOV = M.NROCORRMOV AND A.IDSITUACAO = 'A'), (SELECT COUNT(*) FROM ACAOOCORR A "
        "WHERE A.CDFILILANCMO = M.CDFILILANCMO AND A.NROCORRMOV = M.NROCORRMOV AND " +
        overdue +
        ") FROM MOVOCORR M LEFT JOIN TRATOCORR T ON T.CDFILILANCMO = M.CDFILILANCMO AND "
        "T.NROCORRMOV = M.NROCORRMOV LEFT JOIN OPERADOR O ON O.CDOPERADOR = T.CDOPERRESP LEFT "
        "JOIN FORNECEDOR F ON F.CDFORNECED = M.CDFORNECED" +
        where;
    if (c.overdueOnly) {
        sql += " AND EXISTS (SELECT 1 FROM ACAOOCORR A WHERE A.CDFILILANCMO = M.CDFILILANCMO AND "
               "A.NROCORRMOV = M.NROCORRMOV AND " +
               overdue + ")";
    }
    sql += " ORDER BY M.DTOCORRMOV, M.CDFILILANCMO, M.NROCORRMOV";
    std::vector<PacketField> read = ListFields();
    read.pop_back(); // the age is counted here
    const DataPacket selected = QueryPacket(db, sql, params, read);
    DataPacket packet;
    packet.fields = ListFields();
    packet.rows.reserve(selected.rows.size());
    for (Row row : selected.rows) {
        const Variant opened = row[2];
        row.push_back(opened.IsNull() ? Variant()
                                      : Variant(static_cast<std::int64_t>(
                                            std::floor(today.Value - opened.AsDateTime().Value))));
        packet.rows.push_back(row);
    }
    return packet;
}

} // namespace

Variant GetTratamentos(db::Database& db, const Args& args) {
    const Criteria c = Read(args);
    DataPacket packet = Select(db, args, c);
    if (!c.status.empty()) {
        CompactRows kept;
        for (const Row& row : packet.rows) {
            if (row[6].AsString() == c.status) {
                kept.push_back(row);
            }
        }
        packet.rows = std::move(kept);
    }
    return MakePacketVariant(std::move(packet));
}

Variant GetContagemTratamentos(db::Database& db, const Args& args) {
    Criteria c = Read(args);
    c.status.clear();
    const DataPacket list = Select(db, args, c);
    std::map<std::string, std::int64_t> counts = {{"A", 0}, {"N", 0}, {"E", 0}, {"F", 0}, {"C", 0}};
    for (const Row& row : list.rows) {
        ++counts[row[6].AsString()];
    }
    DataPacket packet;
    packet.fields = {{"IDSITUACAO", FieldType::String, 1}, {"QTTRATAMENTOS", FieldType::Integer}};
    for (const char* status : {"A", "N", "E", "F", "C"}) {
        packet.rows.push_back({Variant(status), Variant(counts[status])});
    }
    return MakePacketVariant(std::move(packet));
}

// How many open actions of the caller's are past their date, in the branches the caller
// may see.
Variant GetAcoesVencidas(db::Database& db, const Args& args) {
    args.Expect(0);
    Params params = {{"OP", Variant(args.Caller().op)}, {"HOJE", Variant(ServerNow())}};
    const std::string granted = GrantedBranches(args, "CDFILILANCMO", params);
    auto st = db.Prepare("SELECT COUNT(*) FROM ACAOOCORR WHERE CDOPERRESP = :OP AND IDSITUACAO = "
                         "'A' AND DTPREVISTA < :HOJE" +
                         granted);
    for (const auto& [name, value] : params) {
        st->Bind(name, value);
    }
    st->Next();
    return Variant(st->Value(0).AsInteger());
}

// Per supplier, in the branches and suppliers chosen (selection strings, "" for all): its
// treatments begun and not yet closed or cancelled, and its actions past their date. For
// the qualification panel's rows; each count starts from the few rows it counts.
Variant GetTratamentosForn(db::Database& db, const Args& args) {
    args.Expect(2);
    const auto count = [&](const std::string& table, const std::string& condition, Params params) {
        const std::string where = condition + " AND " +
                                  KeysCondition("M.CDFILIAL", args.Text(0), "B", params) + " AND " +
                                  KeysCondition("M.CDFORNECED", args.Text(1), "F", params) +
                                  GrantedBranches(args, "M.CDFILIAL", params);
        auto st = db.Prepare("SELECT M.CDFORNECED, COUNT(*) FROM " + table +
                             " X JOIN MOVOCORR M ON M.CDFILILANCMO = X.CDFILILANCMO AND "
                             "M.NROCORRMOV = X.NROCORRMOV WHERE M.CDFORNECED IS NOT NULL AND " +
                             where + " GROUP BY M.CDFORNECED");
        for (const auto& [name, value] : params) {
            st->Bind(name, value);
        }
        std::map<std::string, std::int64_t> out;
        while (st->Next()) {
            out[st->Value(0).AsString()] = st->Value(1).AsInteger();
        }
        return out;
    };
    const auto open = count("TRATOCORR", "X.IDSITUACAO NOT IN ('F', 'C')", {});
    const auto overdue = count("ACAOOCORR", "X.IDSITUACAO = 'A' AND X.DTPREVISTA < :HOJE",
                               {{"HOJE", Variant(ServerNow())}});
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> both;
    for (const auto& [supplier, n] : open) {
        both[supplier].first = n;
    }
    for (const auto& [supplier, n] : overdue) {
        both[supplier].second = n;
    }
    DataPacket packet;
    packet.fields = {{"CDFORNECED", FieldType::String, 21},
                     {"QTTRATABERTOS", FieldType::Integer},
                     {"QTACOESVENCIDAS", FieldType::Integer}};
    for (const auto& [supplier, n] : both) {
        packet.rows.push_back({Variant(supplier), Variant(n.first), Variant(n.second)});
    }
    return MakePacketVariant(std::move(packet));
}

} // namespace oca::server
