// Writes stored exactly once: a write's client key is stored in the company database in
// the same transaction as the write, with its answer, so that the same write sent again,
// to this server or another, before or after a restart, is answered and not run.
#include "appserver/write_keys.h"

#include "appserver/metrics.h"

#include "core/datetime.h"
#include "core/packet_json.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <limits>
#include <thread>

namespace oca::server {

namespace {

// How long a key is kept: far longer than any client retries its write.
constexpr double kKeptDays = 2;

// FNV-1a: the same text gives the same digest on every server and build.
std::string Digest(const std::string& method, const std::vector<Variant>& args) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    std::uint64_t length = 0;
    const auto mix = [&](const std::string& text) {
        for (const char c : text) {
            hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
        }
        length += text.size();
    };
    mix(method);
    for (const Variant& arg : args) {
        mix("\x1f" + EncodeVariant(arg));
    }
    char text[40];
    std::snprintf(text, sizeof text, "%016llx-%llu", static_cast<unsigned long long>(hash),
                  static_cast<unsigned long long>(length));
    return text;
}

// Old keys go with the first write of a server and then once a minute: each write doing
// it would add a statement to every write, inside its transaction.
bool PurgeDue() {
    static std::atomic<std::int64_t> last{std::numeric_limits<std::int64_t>::min()};
    const std::int64_t minute = std::chrono::duration_cast<std::chrono::minutes>(
                                    std::chrono::steady_clock::now().time_since_epoch())
                                    .count();
    std::int64_t seen = last.load();
    return seen != minute && last.compare_exchange_strong(seen, minute);
}

struct Stored {
    bool found = false;
    std::string digest;
    std::string answer;
};

Stored Lookup(db::Database& db, const std::string& key) {
    auto st = db.Prepare("SELECT DSDIGEST, DSRESPOSTA FROM CHAMADAGRAV WHERE CDCHAVE = :K");
    st->Bind("K", Variant(key));
    Stored stored;
    stored.found = st->Next();
    if (stored.found) {
        stored.digest = st->Value(0).AsString();
        stored.answer = st->Value(1).AsString();
    }
    return stored;
}

Variant Replayed(const Stored& stored, const std::string& digest) {
    if (stored.digest != digest) {
        throw RpcError(kKeyReused,
                       "Idempotency-Key já usada com outra requisição; nada foi feito.");
    }
    return DecodeVariant(stored.answer);
}

// After a COMMIT whose answer was lost with the connection, the write may or may not be
// stored: its key tells, once a connection can ask. Nothing else may be said for sure.
std::optional<Stored> Recheck(db::Database& db, const std::string& key, const CallLimits& limits) {
    for (int attempt = 0; attempt < 20 && !limits.Expired(); ++attempt) {
        try {
            return Lookup(db, key);
        } catch (const Exception&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
    }
    return std::nullopt;
}

} // namespace

Variant RunOnce(db::Database& db, const std::string& key, const std::string& method,
                const std::vector<Variant>& args, const CallLimits& limits,
                const std::function<Variant(db::Database&)>& run) {
    const std::string digest = Digest(method, args);
    db::Transaction tx(db);
    // Claimed first: the same key running elsewhere holds this row until it ends, and a
    // claim made after it committed finds its answer.
    const TDateTime now = Now();
    if (db.Execute("INSERT INTO CHAMADAGRAV (CDCHAVE, DSDIGEST, DTCHAMADA) VALUES (:K, :D, :T) "
                   "ON CONFLICT (CDCHAVE) DO NOTHING",
                   {{"K", Variant(key)}, {"D", Variant(digest)}, {"T", Variant(now)}}) == 0) {
        ++Metrics().replayedWrites;
        return Replayed(Lookup(db, key), digest);
    }
    Variant answer = run(db);
    // A write refused, or one that undid its own work, stored nothing: no key is kept, and
    // the same write sent again runs again.
    if (!db.InTransaction() || answer.IsError()) {
        return answer;
    }
    // Sent with the commit where the engine can: the rows a write holds stay held for one
    // round trip less.
    db.Defer("UPDATE CHAMADAGRAV SET DSRESPOSTA = :A WHERE CDCHAVE = :K",
             {{"A", Variant(EncodeVariant(answer))}, {"K", Variant(key)}});
    if (PurgeDue()) {
        db.Defer("DELETE FROM CHAMADAGRAV WHERE DTCHAMADA < :T",
                 {{"T", Variant(TDateTime(now.Value - kKeptDays))}});
    }
    try {
        tx.Commit();
    } catch (const db::SqlConflict&) {
        throw; // refused by the database: nothing stored, the call runs again
    } catch (const Exception& e) {
        if (const std::optional<Stored> stored = Recheck(db, key, limits)) {
            if (stored->found) {
                return answer; // stored after all
            }
            throw; // not stored: the failure is the truth
        }
        return Variant(
            ServerError{method +
                        ": a conexão com o banco de dados caiu ao gravar e não foi possível saber "
                        "se a gravação foi concluída (" +
                        LogFailure(method, e.Message()) +
                        " no log do servidor). Envie a mesma chamada de novo, ou use Verificar."});
    }
    return answer;
}

} // namespace oca::server
