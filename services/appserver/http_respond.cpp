// The workers of the HTTP front: each takes a request read whole, runs its calls and
// hands the answer back to the loop, a large one in pieces as it is written.
#include "appserver/http_front_impl.h"
#include "appserver/metrics.h"
#include "core/datetime.h"

#include <nlohmann/json.hpp>

#include <boost/asio/post.hpp>

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace oca::server {

namespace {

std::mutex g_logMutex;

// The pieces that carry `data` as one chunk of a chunked answer.
void Chunk(std::vector<std::string>& pieces, std::string data) {
    if (data.empty()) {
        return;
    }
    char size[24];
    std::snprintf(size, sizeof size, "%zx\r\n", data.size());
    pieces.emplace_back(size);
    pieces.push_back(std::move(data));
    pieces.emplace_back("\r\n");
}

} // namespace

bool HttpFront::Impl::NextJob(bool reserved, Job& job) {
    std::unique_lock<std::mutex> lock(jobsMutex);
    auto next = jobs.end();
    // A stopping front still hands out the calls it read: their clients wait.
    jobsReady.wait(lock, [&] {
        next = reserved
                   ? std::find_if(jobs.begin(), jobs.end(), [](const Job& j) { return j.quick; })
                   : jobs.begin();
        return workersQuit || next != jobs.end();
    });
    if (workersQuit) {
        return false;
    }
    job = std::move(*next);
    jobs.erase(next);
    Metrics().queuedRequests = static_cast<std::int64_t>(jobs.size());
    return true;
}

void HttpFront::Impl::Work(bool reserved) {
    for (;;) {
        Job job;
        if (!NextJob(reserved, job)) {
            return;
        }
        Done done;
        done.connection = job.connection;
        done.close = !job.request.KeepAlive();
        bool streamed = false;
        ++Metrics().busyWorkers;
        done.pieces = Respond(job, done.close, streamed, done.abort);
        --Metrics().busyWorkers;
        Hand(std::move(done));
    }
}

void HttpFront::Impl::Hand(Done done) {
    {
        const std::lock_guard<std::mutex> lock(doneMutex);
        finished.push_back(std::move(done));
    }
    // Posted for each, taken together: the loop finds the list empty when it was quicker.
    asio::post(io, [this] { TakeFinished(); });
}

void HttpFront::Impl::Stream(const Job& job, std::vector<std::string> pieces) {
    size_t bytes = 0;
    for (const std::string& p : pieces) {
        bytes += p.size();
    }
    {
        // A client that reads at the network's pace keeps the rows waiting for it, so that
        // the answer never lies whole in memory. One that falls behind for long gets the
        // rest buffered instead: it must not hold a worker the others need.
        std::unique_lock<std::mutex> lock(job.stream->mutex);
        if (!job.stream->buffered &&
            !job.stream->drained.wait_for(
                lock, std::chrono::milliseconds(options.streamPatienceMs),
                [&] { return job.stream->gone || job.stream->queued < options.streamQueued; })) {
            job.stream->buffered = true;
        }
        if (job.stream->gone) {
            throw RpcError(kClientGone, "o cliente desconectou durante a resposta.");
        }
        // What lagging clients leave unread is bounded for the whole server: past it the
        // laggard's answer is cut, instead of the server's memory growing with each of them.
        if (job.stream->buffered && streamBytes + bytes > options.maxStreamBuffered) {
            throw RpcError(kClientGone, "o cliente não acompanhou a resposta e foi desconectado.");
        }
        job.stream->queued += bytes;
        streamBytes += bytes;
    }
    Done done;
    done.connection = job.connection;
    done.pieces = std::move(pieces);
    done.more = true;
    Hand(std::move(done));
}

std::vector<std::string> HttpFront::Impl::Respond(const Job& job, bool& close, bool& streamed,
                                                  bool& broken) {
    std::vector<std::string> pieces;
    if (job.request.method == "GET" && job.request.target != kPath) {
        pieces.push_back(Monitoring(job.request.target, !close));
        return pieces;
    }
    if (job.request.method == "GET") {
        LogLine("(handshake)", "-", false, "ok", job.received);
        pieces.push_back(HttpAnswer(200, kJson,
                                    "{\"object\":\"" + std::string(kObject) +
                                        "\",\"wire\":" + std::to_string(kWireVersion) + "}",
                                    !close));
        return pieces;
    }
    const std::string* key = job.request.Header("idempotency-key");
    if (key && key->size() > 200) {
        close = true;
        pieces.push_back(HttpAnswer(400, kJson, ErrorBody("Idempotency-Key longa demais"), false));
        return pieces;
    }
    std::string body = RunCalls(job, key ? *key : std::string(), close, streamed, broken);
    if (streamed) {
        Chunk(pieces, std::move(body));
        pieces.emplace_back("0\r\n\r\n");
        return pieces;
    }
    pieces.push_back(HttpHead(body.empty() ? 204 : 200, kJson, body.size(), !close));
    pieces.push_back(std::move(body));
    return pieces;
}

std::string HttpFront::Impl::RunCalls(const Job& job, const std::string& key, bool close,
                                      bool& streamed, bool& broken) {
    CallLimits limits;
    limits.deadline = job.received + std::chrono::milliseconds(options.callTimeoutMs);
    limits.seconds = options.callTimeoutMs / 1000;
    limits.clientGone = job.gone;
    limits.origin = job.origin;
    if (const std::string* session = job.request.Header("oca-sessao")) {
        limits.sessionToken = *session;
    }
    std::string who = "-";
    limits.operatorSeen = &who;
    // A single call's large answer goes out in chunks as its rows are read; a batch's
    // answers are gathered, as they are answered one after the other, and so have a
    // limit of their own, which a call passing it learns of as it writes.
    const size_t first = job.request.body.find_first_not_of(" \t\r\n");
    const bool single = first != std::string::npos && job.request.body[first] == '{';
    size_t sent = 0;
    const std::function<void(std::string&)> flush = [&](std::string& text) {
        sent += text.size();
        if (sent > options.maxAnswer) {
            throw RpcError(kAnswerTooLarge, "A resposta passa do limite do servidor.");
        }
        std::vector<std::string> pieces;
        if (!streamed) {
            pieces.push_back(HttpChunkedHead(200, kJson, !close));
            streamed = true;
        }
        std::string data;
        data.swap(text);
        text.reserve(data.capacity());
        Chunk(pieces, std::move(data));
        Stream(job, std::move(pieces));
    };
    std::vector<RpcOutcome> outcomes;
    size_t place = 0; // of the call in its request: each write of a batch has a key of its own
    std::string body = HandleRpc(
        job.request.body,
        [&](const std::string& method, const std::vector<Variant>& params) {
            CallLimits call = limits;
            if (!key.empty()) {
                call.writeKey = key + "#" + std::to_string(place);
            }
            ++place;
            return server.Call(method, params, call);
        },
        outcomes, single ? options.maxAnswer : options.maxBatchAnswer,
        [&](const std::string& method, const std::vector<Variant>& params, std::string& text,
            size_t budget, bool batch) {
            if (!batch) {
                return server.CallToText(method, params, limits, text, flush);
            }
            const std::function<void(std::string&)> bounded = [budget](std::string& written) {
                if (written.size() > budget) {
                    throw RpcError(kAnswerTooLarge, "");
                }
            };
            return server.CallToText(method, params, limits, text, bounded);
        });
    for (const RpcOutcome& o : outcomes) {
        LogLine(o.method, o.id, o.notification, o.result, job.received, who);
    }
    // Once the answer has begun to go out, a failure can no longer be told in it: the
    // connection is cut and the client sees the answer broken off.
    broken = streamed && !outcomes.empty() && outcomes[0].result.rfind("erro ", 0) == 0;
    return body;
}

// What a load balancer and the monitoring ask: whether the server can take calls (its
// database answers and it is not stopping), and its figures.
std::string HttpFront::Impl::Monitoring(const std::string& target, bool keepAlive) {
    constexpr const char* kText = "text/plain; charset=utf-8";
    if (target == "/metrics") {
        return HttpAnswer(200, "text/plain; version=0.0.4; charset=utf-8", Metrics().Text(),
                          keepAlive);
    }
    if (stopping) {
        return HttpAnswer(503, kText, "parando\n", keepAlive);
    }
    try {
        db::Database& db = server.Connection();
        if (db.InTransaction()) {
            db.Rollback();
        }
        auto st = db.Prepare("SELECT 1");
        st->Next();
        return HttpAnswer(200, kText, "pronto\n", keepAlive);
    } catch (const std::exception& e) {
        LogFailure("/ready", e.what());
        return HttpAnswer(503, kText, "banco de dados indisponível\n", keepAlive);
    }
}

void HttpFront::Impl::LogLine(const std::string& method, const std::string& id, bool notification,
                              const std::string& result, Clock::time_point started,
                              const std::string& op) const {
    const auto ms = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
    Metrics().Call(server.HasMethod(method) ? method : "desconhecido", OutcomeLabel(result),
                   ms / 1000);
    if (!options.log) {
        return;
    }
    const std::lock_guard<std::mutex> lock(g_logMutex);
    // The operator is the session's, "-" before sign-in. Arguments are never written: a
    // sign-in's would hold a password.
    if (options.logJson) {
        nlohmann::json line = {{"time", FormatDateTime("yyyy-mm-dd\"T\"hh:nn:ss.zzz", Now())},
                               {"operator", LogSafe(op, 12)},
                               {"method", LogSafe(method, 64)},
                               {"id", LogSafe(id, 40)},
                               {"duration_ms", ms},
                               {"outcome", OutcomeLabel(result)},
                               {"result", LogSafe(result, 400)}};
        if (notification) {
            line["notification"] = true;
        }
        std::cerr << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
        return;
    }
    std::cerr << "rpc " << LogSafe(method, 64) << " id=" << LogSafe(id, 40)
              << " op=" << LogSafe(op, 12) << (notification ? " (notificação)" : "") << " " << ms
              << " ms " << LogSafe(result, 400) << '\n';
}

} // namespace oca::server
