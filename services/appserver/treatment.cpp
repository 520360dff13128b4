// The treatment of an occurrence up to its closure: who owns it, by when, its cause and
// its actions. The server keeps its rules whatever a screen sent: a treatment closes only
// once its actions are done and checked, a closed or cancelled one changes only by being
// reopened with a reason, and a change made from an old reading is a conflict.
#include "appserver/access_rules.h"
#include "appserver/confirm_checks.h"
#include "appserver/history.h"
#include "appserver/server.h"
#include "appserver/sql_lists.h"
#include "core/datetime.h"
#include "core/text.h"
#include "core/treatment_names.h"

#include <algorithm>
#include <map>
#include <set>

namespace oca::server {

namespace {

const std::vector<PacketField>& TreatmentFields() {
    static const std::vector<PacketField> fields = {
        {"CDFILILANCMO", FieldType::String, 4},   {"NROCORRMOV", FieldType::String, 10},
        {"IDSITUACAO", FieldType::String, 1},     {"CDOPERRESP", FieldType::String, 12},
        {"DTPRAZO", FieldType::DateTime},         {"DSCAUSA", FieldType::Memo},
        {"DSACAOIMED", FieldType::Memo},          {"DTENCERRA", FieldType::DateTime},
        {"CDOPERENCERRA", FieldType::String, 12}, {"DSMOTIVOREAB", FieldType::Memo},
        {"NRVERSAO", FieldType::Integer},
    };
    return fields;
}

const std::vector<PacketField>& ActionFields() {
    static const std::vector<PacketField> fields = {
        {"CDFILILANCMO", FieldType::String, 4}, {"NROCORRMOV", FieldType::String, 10},
        {"NRACAO", FieldType::Integer},         {"IDTIPO", FieldType::String, 1},
        {"DSACAO", FieldType::String, 200},     {"CDOPERRESP", FieldType::String, 12},
        {"DTPREVISTA", FieldType::DateTime},    {"DTREALIZADA", FieldType::DateTime},
        {"IDSITUACAO", FieldType::String, 1},   {"DTVERIFICA", FieldType::DateTime},
        {"IDEFICAZ", FieldType::String, 1},     {"DSVERIFICA", FieldType::String, 200},
        {"NRVERSAO", FieldType::Integer},
    };
    return fields;
}

std::string Columns(const std::vector<PacketField>& fields, const std::string& prefix = "") {
    std::string out;
    for (const PacketField& f : fields) {
        out += (out.empty() ? "" : ", ") + prefix + f.name;
    }
    return out;
}

bool Closed(const std::string& status) {
    return status == "F" || status == "C";
}

std::string Key(const std::string& branch, const std::string& number) {
    return branch + "/" + number;
}

bool OccurrenceThere(db::Database& db, const std::string& branch, const std::string& number) {
    auto st = db.Prepare("SELECT 1 FROM MOVOCORR WHERE CDFILILANCMO = :B AND NROCORRMOV = :N");
    st->Bind("B", Variant(branch));
    st->Bind("N", Variant(number));
    return st->Next();
}

// The values of a packet row by column name; names the table does not have are refused.
class Values {
public:
    Values(const DataPacket& packet, const Row& row, const std::vector<PacketField>& own,
           const char* what) {
        for (size_t i = 0; i < packet.fields.size() && i < row.size(); ++i) {
            const std::string& name = packet.fields[i].name;
            const bool known = std::any_of(own.begin(), own.end(),
                                           [&](const PacketField& f) { return f.name == name; });
            // Names looked up for the screen are not the table's: read, never written.
            if (!known && name != "NMOPERRESP" && name != "NMOPERENCERRA") {
                throw RpcError(kInvalidParams, std::string(what) + " não tem a coluna " + name);
            }
            if (known) {
                values_[name] = row[i];
            }
        }
    }
    bool Has(const std::string& name) const { return values_.count(name) != 0; }
    Variant Get(const std::string& name) const {
        const auto it = values_.find(name);
        return it == values_.end() ? Variant() : it->second;
    }
    std::string Text(const std::string& name) const {
        const Variant v = Get(name);
        return v.IsNull() ? std::string() : Trim(v.AsString());
    }

private:
    std::map<std::string, Variant> values_;
};

void NeedOperator(db::Database& db, const std::string& code, const std::string& label) {
    if (code.empty()) {
        return;
    }
    auto st = db.Prepare("SELECT 1 FROM OPERADOR WHERE CDOPERADOR = :O");
    st->Bind("O", Variant(code));
    if (!st->Next()) {
        throw ConfirmFailure("O campo " + label + " tem um código (" + code +
                             ") que não existe no cadastro; nada foi gravado.");
    }
}

Variant DateOrNull(const Variant& v) {
    if (v.IsNull() || (v.Type() == VarType::String && Trim(v.AsString()).empty())) {
        return Variant();
    }
    return v.Type() == VarType::DateTime ? v : Variant(v.AsDateTime());
}

Variant TextOrNull(const std::string& text) {
    return text.empty() ? Variant() : Variant(text);
}

struct Stored {
    bool found = false;
    std::map<std::string, Variant> values;
    std::string Text(const std::string& name) const {
        const auto it = values.find(name);
        return it == values.end() || it->second.IsNull() ? std::string()
                                                         : Trim(it->second.AsString());
    }
};

Stored ReadRow(db::Database& db, const std::string& sql, const std::vector<PacketField>& fields,
               const std::vector<std::pair<std::string, Variant>>& key) {
    auto st = db.Prepare(sql + std::string(db.RowLock()));
    for (const auto& [name, value] : key) {
        st->Bind(name, value);
    }
    Stored stored;
    stored.found = st->Next();
    if (stored.found) {
        for (size_t i = 0; i < fields.size(); ++i) {
            stored.values[fields[i].name] = st->Value(i);
        }
    }
    return stored;
}

// What one call changes of one occurrence's treatment.
class TreatmentWrite {
public:
    TreatmentWrite(db::Database& db, const Args& args, HistoryWriter& history)
        : db_(db), caller_(args.Caller()), history_(history) {}

