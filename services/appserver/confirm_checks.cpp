// What Confirma checks of an occurrence's values: the company's tables refer to each other
// by code, and the database itself does not hold those references.
#include "appserver/confirm_checks.h"

#include "appserver/occurrence_record.h"
#include "core/datetime.h"
#include "core/text.h"

#include <map>
#include <set>

namespace oca::server {

namespace {

struct Reference {
    std::vector<const char*> columns; ///< of MOVOCORR
    const char* table;
    std::vector<const char*> keys; ///< of `table`, one per column
};

const std::vector<Reference>& References() {
    static const std::vector<Reference> references = {
        {{"CDFILIAL"}, "FILIAL", {"CDFILIAL"}},
        {{"CDFILILANCMO"}, "FILIAL", {"CDFILIAL"}},
        {{"CDOPERADOR"}, "OPERADOR", {"CDOPERADOR"}},
        {{"CDGRPOCOR"}, "GRUPOCOR", {"CDGRPOCOR"}},
        {{"CDGRPOCOR", "CDOCORR"}, "OCORRENCIA", {"CDGRPOCOR", "CDOCORR"}},
        {{"CDPRODUTO"}, "PRODUTO", {"CDPRODUTO"}},
        {{"CDDESTPROD"}, "DESTPROD", {"CDDESTPROD"}},
        {{"CDSEGMER"}, "SEGMERCADO", {"CDSEGMER"}},
        {{"CDFORNECED"}, "FORNECEDOR", {"CDFORNECED"}},
        {{"CDCLIENTE"}, "CLIENTE", {"CDCLIENTE"}},
        {{"CDPROSPECT"}, "PROSPECT", {"CDPROSPECT"}},
        {{"CDFORNTRANSP"}, "FORNECEDOR", {"CDFORNECED"}},
        {{"NRTAREFA"}, "TAREFA", {"NRTAREFA"}},
        {{"CDFILIALNF", "NRLANCTONF"}, "NOTAFISCAL", {"CDFILIAL", "NRLANCTONF"}},
    };
    return references;
}

bool Blank(const Variant& v) {
    return v.IsNull() || (v.Type() == VarType::String && Trim(*v.Get<std::string>()).empty());
}

bool Changed(const RowChange& change, size_t i) {
    if (change.state == RowState::Inserted) {
        return true;
    }
    return change.oldValues[i].IsNull() != change.newValues[i].IsNull() ||
           change.oldValues[i].AsString() != change.newValues[i].AsString();
}

void CheckWidth(const PacketField& field, const Variant& value) {
    int width = 0;
    for (const RecordColumn& c : OccurrenceColumns()) {
        if (c.field.name == field.name) {
            width = c.field.size;
        }
    }
    if (width > 0 && value.Type() == VarType::String &&
        Characters(*value.Get<std::string>()) > static_cast<size_t>(width)) {
        throw ConfirmFailure("O campo " + FieldLabel(field.name) + " aceita no máximo " +
                             std::to_string(width) + " caracteres; nada foi gravado.");
    }
    // A code or number with a control character is never typed, only forged: it would
    // look like another code to the person and not to the database.
    const bool code = field.name.rfind("CD", 0) == 0 || field.name.rfind("NR", 0) == 0;
    if (code && value.Type() == VarType::String &&
        HasControlCharacters(*value.Get<std::string>(), false)) {
        throw ConfirmFailure("O campo " + FieldLabel(field.name) +
                             " tem caracteres de controle; nada foi gravado.");
    }
}

void CheckReference(db::Database& db, const Reference& ref, const std::vector<Variant>& values) {
    std::string sql = std::string("SELECT 1 FROM ") + ref.table + " WHERE ";
    std::vector<std::pair<std::string, Variant>> params;
    for (size_t k = 0; k < ref.keys.size(); ++k) {
        const std::string name = "K" + std::to_string(k);
        sql += (k ? " AND " : "") + std::string(ref.keys[k]) + " = :" + name;
        params.emplace_back(name, Variant(Trim(values[k].AsString())));
    }
    auto st = db.Prepare(sql);
    for (const auto& [name, value] : params) {
        st->Bind(name, value);
    }
    if (!st->Next()) {
        throw ConfirmFailure("O campo " + FieldLabel(ref.columns.back()) + " tem um código (" +
                             Trim(values.back().AsString()) +
                             ") que não existe no cadastro; nada foi gravado.");
    }
}

} // namespace

size_t Characters(const std::string& text) {
    size_t n = 0;
    for (unsigned char c : text) {
        n += (c & 0xC0) != 0x80;
    }
    return n;
}

std::string Comparable(const Variant& v) {
    if (v.IsNull()) {
        return {};
    }
    if (v.Type() == VarType::String && Trim(*v.Get<std::string>()).empty()) {
        return {};
    }
    if (v.Type() == VarType::DateTime) {
        return ToIsoText(*v.Get<TDateTime>());
    }
    return v.AsString();
}

std::string FieldLabel(const std::string& column) {
    static const std::map<std::string, std::string> labels = {
        {"CDFILIAL", "Filial"},
        {"CDFILILANCMO", "Filial de Lançamento"},
        {"NROCORRMOV", "Nº Ocorrência"},
        {"DTOCORRMOV", "Data"},
        {"CDFORNECED", "Fornecedor"},
        {"CDOPERADOR", "Responsável"},
        {"NMPESSIDETOC", "Responsável pela Identificação"},
        {"CDGRPOCOR", "Grupo de Ocorrência"},
        {"CDOCORR", "Ocorrência"},
        {"DSSUMARIAOC", "Descrição Sumária"},
        {"CDPRODUTO", "Produto"},
        {"CDDESTPROD", "Destino do Produto"},
        {"NMPESSAUTOOC", "Autorizado"},
        {"CDCLIENTE", "Cliente"},
        {"CDPROSPECT", "Prospect"},
        {"CDSEGMER", "Segmento de Mercado"},
        {"NRLOTEESTQ", "Lote"},
        {"NRSUBLOTE", "Sub-Lote"},
        {"CDFILIALNF", "Filial da Nota Fiscal"},
        {"NRLANCTONF", "Nota Fiscal"},
        {"DSCLASSOCOR", "Classificação"},
        {"CDFORNTRANSP", "Transportadora"},
        {"NRTAREFA", "Tarefa"},
    };
    const auto it = labels.find(column);
    return it == labels.end() ? column : it->second + " (" + column + ")";
}

namespace {

void CheckRequired(const DataPacket& delta, const RowChange& change) {
    // The columns an occurrence cannot be stored without; the branch of record and the
    // number are the key, checked and given apart.
    for (const char* column : {"CDFILIAL", "CDOPERADOR"}) {
        const int i = delta.FieldIndex(column);
        const bool missing = i < 0 ? change.state == RowState::Inserted
                                   : Changed(change, static_cast<size_t>(i)) &&
                                         Blank(change.newValues[static_cast<size_t>(i)]);
        if (missing) {
            throw ConfirmFailure("O campo " + FieldLabel(column) +
                                 " deve ser informado; nada foi gravado.");
        }
    }
}

} // namespace

void CheckOccurrenceValues(db::Database& db, const DataPacket& delta, const RowChange& change,
                           const std::vector<int>& own) {
    CheckRequired(delta, change);
    const Row& values = change.newValues;
    for (int i : own) {
        const size_t at = static_cast<size_t>(i);
        if (Changed(change, at)) {
            CheckWidth(delta.fields[at], values[at]);
        }
    }
    // The branch and the branch of record are most often the same code: asked once.
    std::set<std::string> found;
    for (const Reference& ref : References()) {
        std::vector<Variant> given;
        bool touched = false;
        bool blank = false;
        for (const char* column : ref.columns) {
            const int i = delta.FieldIndex(column);
            if (i < 0) {
                blank = true;
                break;
            }
            given.push_back(values[static_cast<size_t>(i)]);
            blank = blank || Blank(given.back());
            touched = touched || Changed(change, static_cast<size_t>(i));
        }
        // An empty code refers to nothing; whether it may be empty is the screen's rule.
        std::string asked = ref.table;
        for (const Variant& v : given) {
            asked += '\x1f' + Trim(v.AsString());
        }
        if (touched && !blank && found.insert(asked).second) {
            CheckReference(db, ref, given);
        }
    }
}

} // namespace oca::server
