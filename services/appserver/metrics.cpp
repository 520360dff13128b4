#include "appserver/metrics.h"

#include <algorithm>
#include <cstdio>

namespace oca::server {

namespace {

std::string Number(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

void Gauge(std::string& out, const char* name, const char* help, const char* type,
           std::int64_t value) {
    out += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n" +
           name + " " + std::to_string(value) + "\n";
}

} // namespace

const std::vector<double>& ServerMetrics::Buckets() {
    static const std::vector<double> bounds = {0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25,
                                               0.5,   1,      2.5,   5,    10,    30,   60,  120};
    return bounds;
}

void ServerMetrics::Call(const std::string& method, const std::string& outcome, double seconds) {
    const std::lock_guard<std::mutex> lock(mutex_);
    ++calls_[{method, outcome}];
    Latency& l = latency_[method];
    if (l.counts.empty()) {
        l.counts.assign(Buckets().size(), 0);
    }
    const auto& bounds = Buckets();
    const auto at = std::lower_bound(bounds.begin(), bounds.end(), seconds);
    if (at != bounds.end()) {
        ++l.counts[static_cast<size_t>(at - bounds.begin())];
    }
    ++l.count;
    l.sum += seconds;
}

std::string ServerMetrics::Text() const {
    std::string out;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        out += "# HELP oca_calls_total Calls answered, by method and outcome.\n"
               "# TYPE oca_calls_total counter\n";
        for (const auto& [key, count] : calls_) {
            out += "oca_calls_total{method=\"" + key.first + "\",outcome=\"" + key.second + "\"} " +
                   std::to_string(count) + "\n";
        }
        out += "# HELP oca_call_duration_seconds Time from a request's arrival to its answer.\n"
               "# TYPE oca_call_duration_seconds histogram\n";
        for (const auto& [method, l] : latency_) {
            std::int64_t cumulative = 0;
            for (size_t i = 0; i < Buckets().size(); ++i) {
                cumulative += l.counts[i];
                out += "oca_call_duration_seconds_bucket{method=\"" + method + "\",le=\"" +
                       Number(Buckets()[i]) + "\"} " + std::to_string(cumulative) + "\n";
            }
            out += "oca_call_duration_seconds_bucket{method=\"" + method + "\",le=\"+Inf\"} " +
                   std::to_string(l.count) + "\n";
            out +=
                "oca_call_duration_seconds_sum{method=\"" + method + "\"} " + Number(l.sum) + "\n";
            out += "oca_call_duration_seconds_count{method=\"" + method + "\"} " +
                   std::to_string(l.count) + "\n";
        }
    }
    Gauge(out, "oca_calls_in_flight", "Requests read whole and not yet answered.", "gauge",
          busyWorkers.load() + queuedRequests.load());
    Gauge(out, "oca_busy_workers", "Workers running a request now.", "gauge", busyWorkers.load());
    Gauge(out, "oca_queued_requests", "Requests read whole waiting for a worker.", "gauge",
          queuedRequests.load());
    Gauge(out, "oca_open_connections", "Client connections open.", "gauge", openConnections.load());
    Gauge(out, "oca_replayed_writes_total",
          "Writes sent again with a stored key, answered without running again.", "counter",
          replayedWrites.load());
    Gauge(out, "oca_retried_conflicts_total",
          "Transactions that lost a race with another writer and ran again.", "counter",
          retriedConflicts.load());
    Gauge(out, "oca_database_errors_total",
          "Failures of the database or the server logged under an id.", "counter",
          databaseErrors.load());
    Gauge(out, "oca_drains_total", "Stops that let the calls already read finish.", "counter",
          drains.load());
    return out;
}

ServerMetrics& Metrics() {
    static ServerMetrics metrics;
    return metrics;
}

std::string OutcomeLabel(const std::string& logged) {
    if (logged == "ok") {
        return "ok";
    }
    if (logged.rfind("recusado", 0) == 0) {
        return "recusado";
    }
    if (logged.rfind("erro-no-resultado", 0) == 0) {
        return "erro_no_resultado";
    }
    return "erro";
}

} // namespace oca::server