    void Treatment(const DataPacket& delta, const RowChange& change) {
        if (change.state == RowState::Deleted) {
            throw ConfirmFailure("Um tratamento não se exclui: cancele-o; nada foi gravado.");
        }
        const Values values(delta, change.newValues, TreatmentFields(), "O tratamento");
        const Values old(delta, change.oldValues, TreatmentFields(), "O tratamento");
        Occurrence(values.Text("CDFILILANCMO"), values.Text("NROCORRMOV"));
        const Stored stored = Read();
        CheckReading(stored, change.state == RowState::Inserted, old.Get("NRVERSAO"),
                     "O tratamento");
        std::string status = values.Text("IDSITUACAO");
        status = status.empty() ? "A" : status;
        if (status.size() != 1 || std::string("ANEFC").find(status) == std::string::npos) {
            throw ConfirmFailure("Situação de tratamento desconhecida (" + status +
                                 "); nada foi gravado.");
        }
        const std::string before = stored.found ? stored.Text("IDSITUACAO") : "A";
        reopened_ = Closed(before) && !Closed(status);
        if (Closed(before) && !reopened_) {
            throw ConfirmFailure("O tratamento da ocorrência " + Key(branch_, number_) + " está " +
                                 Lower(TreatmentSituationName(before)) +
                                 ": só muda se for reaberto, com o motivo; nada foi gravado.");
        }
        const std::string reason = values.Text("DSMOTIVOREAB");
        if (reopened_ && (reason.empty() || reason == stored.Text("DSMOTIVOREAB"))) {
            throw ConfirmFailure("Informe o motivo da reabertura do tratamento da ocorrência " +
                                 Key(branch_, number_) + "; nada foi gravado.");
        }
        NeedOperator(db_, values.Text("CDOPERRESP"), "Responsável (CDOPERRESP)");
        closing_ = status == "F" && before != "F";
        std::vector<std::pair<std::string, Variant>> row = {
            {"IDSITUACAO", Variant(status)},
            {"CDOPERRESP", TextOrNull(values.Text("CDOPERRESP"))},
            {"DTPRAZO", DateOrNull(values.Get("DTPRAZO"))},
            {"DSCAUSA", TextOrNull(values.Text("DSCAUSA"))},
            {"DSACAOIMED", TextOrNull(values.Text("DSACAOIMED"))},
            {"DSMOTIVOREAB", TextOrNull(reopened_ ? reason : stored.Text("DSMOTIVOREAB"))},
        };
        // Who closed it and when are the server's to say; a reopened treatment is open again.
        if (closing_) {
            row.emplace_back("DTENCERRA", Variant(ServerNow()));
            row.emplace_back("CDOPERENCERRA", Variant(caller_.op));
        } else if (!Closed(status)) {
            row.emplace_back("DTENCERRA", Variant());
            row.emplace_back("CDOPERENCERRA", Variant());
        }
        Store("TRATOCORR", "TRAT.", stored, row, {}, 0);
    }

