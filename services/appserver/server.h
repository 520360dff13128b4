#pragma once

#include "access/operators.h"
#include "core/data_packet.h"
#include "core/variant.h"
#include "database/database.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace oca::server {

/// A call the server cannot take: unknown method or arguments of the wrong number or
/// type. The HTTP front answers it as a JSON-RPC error with `code`.
class RpcError : public std::runtime_error {
public:
    RpcError(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kInternalError = -32603;
/// A call stopped because it ran past its time limit.
constexpr int kCallTimedOut = -32001;
/// A call stopped because its client went away.
constexpr int kClientGone = -32002;
/// An answer larger than the server sends.
constexpr int kAnswerTooLarge = -32003;
/// A write's key that came before with another call.
constexpr int kKeyReused = -32004;
/// A call without a session, or with one that ended, expired or lost its grant: the
/// client signs in again.
constexpr int kNoSession = -32005;

/// Who makes a call: the signed-in session the server found for the call's token. Its
/// operator, branch and module are the session's, never what a call's arguments say.
struct Session {
    std::string id; ///< the digest of its token (its first 12 characters name it in logs)
    std::string op, opName;
    std::string branch; ///< the processing branch chosen at sign-in
    int module = 0;     ///< the active module chosen at sign-in
    std::vector<access::Grant> grants;
    /// Whether the operator may work in `b` in the session's module.
    bool MayUse(const std::string& b) const;
    /// Whether every branch is granted in the session's module.
    bool AllBranches() const { return MayUse("*"); }
    /// The branches granted in the session's module, when not all are.
    std::vector<std::string> Branches() const;
    /// "O operador 002 não tem acesso à filial 0001", for the refusals' texts.
    std::string NoAccessTo(const std::string& b) const {
        return "O operador " + op + " não tem acesso à filial " + b;
    }
};

/// How sign-in and sessions behave; the defaults suit a company.
struct SessionRules {
    int idleMinutes = 8 * 60;   ///< a session unused this long has ended
    int failuresBeforeLock = 5; ///< consecutive wrong passwords that lock the code typed
    int lockMinutes = 15;
    int failureDelayMs = 1000; ///< a wrong password is answered this much later
};

/// What bounds one call's work: a time limit, and the client still being there to read
/// the answer. A call past either stops at the database's next question.
struct CallLimits {
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    int seconds = 0; ///< the time limit, for the message
    std::shared_ptr<const std::atomic<bool>> clientGone;
    /// The client's key for a write (its Idempotency-Key and the call's place in its
    /// request); "" without one.
    std::string writeKey;
    /// The session token the call came with, as the client sent it; "" without one.
    std::string sessionToken;
    /// Where the call came from (the client's address), for the sessions' list.
    std::string origin;
    /// Told the operator of the call's session, for the log line.
    std::string* operatorSeen = nullptr;

    bool Expired() const { return std::chrono::steady_clock::now() >= deadline; }
    bool Gone() const { return clientGone && clientGone->load(std::memory_order_relaxed); }
};

/// The arguments of one call, read by position with their expected kind.
class Args {
public:
    Args(const std::string& method, const std::vector<Variant>& values,
         const Session* caller = nullptr, const std::string* callId = nullptr)
        : method_(method), values_(values), caller_(caller), callId_(callId) {}
    /// Raises RpcError unless there are exactly `count` arguments.
    void Expect(size_t count) const;
    size_t Count() const { return values_.size(); }
    /// A text argument; null reads as "". Raises RpcError for any other kind, and for a
    /// text with control characters other than tab, CR and LF.
    std::string Text(size_t index) const;
    /// The same, no longer than `width` characters.
    std::string Text(size_t index, size_t width) const;
    /// A date-time argument (a text in the pt-BR or storage form is read too); null
    /// gives nullopt.
    std::optional<TDateTime> Date(size_t index) const;
    /// A packet argument or null.
    std::shared_ptr<const DataPacket> Packet(size_t index) const;
    /// A whole-number argument (a float without a fraction is read too).
    std::int64_t Whole(size_t index) const;
    /// A binary argument; null gives nullptr.
    const Blob* Bytes(size_t index) const;
    /// The argument as it came, of any kind.
    const Variant& Raw(size_t index) const { return values_.at(index); }
    /// The session of the call. Raises RpcError kNoSession for a call made without one.
    const Session& Caller() const;
    bool HasCaller() const { return caller_ != nullptr; }
    /// What names the call in the history: its write key, or one the server made.
    const std::string& CallId() const;

private:
    [[noreturn]] void Wrong(size_t index, const char* kind) const;
    const std::string& method_;
    const std::vector<Variant>& values_;
    const Session* caller_;
    const std::string* callId_;
};

/// The server object "OCA0080A.rdmOcorAtendimento": its methods by name, each run on the
/// calling thread's own database connection, in its own transaction where it writes.
/// Expected failures (a missing occurrence, a conflict) come back in the result as a
/// ServerError variant (or, for Confirma and ValidNF, as a text), never as exceptions.
class OcorAtendimento {
public:
    using Connect = std::function<std::unique_ptr<db::Database>()>;
    explicit OcorAtendimento(Connect connect);

    /// Raises RpcError for an unknown method, bad arguments, or a call stopped by its
    /// limits; other failures are reported in the result.
    Variant Call(const std::string& method, const std::vector<Variant>& args,
                 const CallLimits& limits = {});
    bool HasMethod(const std::string& method) const;
    /// Whether the method changes the company's data.
    bool Writes(const std::string& method) const;
    /// For a method whose result can be written as wire text while it is read (a
    /// selection of many rows): runs it as Call would and appends the result's text (or
    /// its reported failure's) to `text`; false, with nothing run, for other methods.
    /// With `flush`, the text written so far is handed to it now and then (and cleared),
    /// so that a large answer goes out as it is read; a failure after a flush cannot be
    /// told in the text any more and raises RpcError.
    bool CallToText(const std::string& method, const std::vector<Variant>& args,
                    const CallLimits& limits, std::string& text,
                    const std::function<void(std::string&)>& flush = nullptr);
    /// The calling thread's connection (opened on first use).
    db::Database& Connection();
    void SetSessionRules(const SessionRules& rules) { rules_ = rules; }
    const SessionRules& Rules() const { return rules_; }

    /// The methods a client may call without a session.
    static bool Open(const std::string& method) { return method == "Entrar"; }

private:
    using Method = std::function<Variant(db::Database&, const Args&)>;
    struct Entry {
        Method run;
        bool writes;
    };
    /// The session a call's token names, checked (not ended, not idle too long, its
    /// branch and module still granted). Raises RpcError kNoSession otherwise.
    Session Resolve(const std::string& method, const CallLimits& limits);
    /// Resolve, with a database failure answered as an internal error.
    Session Checked(const std::string& method, const CallLimits& limits);
    Variant SignIn(const Args& args, const CallLimits& limits);
    using TextMethod = std::function<void(db::Database&, const Args&, std::string&,
                                          const std::function<void(std::string&)>&)>;
    /// Runs `run` on the calling thread's connection within the call's limits (queued
    /// behind other writers when it writes); failures come back as a ServerError.
    Variant RunAgainOnConflict(const std::string& method, db::Database& db,
                               const CallLimits& limits,
                               const std::function<Variant(db::Database&)>& run);
    Variant Guarded(const std::string& method, bool writes, const CallLimits& limits,
                    const std::function<Variant(db::Database&)>& run);
    std::map<std::string, Entry> methods_;
    std::map<std::string, TextMethod> texts_;
    SessionRules rules_;
    // SQLite takes one writer at a time; queueing writers here instead of in its busy
    // handler (which sleeps in steps) keeps concurrent confirmations fast.
    std::mutex writeMutex_;
    Connect connect_;
    std::mutex mutex_;
    std::map<std::thread::id, std::unique_ptr<db::Database>> connections_;
};

/// Writes a failure that a person must not read (a database's own text, its SQL) in full
/// to the server's log under a new id, and gives back the id, to be named in the short
/// answer the person reads.
std::string LogFailure(const std::string& method, const std::string& detail);

/// The server's clock: the local time, unless fixed (scenarios fix it to replay a day).
TDateTime ServerNow();
void SetServerClock(std::function<TDateTime()> clock);

// The methods, by concern.
Variant GetSysDate(db::Database& db, const Args& args);
Variant GetParamFilial(db::Database& db, const Args& args);
Variant GetMovOcorr(db::Database& db, const Args& args);
/// GetMovOcorr's result written as wire text while the rows are read.
void GetMovOcorrText(db::Database& db, const Args& args, std::string& text,
                     const std::function<void(std::string&)>& flush);
Variant GetDescMovOcorr(db::Database& db, const Args& args);
Variant GetParecer(db::Database& db, const Args& args);
Variant ValidNF(db::Database& db, const Args& args);
Variant GetNotaFiscal(db::Database& db, const Args& args);
Variant GetPesqNF(db::Database& db, const Args& args);
Variant GetLote(db::Database& db, const Args& args);
Variant Confirma(db::Database& db, const Args& args);
Variant SetApuraQualif(db::Database& db, const Args& args);
Variant DelOcorr(db::Database& db, const Args& args);
/// Ends the caller's session.
Variant Sair(db::Database& db, const Args& args);
/// An occurrence's history by its key (also of one deleted since), newest first.
Variant GetHistorico(db::Database& db, const Args& args);
/// Per supplier and month of a period, for some branches and suppliers (empty lists: all;
/// keys whole, as GetMovOcorr matches them): occurrences, demerits, receipts, score,
/// class and when it was computed, the branches' sums taken together.
/// The treatment of an occurrence (branch, number): one row, "A" and version 0 when none
/// was written yet.
Variant GetTratamento(db::Database& db, const Args& args);
/// Its actions, in order.
Variant GetAcoes(db::Database& db, const Args& args);
/// Stores a treatment's delta and its actions' delta: "" or the pt-BR reason nothing was.
Variant GravaTratamento(db::Database& db, const Args& args);
/// Treatments by branch, situation, responsible, supplier, overdue only, period.
Variant GetTratamentos(db::Database& db, const Args& args);
/// How many treatments the same criteria find in each situation.
Variant GetContagemTratamentos(db::Database& db, const Args& args);
/// How many open actions of the caller's are past their date.
Variant GetAcoesVencidas(db::Database& db, const Args& args);
/// Per supplier of the branches and suppliers chosen: treatments under way, overdue actions.
Variant GetTratamentosForn(db::Database& db, const Args& args);
Variant GetQualifForn(db::Database& db, const Args& args);
/// A supplier's occurrences of one month, by occurrence group, with the group's weight.
Variant GetQualifDetalhe(db::Database& db, const Args& args);
/// Recomputes month `yearMonth` (202611) for every supplier with occurrences or receipts
/// in it (at `branch` only, when given), one transaction per supplier; `progress` hears
/// of each. Returns the number recomputed.
int Requalify(db::Database& db, int yearMonth, const std::string& branch,
              const std::function<void(int done, int total, const std::string&)>& progress);

/// The SQL text and bound values of the selection GetMovOcorr runs for `args` (the 13
/// load parameters); for measuring it against other readers of the same rows.
struct SelectionQuery {
    std::string sql;
    std::vector<std::pair<std::string, Variant>> params;
};
SelectionQuery BuildSelection(const Args& args);
/// One occurrence as GetMovOcorr gives it (its looked-up names too); no rows when it is gone.
DataPacket OccurrenceRecord(db::Database& db, const std::string& branch, const std::string& number);

/// Runs a query and packs its rows into a packet with `fields`, one column each, in
/// order; values are converted to the fields' types.
DataPacket QueryPacket(db::Database& db, const std::string& sql,
                       const std::vector<std::pair<std::string, Variant>>& params,
                       std::vector<PacketField> fields);
/// The same rows written straight into their wire text, appended to `out`; with `flush`,
/// `out` is handed to it whenever it passes kFlushBytes.
void QueryPacketText(db::Database& db, const std::string& sql,
                     const std::vector<std::pair<std::string, Variant>>& params,
                     const std::vector<PacketField>& fields, std::string& out,
                     const std::function<void(std::string&)>& flush = nullptr);
constexpr size_t kFlushBytes = 1 << 20;

} // namespace oca::server
