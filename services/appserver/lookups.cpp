// The server's reading methods: server date, branch parameters, texts, invoices, batches.
#include "appserver/server.h"
#include "appserver/sql_lists.h"

#include "core/selection.h"
#include "core/text.h"

namespace oca::server {

std::string InList(const std::string& column, const std::vector<std::string>& keys,
                   const std::string& prefix, Params& params) {
    if (keys.empty()) {
        return "1 = 0";
    }
    if (keys.size() > kMaxListKeys) {
        throw RpcError(kInvalidParams, "Uma lista de seleção pode ter no máximo " +
                                           std::to_string(kMaxListKeys) + " chaves; esta tem " +
                                           std::to_string(keys.size()) + ".");
    }
    std::string sql = column + " IN (";
    for (size_t i = 0; i < keys.size(); ++i) {
        const std::string name = prefix + std::to_string(i + 1);
        sql += (i ? ", :" : ":") + name;
        params.emplace_back(name, Variant(keys[i]));
    }
    return sql + ")";
}

std::string KeysCondition(const std::string& column, const std::string& list,
                          const std::string& prefix, Params& params) {
    if (Trim(list).empty()) {
        return "1 = 1";
    }
    return InList(column, DecodeSelection(list), prefix, params);
}

std::string GrantedBranches(const Args& args, const std::string& column, Params& params) {
    if (!args.HasCaller() || args.Caller().AllBranches()) {
        return {};
    }
    return " AND " + InList(column, args.Caller().Branches(), "ACE", params);
}

namespace {
std::function<TDateTime()> g_clock;
}

TDateTime ServerNow() {
    return g_clock ? g_clock() : Now();
}

void SetServerClock(std::function<TDateTime()> clock) {
    g_clock = std::move(clock);
}

Variant GetSysDate(db::Database&, const Args& args) {
    args.Expect(0);
    DataPacket p;
    p.fields = {{"SYSDATE", FieldType::DateTime}};
    p.rows = {{Variant(ServerNow())}};
    return MakePacketVariant(std::move(p));
}

Variant GetParamFilial(db::Database& db, const Args& args) {
    args.Expect(2);
    Params params;
    std::string where = "1 = 1";
    if (args.Text(1) != "T") {
        where = InList("CDFILIAL", DecodeSelection(args.Text(0)), "F", params);
    }
    return MakePacketVariant(QueryPacket(
        db,
        "SELECT CDFILIAL, IDINCOCORR, IDBLPRCOMEST, IDAPURAUTQFO FROM PARAMFILIAL WHERE " + where +
            " ORDER BY CDFILIAL",
        params,
        {{"CDFILIAL", FieldType::String, 4},
         {"IDINCOCORR", FieldType::String, 1},
         {"IDBLPRCOMEST", FieldType::String, 1},
         {"IDAPURAUTQFO", FieldType::String, 1}}));
}

namespace {

Variant TextOf(db::Database& db, const Args& args, const char* table, const char* column) {
    args.Expect(2);
    if (args.HasCaller() && !args.Caller().MayUse(args.Text(0))) {
        return Variant(ServerError{args.Caller().NoAccessTo(args.Text(0)) + "."});
    }
    return MakePacketVariant(
        QueryPacket(db,
                    std::string("SELECT CDFILILANCMO, NROCORRMOV, ") + column + ", NRVERSAO FROM " +
                        table + " WHERE CDFILILANCMO = :B AND NROCORRMOV = :N",
                    {{"B", Variant(args.Text(0))}, {"N", Variant(args.Text(1))}},
                    {{"CDFILILANCMO", FieldType::String, 4},
                     {"NROCORRMOV", FieldType::String, 10},
                     {column, FieldType::Memo},
                     {"NRVERSAO", FieldType::Integer}}));
}

// "F000123" names supplier 000123; only suppliers have invoices.
std::string SupplierOf(const std::string& kindAndCode) {
    return !kindAndCode.empty() && kindAndCode[0] == 'F' ? kindAndCode.substr(1) : std::string();
}

} // namespace

Variant GetDescMovOcorr(db::Database& db, const Args& args) {
    return TextOf(db, args, "DESCMOVOCORR", "DSMOVOCORR");
}

Variant GetParecer(db::Database& db, const Args& args) {
    return TextOf(db, args, "PARECER", "DSPAROCORMOV");
}

// An empty series stands for any series, in the invoice lookup, its check and the entry
// found at post alike: an invoice the lookup offers is one the check accepts.
Variant ValidNF(db::Database& db, const Args& args) {
    args.Expect(3);
    const std::string supplier = args.Text(2);
    auto st = db.Prepare("SELECT COUNT(*) FROM NOTAFISCAL WHERE (CDSERIEENTR = :S OR :S = '') AND "
                         "NRNOTAFISC = :N AND (CDFORNECED = :F OR :F = '')");
    st->Bind("S", Variant(Trim(args.Text(0))));
    st->Bind("N", Variant(args.Text(1)));
    st->Bind("F", Variant(supplier));
    return Variant(st->Next() && st->Value(0).AsInteger() > 0 ? "TRUE" : "FALSE");
}

Variant GetNotaFiscal(db::Database& db, const Args& args) {
    args.Expect(3);
    return MakePacketVariant(QueryPacket(
        db,
        "SELECT NF.NRNOTAFISC, NF.CDSERIEENTR, F.NMRAZSOCFORN, F.IDTPIJURFORN, F.NRINSJURFORN,"
        " NF.CDFILIAL, NF.NRLANCTONF, NF.CDFORNECED, NF.CDFILIRECE FROM NOTAFISCAL NF"
        " JOIN FORNECEDOR F ON F.CDFORNECED = NF.CDFORNECED"
        " WHERE NF.CDFORNECED = :F AND NF.CDFILIRECE = :B AND (NF.CDSERIEENTR = :S OR :S = '')"
        " ORDER BY NF.NRNOTAFISC",
        {{"F", Variant(SupplierOf(args.Text(0)))},
         {"B", Variant(args.Text(1))},
         {"S", Variant(Trim(args.Text(2)))}},
        {{"NRNOTAFISC", FieldType::String, 20},
         {"CDSERIEENTR", FieldType::String, 5},
         {"NMRAZSOCFORN", FieldType::String, 40},
         {"IDTPIJURFORN", FieldType::String, 1},
         {"NRINSJURFORN", FieldType::String, 20},
         {"CDFILIAL", FieldType::String, 4},
         {"NRLANCTONF", FieldType::String, 10},
         {"CDFORNECED", FieldType::String, 21},
         {"CDFILIRECE", FieldType::String, 4}}));
}

Variant GetPesqNF(db::Database& db, const Args& args) {
    args.Expect(5);
    // The entry received at the occurrence's branch comes first when there are several.
    return MakePacketVariant(QueryPacket(
        db,
        "SELECT CDFILIAL, NRLANCTONF, CDSERIEENTR, NRNOTAFISC FROM NOTAFISCAL"
        " WHERE (CDSERIEENTR = :S OR :S = '') AND NRNOTAFISC = :N AND CDFORNECED = :F"
        " ORDER BY CASE WHEN CDFILIRECE = :B THEN 0 ELSE 1 END, CDSERIEENTR, CDFILIAL, NRLANCTONF"
        " LIMIT 1",
        {{"S", Variant(Trim(args.Text(1)))},
         {"N", Variant(args.Text(2))},
         {"F", Variant(SupplierOf(args.Text(3)))},
         {"B", Variant(args.Text(4))}},
        {{"CDFILIAL", FieldType::String, 4},
         {"NRLANCTONF", FieldType::String, 10},
         {"CDSERIEENTR", FieldType::String, 5},
         {"NRNOTAFISC", FieldType::String, 20}}));
}

Variant GetLote(db::Database& db, const Args& args) {
    args.Expect(4);
    const std::vector<PacketField> fields = {{"LOTE", FieldType::String, 24},
                                             {"NRLOTEESTQ", FieldType::String, 20},
                                             {"NRSUBLOTE", FieldType::String, 4},
                                             {"IDUTILLOTE", FieldType::String, 1}};
    auto product = db.Prepare("SELECT IDUTILLOTE FROM PRODUTO WHERE CDPRODUTO = :P");
    product->Bind("P", Variant(args.Text(1)));
    if (!product->Next()) {
        DataPacket empty;
        empty.fields = fields;
        return MakePacketVariant(std::move(empty));
    }
    if (product->Value(0).AsString() != "S") {
        DataPacket notByBatch;
        notByBatch.fields = fields;
        notByBatch.rows = {{Variant(""), Variant(""), Variant(""), Variant("N")}};
        return MakePacketVariant(std::move(notByBatch));
    }
    return MakePacketVariant(QueryPacket(
        db,
        "SELECT NRLOTEESTQ || '/' || NRSUBLOTE, NRLOTEESTQ, NRSUBLOTE, 'S' FROM LOTEESTQ"
        " WHERE CDFILIAL = :F AND CDPRODUTO = :P AND (NRLOTEESTQ = :L OR :L = '')"
        " AND (NRSUBLOTE = :S OR :S = '') ORDER BY NRLOTEESTQ, NRSUBLOTE",
        {{"F", Variant(args.Text(0))},
         {"P", Variant(args.Text(1))},
         {"L", Variant(args.Text(2))},
         {"S", Variant(args.Text(3))}},
        fields));
}

} // namespace oca::server
