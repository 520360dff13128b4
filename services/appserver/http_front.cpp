#include "appserver/http_front.h"

#include "appserver/jsonrpc.h"

#include <httplib.h>

#include <chrono>
#include <iostream>
#include <mutex>

namespace oca::server {

namespace {
std::mutex g_logMutex;
}

HttpFront::HttpFront(OcorAtendimento& server, HttpOptions options)
    : server_(server), options_(std::move(options)), http_(std::make_unique<httplib::Server>()) {
    const int threads = std::max(1, options_.threads);
    http_->new_task_queue = [threads] {
        return new httplib::ThreadPool(static_cast<size_t>(threads));
    };
    http_->set_payload_max_length(options_.maxBody);
    http_->set_read_timeout(options_.readTimeoutSeconds, 0);
    http_->set_write_timeout(options_.readTimeoutSeconds, 0);
    http_->set_keep_alive_max_count(1000);
    // Idle client connections are let go soon, so that stopping never waits long.
    http_->set_keep_alive_timeout(1);
    // Replies go out at once: with Nagle's delay every call would wait for an ACK.
    http_->set_tcp_nodelay(true);
    http_->Get(kPath, [this](const httplib::Request& req, httplib::Response& res) {
        const auto started = std::chrono::steady_clock::now();
        RpcOutcome outcome{"(handshake)", "ok"};
        if (!Authorized(req, res, outcome)) {
            Log(outcome, started);
            return;
        }
        res.set_content("{\"object\":\"" + std::string(kObject) +
                            "\",\"wire\":" + std::to_string(kWireVersion) + "}",
                        "application/json; charset=utf-8");
        Log(outcome, started);
    });
    http_->Post(kPath, [this](const httplib::Request& req, httplib::Response& res) {
        const auto started = std::chrono::steady_clock::now();
        RpcOutcome outcome;
        if (Authorized(req, res, outcome)) {
            res.set_content(HandleRpc(
                                req.body,
                                [this](const std::string& m, const std::vector<Variant>& p) {
                                    return server_.Call(m, p);
                                },
                                outcome),
                            "application/json; charset=utf-8");
        }
        Log(outcome, started);
    });
}

bool HttpFront::Authorized(const httplib::Request& req, httplib::Response& res,
                           RpcOutcome& outcome) const {
    if (options_.token.empty() ||
        req.get_header_value("Authorization") == "Bearer " + options_.token) {
        return true;
    }
    res.status = 401;
    res.set_content("{\"error\":\"não autorizado\"}", "application/json");
    outcome.result = "HTTP 401";
    if (outcome.method.empty()) {
        outcome.method = "-";
    }
    return false;
}

void HttpFront::Log(const RpcOutcome& outcome,
                    std::chrono::steady_clock::time_point started) const {
    if (!options_.log) {
        return;
    }
    const auto ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    const std::lock_guard<std::mutex> lock(g_logMutex);
    std::cerr << "rpc " << outcome.method << " " << ms << " ms " << outcome.result << '\n';
}

HttpFront::~HttpFront() {
    Stop();
}

void HttpFront::Bind() {
    if (options_.port == 0) {
        port_ = http_->bind_to_any_port(options_.host);
    } else {
        port_ = http_->bind_to_port(options_.host, options_.port) ? options_.port : -1;
    }
    if (port_ <= 0) {
        throw std::runtime_error("Não foi possível escutar em " + options_.host + ":" +
                                 std::to_string(options_.port));
    }
}

int HttpFront::Start() {
    Bind();
    thread_ = std::thread([this] { http_->listen_after_bind(); });
    // A stop that came before the loop started would be lost and the join would hang.
    while (!http_->is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return port_;
}

void HttpFront::Run() {
    Bind();
    http_->listen_after_bind();
}

void HttpFront::Stop() {
    if (http_) {
        http_->stop();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
}

} // namespace oca::server
