// GetHistorico: an occurrence's history as a person reads it, newest first.
#include "appserver/confirm_checks.h"
#include "appserver/history.h"

namespace oca::server {

namespace {

std::string OperationName(const std::string& kind) {
    switch (kind.empty() ? ' ' : kind[0]) {
    case kHistInsert:
        return "Inclusão";
    case kHistAlter:
        return "Alteração";
    case kHistText:
        return "Texto";
    case kHistDelete:
        return "Exclusão";
    default:
        return kind;
    }
}

std::string ColumnName(const std::string& column) {
    if (column == "DSMOVOCORR") {
        return "Descrição";
    }
    if (column == "DSPAROCORMOV") {
        return "Parecer";
    }
    return FieldLabel(column);
}

} // namespace

Variant GetHistorico(db::Database& db, const Args& args) {
    args.Expect(2);
    const std::string branch = args.Text(0, 4);
    const std::string number = args.Text(1, 10);
    if (!args.Caller().MayUse(branch)) {
        return Variant(ServerError{args.Caller().NoAccessTo(branch) + "."});
    }
    auto st = db.Prepare(
        "SELECT H.DTHIST, H.CDOPERADOR, O.NMOPERADOR, H.IDOPERACAO, H.NMCAMPO, H.DSVALORANT, "
        "H.DSVALORNOVO, H.IDCHAMADA FROM HISTMOVOCORR H LEFT JOIN OPERADOR O "
        "ON O.CDOPERADOR = H.CDOPERADOR WHERE H.CDFILILANCMO = :B AND H.NROCORRMOV = :N "
        "ORDER BY H.NRHIST DESC");
    st->Bind("B", Variant(branch));
    st->Bind("N", Variant(number));
    DataPacket p;
    p.fields = {{"DTHIST", FieldType::DateTime},       {"CDOPERADOR", FieldType::String, 12},
                {"NMOPERADOR", FieldType::String, 40}, {"DSOPERACAO", FieldType::String, 12},
                {"NMCAMPO", FieldType::String, 20},    {"DSCAMPO", FieldType::String, 40},
                {"DSVALORANT", FieldType::Memo},       {"DSVALORNOVO", FieldType::Memo},
                {"IDCHAMADA", FieldType::String, 220}};
    while (st->Next()) {
        const std::string column = st->Value(4).AsString();
        p.rows.push_back({Variant(st->Value(0).AsDateTime()), st->Value(1), st->Value(2),
                          Variant(OperationName(st->Value(3).AsString())), Variant(column),
                          Variant(ColumnName(column)), st->Value(5), st->Value(6), st->Value(7)});
    }
    return MakePacketVariant(std::move(p));
}

} // namespace oca::server
