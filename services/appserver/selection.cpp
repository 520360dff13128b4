// GetMovOcorr: the occurrences of a filter selection.
#include "appserver/occurrence_record.h"
#include "appserver/server.h"
#include "appserver/sql_lists.h"

#include "core/selection.h"
#include "core/text.h"

namespace oca::server {

namespace {

PacketField F(const char* name, FieldType type, int size = 0) {
    return PacketField(name, type, size);
}

constexpr FieldType S = FieldType::String;

} // namespace

const std::vector<RecordColumn>& OccurrenceColumns() {
    static const std::vector<RecordColumn> columns = {
        {F("CDFILIAL", S, 4), "M.CDFILIAL", true},
        {F("NMFILIAL", S, 30), "FI.NMFILIAL", false},
        {F("CDFILILANCMO", S, 4), "M.CDFILILANCMO", true},
        {F("NROCORRMOV", S, 10), "M.NROCORRMOV", true},
        {F("DTOCORRMOV", FieldType::DateTime), "M.DTOCORRMOV", true},
        {F("CDFORNECED", S, 21), "M.CDFORNECED", true},
        {F("CDOPERADOR", S, 12), "M.CDOPERADOR", true},
        {F("NMOPERADOR", S, 40), "O.NMOPERADOR", false},
        {F("NMPESSIDETOC", S, 30), "M.NMPESSIDETOC", true},
        {F("CDGRPOCOR", S, 2), "M.CDGRPOCOR", true},
        {F("DSGRPOCOR", S, 30), "G.DSGRPOCOR", false},
        {F("CDOCORR", S, 2), "M.CDOCORR", true},
        {F("DSOCORR", S, 40), "OC.DSOCORR", false},
        {F("DSSUMARIAOC", S, 30), "M.DSSUMARIAOC", true},
        {F("CDPRODUTO", S, 10), "M.CDPRODUTO", true},
        {F("CDARVPROD", S, 20), "P.CDARVPROD", false},
        {F("NMPRODUTO", S, 50), "P.NMPRODUTO", false},
        {F("CDDESTPROD", S, 2), "M.CDDESTPROD", true},
        {F("DSDESTPROD", S, 40), "D.DSDESTPROD", false},
        {F("NMPESSAUTOOC", S, 40), "M.NMPESSAUTOOC", true},
        {F("CDCLIENTE", S, 21), "M.CDCLIENTE", true},
        {F("CDPROSPECT", S, 21), "M.CDPROSPECT", true},
        {F("CDSEGMER", S, 5), "M.CDSEGMER", true},
        {F("DSSEGMER", S, 40), "S.DSSEGMER", false},
        {F("NRLOTEESTQ", S, 20), "M.NRLOTEESTQ", true},
        {F("NRSUBLOTE", S, 4), "M.NRSUBLOTE", true},
        {F("CDFILIALNF", S, 4), "M.CDFILIALNF", true},
        {F("NRLANCTONF", S, 10), "M.NRLANCTONF", true},
        {F("CDSERIEENTR", S, 5), "NF.CDSERIEENTR", false},
        {F("NRNOTAFISC", S, 20), "NF.NRNOTAFISC", false},
        {F("NRINSJUR", S, 20), "COALESCE(F.NRINSJURFORN, C.NRINSJURCLIE, PR.NRINSJURPROS)", false},
        {F("DSCLASSOCOR", S, 40), "M.DSCLASSOCOR", true},
        {F("CDFORNTRANSP", S, 21), "M.CDFORNTRANSP", true},
        {F("NMRAZSOCTRANS", S, 40), "FT.NMRAZSOCFORN", false},
        {F("NRINSJURTRANS", S, 20), "FT.NRINSJURFORN", false},
        {F("IDTPIJURTRANS", S, 1), "FT.IDTPIJURFORN", false},
        {F("NRTAREFA", S, 10), "M.NRTAREFA", true},
        {F("DSREFETAREFA", S, 100), "TA.DSREFETAREFA", false},
        {F("NMRAZSOC", S, 50), "COALESCE(F.NMRAZSOCFORN, C.NMRAZSOCCLIE, PR.NMRAZSOCPROS)", false},
        {F("IDTPIJUR", S, 1), "COALESCE(F.IDTPIJURFORN, C.IDTPIJURCLIE, PR.IDTPIJURPROS)", false},
        {F("TIPO", S, 1),
         "CASE WHEN F.NRINSJURFORN IS NOT NULL THEN 'F' WHEN C.NRINSJURCLIE IS NOT NULL THEN 'C'"
         " ELSE 'P' END",
         false},
    };
    return columns;
}

bool IsRecordColumn(const std::string& name, bool* own) {
    for (const RecordColumn& c : OccurrenceColumns()) {
        if (c.field.name == name) {
            if (own) {
                *own = c.own;
            }
            return true;
        }
    }
    return false;
}

namespace {

constexpr const char* kJoins =
    " FROM MOVOCORR M"
    " JOIN FILIAL FI ON FI.CDFILIAL = M.CDFILIAL"
    " JOIN OPERADOR O ON O.CDOPERADOR = M.CDOPERADOR"
    " LEFT JOIN NOTAFISCAL NF ON NF.CDFILIAL = M.CDFILIALNF AND NF.NRLANCTONF = M.NRLANCTONF"
    " LEFT JOIN FORNECEDOR F ON F.CDFORNECED = M.CDFORNECED"
    " LEFT JOIN CLIENTE C ON C.CDCLIENTE = M.CDCLIENTE"
    " LEFT JOIN PROSPECT PR ON PR.CDPROSPECT = M.CDPROSPECT"
    " LEFT JOIN SEGMERCADO S ON S.CDSEGMER = M.CDSEGMER"
    " LEFT JOIN FORNECEDOR FT ON FT.CDFORNECED = M.CDFORNTRANSP"
    " LEFT JOIN OCORRENCIA OC ON OC.CDGRPOCOR = M.CDGRPOCOR AND OC.CDOCORR = M.CDOCORR"
    " LEFT JOIN GRUPOCOR G ON G.CDGRPOCOR = M.CDGRPOCOR"
    " LEFT JOIN PRODUTO P ON P.CDPRODUTO = M.CDPRODUTO"
    " LEFT JOIN DESTPROD D ON D.CDDESTPROD = M.CDDESTPROD"
    " LEFT JOIN TAREFA TA ON TA.NRTAREFA = M.NRTAREFA";

// A list criterion: every row with the flag "T"; else the rows whose code is one of the
// keys of the selection string (none for an empty one).
std::string ListCondition(const std::string& column, const std::string& list,
                          const std::string& flag, const std::string& prefix, Params& params) {
    if (flag == "T") {
        return "1 = 1";
    }
    return InList(column, DecodeSelection(list), prefix, params);
}

// One kind of contact: an empty parameter accepts every row with a code of that kind,
// "_" none, a list the codes of its keys of that kind ("C000123": customer 000123). A
// key without a kind letter names a code of any kind.
std::string ContactCondition(const std::string& column, char kind, const std::string& param,
                             const std::string& prefix, Params& params) {
    if (Trim(param).empty()) {
        return "(" + column + " IS NOT NULL AND " + column + " <> '')";
    }
    if (param == "_") {
        return "1 = 0";
    }
    std::vector<std::string> codes;
    for (const std::string& key : DecodeSelection(param)) {
        if (key.size() > 1 && key[0] == kind) {
            codes.push_back(key.substr(1));
        } else if (!key.empty() && key[0] != 'C' && key[0] != 'F' && key[0] != 'P') {
            codes.push_back(key);
        }
    }
    return InList(column, codes, prefix, params);
}

std::string SelectList() {
    std::string sql = "SELECT ";
    bool first = true;
    for (const RecordColumn& c : OccurrenceColumns()) {
        sql += (first ? "" : ", ") + std::string(c.expression);
        first = false;
    }
    return sql;
}

std::vector<PacketField> RecordFields() {
    std::vector<PacketField> fields;
    for (const RecordColumn& c : OccurrenceColumns()) {
        fields.push_back(c.field);
    }
    return fields;
}

} // namespace

SelectionQuery BuildSelection(const Args& args) {
    args.Expect(13);
    const std::optional<TDateTime> from = args.Date(6);
    const std::optional<TDateTime> to = args.Date(7);
    Params params;
    std::string where;
    if (!from || !to) {
        where = "1 = 0"; // a period without both ends selects nothing
    } else {
        // The date part of the occurrence between both ends, included. A start with a time
        // of day is later than its own day's date part, so that day is left out.
        const TDateTime firstDay = DateOf(*from);
        const bool timed = from->Value > firstDay.Value;
        params.emplace_back("INI", Variant(TDateTime(firstDay.Value + (timed ? 1 : 0))));
        params.emplace_back("FIM", Variant(TDateTime(DateOf(*to).Value + 1)));
        where = "M.DTOCORRMOV >= :INI AND M.DTOCORRMOV < :FIM";
    }
    where += " AND " + ListCondition("M.CDFILIAL", args.Text(0), args.Text(1), "FIL", params);
    where += " AND " + ListCondition("M.CDGRPOCOR", args.Text(2), args.Text(3), "GRP", params);
    where += " AND " + ListCondition("M.CDSEGMER", args.Text(4), args.Text(5), "SEG", params);
    where += " AND " + ListCondition("M.NRTAREFA", args.Text(8), args.Text(9), "TAR", params);
    where += " AND (" + ContactCondition("M.CDCLIENTE", 'C', args.Text(10), "CLI", params) +
             " OR " + ContactCondition("M.CDPROSPECT", 'P', args.Text(11), "PRO", params) + " OR " +
             ContactCondition("M.CDFORNECED", 'F', args.Text(12), "FOR", params) + ")";
    where += GrantedBranches(args, "M.CDFILIAL", params);
    return {SelectList() + kJoins + " WHERE " + where + " ORDER BY M.NROCORRMOV, M.CDFILILANCMO",
            std::move(params)};
}

DataPacket OccurrenceRecord(db::Database& db, const std::string& branch,
                            const std::string& number) {
    return QueryPacket(db,
                       SelectList() + kJoins + " WHERE M.CDFILILANCMO = :B AND M.NROCORRMOV = :N",
                       {{"B", Variant(branch)}, {"N", Variant(number)}}, RecordFields());
}

Variant GetMovOcorr(db::Database& db, const Args& args) {
    const SelectionQuery query = BuildSelection(args);
    return MakePacketVariant(QueryPacket(db, query.sql, query.params, RecordFields()));
}

void GetMovOcorrText(db::Database& db, const Args& args, std::string& text,
                     const std::function<void(std::string&)>& flush) {
    const SelectionQuery query = BuildSelection(args);
    QueryPacketText(db, query.sql, query.params, RecordFields(), text, flush);
}

} // namespace oca::server
