#pragma once

#include <atomic>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace oca::server {

/// What the server counts for its monitoring, read as Prometheus text at GET /metrics.
/// One per process: every front and server object of it adds to the same figures.
class ServerMetrics {
public:
    /// A call answered: its method (a method the server does not have counts as
    /// "desconhecido", so that no client can make up series), its outcome and how long it
    /// took from its request's arrival.
    void Call(const std::string& method, const std::string& outcome, double seconds);

    std::atomic<std::int64_t> busyWorkers{0};
    std::atomic<std::int64_t> queuedRequests{0};
    std::atomic<std::int64_t> openConnections{0};
    std::atomic<std::int64_t> replayedWrites{0};
    std::atomic<std::int64_t> retriedConflicts{0};
    std::atomic<std::int64_t> databaseErrors{0};
    std::atomic<std::int64_t> drains{0};

    /// Everything in the Prometheus text format (version 0.0.4).
    std::string Text() const;

    /// The histogram's upper bounds, in seconds.
    static const std::vector<double>& Buckets();

private:
    struct Latency {
        std::vector<std::int64_t> counts; ///< per bucket, not cumulative
        std::int64_t count = 0;
        double sum = 0;
    };
    mutable std::mutex mutex_;
    std::map<std::pair<std::string, std::string>, std::int64_t> calls_;
    std::map<std::string, Latency> latency_;
};

ServerMetrics& Metrics();

/// The outcome label of a call from its log text: "ok", "recusado" (a refusal told in the
/// result), "erro_no_resultado" or "erro".
std::string OutcomeLabel(const std::string& logged);

} // namespace oca::server