    void Action(const DataPacket& delta, const RowChange& change) {
        const Row& given = change.state == RowState::Deleted ? change.oldValues : change.newValues;
        const Values values(delta, given, ActionFields(), "A ação");
        const Values old(delta, change.oldValues, ActionFields(), "A ação");
        Occurrence(values.Text("CDFILILANCMO"), values.Text("NROCORRMOV"));
        if (Closed(CurrentStatus())) {
            throw ConfirmFailure("O tratamento da ocorrência " + Key(branch_, number_) + " está " +
                                 Lower(TreatmentSituationName(CurrentStatus())) +
                                 ": suas ações não mudam; nada foi gravado.");
        }
        if (change.state == RowState::Inserted) {
            InsertAction(values);
            return;
        }
        const std::int64_t n = old.Get("NRACAO").IsNull() ? 0 : old.Get("NRACAO").AsInteger();
        const Stored stored = ReadAction(n);
        if (!stored.found) {
            throw ConfirmFailure("A ação " + std::to_string(n) + " da ocorrência " +
                                 Key(branch_, number_) +
                                 " foi excluída por outro usuário; nada foi gravado. Use "
                                 "Verificar para carregar a versão atual.");
        }
        CheckReading(stored, false, old.Get("NRVERSAO"), "A ação " + std::to_string(n));
        if (change.state == RowState::Deleted) {
            for (const auto& [name, value] : stored.values) {
                if (!value.IsNull() && name != "NRVERSAO") {
                    history_.Altered(branch_, number_, ActionColumn(n, name), value, Variant());
                }
            }
            db_.Execute("DELETE FROM ACAOOCORR WHERE CDFILILANCMO = :B AND NROCORRMOV = :N AND "
                        "NRACAO = :A",
                        {{"B", Variant(branch_)}, {"N", Variant(number_)}, {"A", Variant(n)}});
            return;
        }
        Store("ACAOOCORR", "", stored, ActionRow(values), {{"A", Variant(n)}}, n);
    }

    // The rules that look at the whole, once every change of the call is in.
    void Finish() {
        if (branch_.empty()) {
            return;
        }
        if (!treatmentSeen_ && !Read().found) {
            // Actions of an occurrence whose treatment was never written: it starts open.
            db_.Execute("INSERT INTO TRATOCORR (CDFILILANCMO, NROCORRMOV, IDSITUACAO) VALUES "
                        "(:B, :N, 'A')",
                        {{"B", Variant(branch_)}, {"N", Variant(number_)}});
        }
        if (!closing_) {
            return;
        }
        auto st = db_.Prepare("SELECT COUNT(*) FROM ACAOOCORR WHERE CDFILILANCMO = :B AND "
                              "NROCORRMOV = :N AND (IDSITUACAO = 'A' OR (IDSITUACAO = 'R' AND "
                              "(DTVERIFICA IS NULL OR IDEFICAZ IS NULL)))");
        st->Bind("B", Variant(branch_));
        st->Bind("N", Variant(number_));
        if (st->Next() && st->Value(0).AsInteger() > 0) {
            throw ConfirmFailure(
                "O tratamento da ocorrência " + Key(branch_, number_) +
                " não pode ser encerrado: há ações abertas ou sem a verificação de eficácia "
                "(data e resultado); nada foi gravado.");
        }
    }

private:
    void Occurrence(const std::string& branch, const std::string& number) {
        if (branch.empty() || number.empty()) {
            throw ConfirmFailure("O tratamento não indica a sua ocorrência; nada foi gravado.");
        }
        if (!branch_.empty() && (branch != branch_ || number != number_)) {
            throw ConfirmFailure("Uma gravação trata de uma ocorrência só; nada foi gravado.");
        }
        if (branch_.empty()) {
            NeedBranch(caller_, branch);
            if (!OccurrenceThere(db_, branch, number)) {
                throw ConfirmFailure("A ocorrência " + Key(branch, number) +
                                     " não existe mais (foi excluída por outro usuário); nada "
                                     "foi gravado.");
            }
        }
        branch_ = branch;
        number_ = number;
    }

