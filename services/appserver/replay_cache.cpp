#include "appserver/replay_cache.h"

namespace oca::server {

ReplayCache::Claim ReplayCache::Begin(const std::string& key, const std::string& fingerprint,
                                      std::string& answer) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        const auto it = entries_.find(key);
        if (it == entries_.end()) {
            Evict();
            entries_[key] = Entry{fingerprint, false, {}, std::chrono::steady_clock::now()};
            order_.push_back(key);
            return Claim::First;
        }
        if (it->second.fingerprint != fingerprint) {
            return Claim::Conflict;
        }
        if (it->second.done) {
            answer = it->second.answer;
            return Claim::Repeat;
        }
        finished_.wait(lock);
    }
}

void ReplayCache::Finish(const std::string& key, std::optional<std::string> answer) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        const auto it = entries_.find(key);
        if (it != entries_.end()) {
            if (answer) {
                it->second.done = true;
                it->second.answer = std::move(*answer);
            } else {
                entries_.erase(it);
            }
        }
    }
    finished_.notify_all();
}

void ReplayCache::Evict() {
    const auto now = std::chrono::steady_clock::now();
    while (!order_.empty()) {
        const auto it = entries_.find(order_.front());
        if (it == entries_.end()) {
            order_.pop_front(); // forgotten by Finish
            continue;
        }
        const bool full = entries_.size() >= capacity_;
        if (!(it->second.done && (full || now - it->second.at > keep_))) {
            break;
        }
        entries_.erase(it);
        order_.pop_front();
    }
}

} // namespace oca::server
