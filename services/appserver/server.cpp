#include "appserver/server.h"

#include "access/passwords.h"
#include "appserver/attachments.h"
#include "appserver/metrics.h"
#include "appserver/report.h"
#include "appserver/write_keys.h"
#include "core/packet_json.h"
#include "core/text.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

namespace oca::server {

// -- Args -------------------------------------------------------------------------------

void Args::Wrong(size_t index, const char* kind) const {
    throw RpcError(kInvalidParams,
                   method_ + ": o argumento " + std::to_string(index + 1) + " deve ser " + kind);
}

void Args::Expect(size_t count) const {
    if (values_.size() != count) {
        throw RpcError(kInvalidParams, method_ + " espera " + std::to_string(count) +
                                           " argumentos, recebeu " +
                                           std::to_string(values_.size()));
    }
}

std::string Args::Text(size_t index) const {
    const Variant& v = values_.at(index);
    if (v.IsNull()) {
        return {};
    }
    if (v.Type() != VarType::String) {
        Wrong(index, "um texto");
    }
    // Every text argument is a key, a code or a list of them: control characters in one
    // are never typed, only forged, and would make one key look like another.
    const std::string& text = *v.Get<std::string>();
    if (HasControlCharacters(text, true)) {
        Wrong(index, "um texto sem caracteres de controle");
    }
    return text;
}

std::int64_t Args::Whole(size_t index) const {
    const Variant& v = values_.at(index);
    if (v.Type() == VarType::Integer) {
        return *v.Get<std::int64_t>();
    }
    if (v.Type() == VarType::Float) {
        const double d = *v.Get<double>();
        if (d == static_cast<double>(static_cast<std::int64_t>(d)) && d > -9e15 && d < 9e15) {
            return static_cast<std::int64_t>(d);
        }
    }
    Wrong(index, "um número inteiro");
}

const Blob* Args::Bytes(size_t index) const {
    const Variant& v = values_.at(index);
    if (v.IsNull()) {
        return nullptr;
    }
    if (v.Type() != VarType::Blob) {
        Wrong(index, "um conteúdo binário");
    }
    return v.Get<Blob>();
}

std::string Args::Text(size_t index, size_t width) const {
    std::string text = Text(index);
    if (Utf8Length(text) > width) {
        throw RpcError(kInvalidParams, method_ + ": o argumento " + std::to_string(index + 1) +
                                           " aceita no máximo " + std::to_string(width) +
                                           " caracteres");
    }
    return text;
}

std::optional<TDateTime> Args::Date(size_t index) const {
    const Variant& v = values_.at(index);
    if (v.IsNull()) {
        return std::nullopt;
    }
    if (v.Type() == VarType::DateTime) {
        return *v.Get<TDateTime>();
    }
    if (v.Type() == VarType::String) {
        TDateTime dt;
        const std::string& s = *v.Get<std::string>();
        if (s.empty()) {
            return std::nullopt;
        }
        if (TryParseIsoText(s, dt) || TryStrToDateTime(s, dt)) {
            return dt;
        }
    }
    Wrong(index, "uma data");
}

const Session& Args::Caller() const {
    if (!caller_) {
        throw RpcError(kNoSession, method_ + " precisa de uma sessão.");
    }
    return *caller_;
}

const std::string& Args::CallId() const {
    static const std::string none = "-";
    return callId_ ? *callId_ : none;
}

std::shared_ptr<const DataPacket> Args::Packet(size_t index) const {
    const Variant& v = values_.at(index);
    if (v.IsNull()) {
        return nullptr;
    }
    if (v.Type() != VarType::Packet) {
        Wrong(index, "um pacote de dados ou nulo");
    }
    return v.PacketPtr();
}

// -- OcorAtendimento --------------------------------------------------------------------

OcorAtendimento::OcorAtendimento(Connect connect) : connect_(std::move(connect)) {
    texts_ = {{"GetMovOcorr", GetMovOcorrText}};
    methods_ = {
        {"GetSysDate", {GetSysDate, false}},
        {"GetParamFilial", {GetParamFilial, false}},
        {"GetMovOcorr", {GetMovOcorr, false}},
        {"GetDescMovOcorr", {GetDescMovOcorr, false}},
        {"GetParecer", {GetParecer, false}},
        {"ValidNF", {ValidNF, false}},
        {"GetNotaFiscal", {GetNotaFiscal, false}},
        {"GetPesqNF", {GetPesqNF, false}},
        {"GetLote", {GetLote, false}},
        {"Confirma", {Confirma, true}},
        {"SetApuraQualif", {SetApuraQualif, true}},
        {"DelOcorr", {DelOcorr, true}},
        {"GetQualifForn", {GetQualifForn, false}},
        {"GetTratamento", {GetTratamento, false}},
        {"GetAcoes", {GetAcoes, false}},
        {"GetTratamentos", {GetTratamentos, false}},
        {"GetContagemTratamentos", {GetContagemTratamentos, false}},
        {"GetAcoesVencidas", {GetAcoesVencidas, false}},
        {"GetTratamentosForn", {GetTratamentosForn, false}},
        {"GravaTratamento", {GravaTratamento, true}},
        {"GetQualifDetalhe", {GetQualifDetalhe, false}},
        {"GetHistorico", {GetHistorico, false}},
        {"GetAnexos", {GetAnexos, false}},
        {"IniciaAnexo", {IniciaAnexo, true}},
        {"GravaParteAnexo", {GravaParteAnexo, true}},
        {"ConcluiAnexo", {ConcluiAnexo, true}},
        {"CancelaAnexo", {CancelaAnexo, true}},
        {"GetParteAnexo", {GetParteAnexo, false}},
        {"ExcluiAnexo", {ExcluiAnexo, true}},
        {"GetRelatorio", {GetRelatorio, false}},
        {"Sair", {Sair, false}},
    };
}

bool OcorAtendimento::HasMethod(const std::string& method) const {
    return methods_.count(method) > 0 || Open(method);
}

bool OcorAtendimento::Writes(const std::string& method) const {
    const auto it = methods_.find(method);
    return it != methods_.end() && it->second.writes;
}

db::Database& OcorAtendimento::Connection() {
    const std::lock_guard<std::mutex> lock(mutex_);
    auto& slot = connections_[std::this_thread::get_id()];
    if (!slot) {
        slot = connect_();
    }
    return *slot;
}

namespace {

// Asks the connection's statements to stop once the call's limits are passed, for the
// call's duration only.
class Interrupt {
public:
    Interrupt(db::Database& db, const CallLimits& limits) : db_(db) {
        if (limits.deadline != std::chrono::steady_clock::time_point::max() || limits.clientGone) {
            db_.SetInterrupt([&limits] { return limits.Expired() || limits.Gone(); });
        }
    }
    ~Interrupt() { db_.SetInterrupt(nullptr); }
    Interrupt(const Interrupt&) = delete;
    Interrupt& operator=(const Interrupt&) = delete;

private:
    db::Database& db_;
};

// A writer's commits are acknowledged once on the disk; the wait for it can come after
// the writer let the next one in. Whatever way the call ends, it does not end before.
class DurableLater {
public:
    DurableLater(db::Database& db, bool deferred) : db_(deferred ? &db : nullptr) {
        if (db_) {
            db_->DeferDurability();
        }
    }
    ~DurableLater() {
        try {
            Await();
        } catch (...) {
            // The call already ends in a failure of its own.
        }
    }
    DurableLater(const DurableLater&) = delete;
    DurableLater& operator=(const DurableLater&) = delete;