    Stored Read() {
        return ReadRow(db_,
                       "SELECT " + Columns(TreatmentFields()) +
                           " FROM TRATOCORR WHERE CDFILILANCMO = :B AND NROCORRMOV = :N",
                       TreatmentFields(), {{"B", Variant(branch_)}, {"N", Variant(number_)}});
    }

    Stored ReadAction(std::int64_t n) {
        return ReadRow(db_,
                       "SELECT " + Columns(ActionFields()) +
                           " FROM ACAOOCORR WHERE CDFILILANCMO = :B AND NROCORRMOV = :N AND "
                           "NRACAO = :A",
                       ActionFields(),
                       {{"B", Variant(branch_)}, {"N", Variant(number_)}, {"A", Variant(n)}});
    }

    // The treatment's situation as the call found it: written in this call, it was open or
    // is being reopened (else it was refused), and its actions may change with it.
    std::string CurrentStatus() {
        if (!treatmentSeen_) {
            const Stored stored = Read();
            return stored.found ? stored.Text("IDSITUACAO") : "A";
        }
        return "A";
    }

    // A change from a reading older than what is stored would undo another user's.
    void CheckReading(const Stored& stored, bool inserting, const Variant& readVersion,
                      const std::string& what) {
        const std::int64_t version = readVersion.IsNull() ? 0 : readVersion.AsInteger();
        const std::int64_t now = stored.found ? stored.values.at("NRVERSAO").AsInteger() : 0;
        if ((inserting && stored.found) || (!inserting && version != now)) {
            throw ConfirmFailure(what + " da ocorrência " + Key(branch_, number_) +
                                 " foi alterado por outro usuário depois de carregado; nada foi "
                                 "gravado. Use Verificar para carregar a versão atual.");
        }
    }

    std::vector<std::pair<std::string, Variant>> ActionRow(const Values& values) {
        const std::string kind = values.Text("IDTIPO");
        if (kind != "C" && kind != "P") {
            throw ConfirmFailure("Informe o tipo da ação: corretiva (C) ou preventiva (P); nada "
                                 "foi gravado.");
        }
        const std::string text = values.Text("DSACAO");
        if (text.empty() || Characters(text) > 200) {
            throw ConfirmFailure("Descreva a ação em até 200 caracteres; nada foi gravado.");
        }
        std::string status = values.Text("IDSITUACAO");
        status = status.empty() ? "A" : status;
        if (status != "A" && status != "R" && status != "C") {
            throw ConfirmFailure("Situação de ação desconhecida (" + status +
                                 "); nada foi gravado.");
        }
        const std::string effective = values.Text("IDEFICAZ");
        if (!effective.empty() && effective != "S" && effective != "N") {
            throw ConfirmFailure("A eficácia da ação é S (eficaz) ou N (não eficaz); nada foi "
                                 "gravado.");
        }
        const std::string note = values.Text("DSVERIFICA");
        if (Characters(note) > 200) {
            throw ConfirmFailure("A nota da verificação aceita no máximo 200 caracteres; nada foi "
                                 "gravado.");
        }
        NeedOperator(db_, values.Text("CDOPERRESP"), "Responsável pela ação (CDOPERRESP)");
        Variant done = DateOrNull(values.Get("DTREALIZADA"));
        if (status == "R" && done.IsNull()) {
            done = Variant(ServerNow()); // done now, as far as anyone said
        }
        return {{"IDTIPO", Variant(kind)},
                {"DSACAO", Variant(text)},
                {"CDOPERRESP", TextOrNull(values.Text("CDOPERRESP"))},
                {"DTPREVISTA", DateOrNull(values.Get("DTPREVISTA"))},
                {"DTREALIZADA", done},
                {"IDSITUACAO", Variant(status)},
                {"DTVERIFICA", DateOrNull(values.Get("DTVERIFICA"))},
                {"IDEFICAZ", TextOrNull(effective)},
                {"DSVERIFICA", TextOrNull(note)}};
    }

