#include "appserver/server.h"

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
    return *v.Get<std::string>();
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
    };
}

bool OcorAtendimento::HasMethod(const std::string& method) const {
    return methods_.count(method) > 0;
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

} // namespace

Variant OcorAtendimento::Call(const std::string& method, const std::vector<Variant>& args,
                              const CallLimits& limits) {
    const auto it = methods_.find(method);
    if (it == methods_.end()) {
        throw RpcError(kMethodNotFound, "Método desconhecido");
    }
    db::Database& db = Connection();
    std::unique_lock<std::mutex> writer(writeMutex_, std::defer_lock);
    if (it->second.writes) {
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
    try {
        Variant result = it->second.run(db, Args(method, args));
        if (limits.Expired() || limits.Gone()) {
            // A write that went through stays written: the answer says so.
            if (!it->second.writes) {
                stopped();
            }
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
        return Variant(ServerError{"Erro no servidor ao executar " + method + ": " + e.Message()});
    }
}

// -- packets ----------------------------------------------------------------------------

DataPacket QueryPacket(db::Database& db, const std::string& sql,
                       const std::vector<std::pair<std::string, Variant>>& params,
                       std::vector<PacketField> fields) {
    auto st = db.Prepare(sql);
    for (const auto& [name, value] : params) {
        st->Bind(name, value);
    }
    DataPacket packet;
    packet.fields = std::move(fields);
    const size_t n = packet.fields.size();
    while (st->Next()) {
        Row row;
        row.reserve(n);
        for (size_t i = 0; i < n; ++i) {
            Variant v = st->Value(i);
            if (!v.IsNull()) {
                switch (packet.fields[i].type) {
                case FieldType::DateTime:
                    v = Variant(v.AsDateTime());
                    break;
                case FieldType::Integer:
                    v = Variant(v.AsInteger());
                    break;
                case FieldType::Float:
                    v = Variant(v.AsFloat());
                    break;
                default:
                    if (v.Type() != VarType::String) {
                        v = Variant(v.AsString());
                    }
                }
            }
            row.push_back(std::move(v));
        }
        packet.rows.push_back(std::move(row));
    }
    return packet;
}

} // namespace oca::server