    void Await() const {
        if (db_) {
            db::Database* db = db_;
            db_ = nullptr;
            db->AwaitDurable();
        }
    }

private:
    mutable db::Database* db_;
};

} // namespace

Variant OcorAtendimento::Call(const std::string& method, const std::vector<Variant>& args,
                              const CallLimits& limits) {
    if (Open(method)) {
        return Guarded(method, false, limits,
                       [&](db::Database&) { return SignIn(Args(method, args), limits); });
    }
    // The session first: no method, known or not, answers a caller who has not signed in.
    const Session caller = Checked(method, limits);
    const auto it = methods_.find(method);
    if (it == methods_.end()) {
        throw RpcError(kMethodNotFound, "Método desconhecido");
    }
    const std::string callId = limits.writeKey.empty()
                                   ? "servidor:" + access::NewSessionToken().substr(0, 16)
                                   : limits.writeKey;
    const auto run = [&](db::Database& db) {
        return it->second.run(db, Args(method, args, &caller, &callId));
    };
    if (it->second.writes && !limits.writeKey.empty()) {
        return Guarded(method, true, limits, [&](db::Database& db) {
            return RunOnce(db, limits.writeKey, method, args, limits, run);
        });
    }
    return Guarded(method, it->second.writes, limits, run);
}

Session OcorAtendimento::Checked(const std::string& method, const CallLimits& limits) {
    try {
        Session caller = Resolve(method, limits);
        if (limits.operatorSeen) {
            *limits.operatorSeen = caller.op;
        }
        return caller;
    } catch (const RpcError&) {
        throw;
    } catch (const Exception& e) {
        if (Connection().InTransaction()) {
            Connection().Rollback();
        }
        throw RpcError(kInternalError, "Erro no servidor ao verificar a sessão (" +
                                           LogFailure(method, e.Message()) +
                                           " no log do servidor).");
    }
}

bool OcorAtendimento::CallToText(const std::string& method, const std::vector<Variant>& args,
                                 const CallLimits& limits, std::string& text,
                                 const std::function<void(std::string&)>& flush) {
    const auto it = texts_.find(method);
    if (it == texts_.end()) {
        return false;
    }
    const Session caller = Checked(method, limits);
    // Written in place after what the caller has; a failure takes back what was written
    // while nothing has gone out yet.
    const size_t start = text.size();
    bool flushed = false;
    const std::function<void(std::string&)> handOver = [&](std::string& out) {
        flush(out);
        flushed = flushed || out.empty(); // a flush may only look, and keep the text
    };
    const Variant failure = Guarded(method, false, limits, [&](db::Database& db) {
        it->second(db, Args(method, args, &caller), text, flush ? handOver : nullptr);
        return Variant();
    });
    if (failure.IsError()) {
        if (flushed) {
            throw RpcError(kInternalError, failure.AsString());
        }
        text.resize(start);
        AppendVariantJson(text, failure);
    }
    return true;
}

namespace {

// A transaction that lost a race with another server's (on PostgreSQL) left nothing
// behind; run again it sees the winner's work, and either succeeds or reports the
// conflict as any other. A few tries, a little apart, before giving up.
constexpr int kConflictTries = 8;

} // namespace

Variant OcorAtendimento::RunAgainOnConflict(const std::string& method, db::Database& db,
                                            const CallLimits& limits,
                                            const std::function<Variant(db::Database&)>& run) {
    for (int attempt = 1;; ++attempt) {
        try {
            return run(db);
        } catch (const db::SqlConflict&) {
            ++Metrics().retriedConflicts;
            if (db.InTransaction()) {
                db.Rollback();
            }
            if (attempt == kConflictTries || limits.Expired() || limits.Gone()) {
                return Variant(ServerError{method +
                                           " não pôde ser concluído: o banco de dados está "
                                           "ocupado com alterações de outros usuários; nada foi "
                                           "gravado. Tente de novo."});
            }
            thread_local std::minstd_rand dice(std::random_device{}());
            const int spread = 2 << std::min(attempt, 6); // 4 ms, 8 ms, ... up to 128 ms
            std::this_thread::sleep_for(std::chrono::milliseconds(1 + dice() % spread));
        }
    }
}

Variant OcorAtendimento::Guarded(const std::string& method, bool writes, const CallLimits& limits,
                                 const std::function<Variant(db::Database&)>& run) {
    db::Database& db = Connection();
    // Where the database lets writers run together, its row locks order them (and a lost
    // race runs again); a server queueing them as well would only add a wait.
    std::unique_lock<std::mutex> writer(writeMutex_, std::defer_lock);
    if (writes && !db.WritersRunTogether()) {
        writer.lock();
    }
    const auto stopped = [&] {
        if (db.InTransaction()) {
            db.Rollback();
        }
        if (limits.Gone()) {
            throw RpcError(kClientGone, method + " interrompido: o cliente desconectou.");
        }
        throw RpcError(kCallTimedOut, method + " passou do tempo limite de " +
                                          std::to_string(limits.seconds) +
                                          " s e foi interrompido; nada foi gravado. Restrinja a "
                                          "seleção ou tente mais tarde.");
    };
    if (limits.Expired() || limits.Gone()) {
        stopped();
    }
    const Interrupt interrupt(db, limits);
    const DurableLater durable(db, writer.owns_lock());
    try {
        Variant result = RunAgainOnConflict(method, db, limits, run);
        if (writer.owns_lock()) {
            // The next writer goes on while this one's commit reaches the disk: both are
            // then flushed at once.
            writer.unlock();
            try {
                durable.Await();
            } catch (const Exception& e) {
                return Variant(ServerError{method +
                                           ": a gravação foi feita, mas o disco não confirmou "
                                           "que ela está guardada (" +
                                           LogFailure(method, e.Message()) +
                                           " no log do servidor). Use Verificar."});
            }
        }
        // A write that went through stays written: the answer says so.
        if (!writes && (limits.Expired() || limits.Gone())) {
            stopped();
        }
        return result;
    } catch (const RpcError&) {
        throw;
    } catch (const Exception& e) {
        if (limits.Expired() || limits.Gone()) {
            stopped();
        }
        if (db.InTransaction()) {
            db.Rollback();
        }
        return Variant(ServerError{"Erro no servidor ao executar " + method +
                                   "; nada foi gravado (" + LogFailure(method, e.Message()) +
                                   " no log do servidor)."});
    }
}

// -- packets ----------------------------------------------------------------------------

namespace {

// A column's value as its field's type has it on the wire; a value already of that type
// is moved through, never copied.
Variant Cell(Variant v, FieldType type) {
    if (v.IsNull()) {
        return v;
    }
    switch (type) {
    case FieldType::DateTime:
        if (v.Type() != VarType::DateTime) {
            return Variant(v.AsDateTime());
        }
        break;
    case FieldType::Integer:
        if (v.Type() != VarType::Integer) {
            return Variant(v.AsInteger());
        }
        break;
    case FieldType::Float:
        if (v.Type() != VarType::Float) {
            return Variant(v.AsFloat());
        }
        break;
    case FieldType::Blob:
        if (v.Type() != VarType::Blob) {
            return Variant(Blob{v.AsString()});
        }
        break;
    default:
        if (v.Type() != VarType::String) {
            return Variant(v.AsString());
        }
        break;
    }
    return v;
}

std::unique_ptr<db::Statement> Run(db::Database& db, const std::string& sql,
                                   const std::vector<std::pair<std::string, Variant>>& params) {
    auto st = db.Prepare(sql);
    for (const auto& [name, value] : params) {
        st->Bind(name, value);
    }
    return st;
}

} // namespace

DataPacket QueryPacket(db::Database& db, const std::string& sql,
                       const std::vector<std::pair<std::string, Variant>>& params,
                       std::vector<PacketField> fields) {
    auto st = Run(db, sql, params);
    DataPacket packet;
    packet.fields = std::move(fields);
    const size_t n = packet.fields.size();
    while (st->Next()) {
        Row row;
        row.reserve(n);
        for (size_t i = 0; i < n; ++i) {
            row.push_back(Cell(st->Value(i), packet.fields[i].type));
        }
        packet.rows.push_back(std::move(row));
    }
    return packet;
}

void QueryPacketText(db::Database& db, const std::string& sql,
                     const std::vector<std::pair<std::string, Variant>>& params,
                     const std::vector<PacketField>& fields, std::string& out,
                     const std::function<void(std::string&)>& flush) {
    auto st = Run(db, sql, params);
    PacketRowsWriter writer(out, fields);
    const size_t n = fields.size();
    // Texts go from the driver's buffer to the answer without a copy of their own: most
    // of a selection's cells are texts.
    std::vector<bool> text(n);
    for (size_t i = 0; i < n; ++i) {
        const FieldType type = fields[i].type;
        text[i] =
            type == FieldType::String || type == FieldType::FixedString || type == FieldType::Memo;
    }
    std::string_view view;
    while (st->Next()) {
        writer.BeginRow();
        for (size_t i = 0; i < n; ++i) {
            if (text[i] && st->TextView(i, view)) {
                writer.TextCell(view);
            } else {
                writer.Cell(Cell(st->Value(i), fields[i].type));
            }
        }
        writer.EndRow();
        if (flush && out.size() >= kFlushBytes) {
            flush(out);
        }
    }
    writer.Finish();
}

} // namespace oca::server