    void InsertAction(const Values& values) {
        const auto row = ActionRow(values);
        auto st = db_.Prepare("SELECT COALESCE(MAX(NRACAO), 0) + 1 FROM ACAOOCORR WHERE "
                              "CDFILILANCMO = :B AND NROCORRMOV = :N");
        st->Bind("B", Variant(branch_));
        st->Bind("N", Variant(number_));
        st->Next();
        const std::int64_t n = st->Value(0).AsInteger();
        st.reset();
        Store("ACAOOCORR", "", Stored{}, row, {{"A", Variant(n)}}, n);
    }

    static std::string ActionColumn(std::int64_t n, const std::string& column) {
        return "ACAO" + std::to_string(n) + "." + column;
    }

    // Writes the row's changed columns (all of them for a new row), and their history.
    void Store(const std::string& table, const std::string& historyPrefix, const Stored& stored,
               const std::vector<std::pair<std::string, Variant>>& row,
               std::vector<std::pair<std::string, Variant>> key, std::int64_t action) {
        key.emplace_back("B", Variant(branch_));
        key.emplace_back("N", Variant(number_));
        std::string where = " WHERE CDFILILANCMO = :B AND NROCORRMOV = :N";
        if (action != 0) {
            where += " AND NRACAO = :A";
        }
        std::string sets, names = "CDFILILANCMO, NROCORRMOV", marks = ":B, :N";
        if (action != 0) {
            names += ", NRACAO";
            marks += ", :A";
        }
        auto params = key;
        for (const auto& [column, value] : row) {
            const auto was = stored.values.find(column);
            const Variant before = was == stored.values.end() ? Variant() : was->second;
            if (stored.found && Comparable(before) == Comparable(value)) {
                continue;
            }
            if (!value.IsNull() || !before.IsNull()) {
                history_.Altered(branch_, number_,
                                 action != 0 ? ActionColumn(action, column)
                                             : historyPrefix + column,
                                 before, value);
            }
            sets += (sets.empty() ? "" : ", ") + column + " = :V_" + column;
            names += ", " + column;
            marks += ", :V_" + column;
            params.emplace_back("V_" + column, value);
        }
        if (table == "TRATOCORR") {
            treatmentSeen_ = true;
        }
        if (!stored.found) {
            db_.Execute("INSERT INTO " + table + " (" + names + ") VALUES (" + marks + ")", params);
        } else if (!sets.empty()) {
            db_.Execute("UPDATE " + table + " SET " + sets + ", NRVERSAO = NRVERSAO + 1" + where,
                        params);
        }
    }

    static std::string Lower(const std::string& text) {
        std::string out = text;
        if (!out.empty()) {
            out[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(out[0])));
        }
        return out;
    }

    db::Database& db_;
    const Session& caller_;
    HistoryWriter& history_;
    std::string branch_, number_;
    bool treatmentSeen_ = false;
    bool closing_ = false;
    bool reopened_ = false;
};

} // namespace

Variant GetTratamento(db::Database& db, const Args& args) {
    args.Expect(2);
    const std::string branch = args.Text(0, 4), number = args.Text(1, 10);
    if (!args.Caller().MayUse(branch)) {
        return Variant(ServerError{args.Caller().NoAccessTo(branch) + "."});
    }
    if (!OccurrenceThere(db, branch, number)) {
        return Variant(ServerError{"A ocorrência " + Key(branch, number) + " não existe."});
    }
    const std::vector<std::pair<std::string, Variant>> key = {{"B", Variant(branch)},
                                                              {"N", Variant(number)}};
    std::vector<PacketField> fields = TreatmentFields();
    fields.push_back({"NMOPERRESP", FieldType::String, 40});
    fields.push_back({"NMOPERENCERRA", FieldType::String, 40});
    DataPacket packet =
        QueryPacket(db,
                    "SELECT " + Columns(TreatmentFields(), "T.") +
                        ", R.NMOPERADOR, E.NMOPERADOR FROM TRATOCORR T LEFT JOIN OPERADOR R ON "
                        "R.CDOPERADOR = T.CDOPERRESP LEFT JOIN OPERADOR E ON E.CDOPERADOR = "
                        "T.CDOPERENCERRA WHERE T.CDFILILANCMO = :B AND T.NROCORRMOV = :N",
                    key, fields);
    if (packet.rows.empty()) {
        // Never written: open, with no one responsible, version 0.
        Row row(fields.size());
        row[0] = Variant(branch);
        row[1] = Variant(number);
        row[2] = Variant("A");
        row[10] = Variant(std::int64_t{0});
        packet.rows.push_back(std::move(row));
    }
    return MakePacketVariant(std::move(packet));
}

Variant GetAcoes(db::Database& db, const Args& args) {
    args.Expect(2);
    const std::string branch = args.Text(0, 4), number = args.Text(1, 10);
    if (!args.Caller().MayUse(branch)) {
        return Variant(ServerError{args.Caller().NoAccessTo(branch) + "."});
    }
    std::vector<PacketField> fields = ActionFields();
    fields.push_back({"NMOPERRESP", FieldType::String, 40});
    return MakePacketVariant(QueryPacket(
        db,
        "SELECT " + Columns(ActionFields(), "A.") +
            ", R.NMOPERADOR FROM ACAOOCORR A LEFT JOIN OPERADOR R ON R.CDOPERADOR = "
            "A.CDOPERRESP WHERE A.CDFILILANCMO = :B AND A.NROCORRMOV = :N ORDER BY A.NRACAO",
        {{"B", Variant(branch)}, {"N", Variant(number)}}, fields));
}

Variant GravaTratamento(db::Database& db, const Args& args) {
    args.Expect(2);
    const auto treatment = args.Packet(0);
    const auto actions = args.Packet(1);
    for (const auto& p : {treatment, actions}) {
        if (p && !p->isDelta) {
            throw RpcError(kInvalidParams, "GravaTratamento espera pacotes de alterações");
        }
        if (p && p->changes.size() > 200) {
            throw RpcError(kInvalidParams, "GravaTratamento aceita no máximo 200 alterações");
        }
    }
    if (treatment && treatment->changes.size() > 1) {
        throw RpcError(kInvalidParams, "GravaTratamento grava um tratamento por vez");
    }
    try {
        db::Transaction tx(db);
        HistoryWriter history(db, args);
        TreatmentWrite write(db, args, history);
        if (treatment) {
            for (const RowChange& change : treatment->changes) {
                write.Treatment(*treatment, change);
            }
        }
        if (actions) {
            for (const RowChange& change : actions->changes) {
                write.Action(*actions, change);
            }
        }
        write.Finish();
        history.Flush();
        tx.Commit();
        return Variant("");
    } catch (const ConfirmFailure& e) {
        return Variant(std::string(e.what()));
    } catch (const db::SqlConflict&) {
        throw;
    } catch (const Exception& e) {
        return Variant("Erro ao gravar o tratamento no servidor; nada foi gravado (" +
                       LogFailure("GravaTratamento", e.Message()) + " no log do servidor).");
    }
}

} // namespace oca::server
