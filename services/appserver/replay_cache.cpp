#include "appserver/replay_cache.h"

namespace oca::server {

ReplayCache::Claim ReplayCache::Begin(const std::string& key, const std::string& fingerprint,
                                      std::string& answer) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        const auto it = entries_.find(key);
        if (it == entries_.end()) {
            Evict(1);
            const Entry& entry = entries_[key] =
                Entry{fingerprint, false, {}, std::chrono::steady_clock::now()};
            bytes_ += Size(key, entry);
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
            bytes_ -= Size(key, it->second);
            if (answer) {
                it->second.done = true;
                it->second.answer = std::move(*answer);
                bytes_ += Size(key, it->second);
            } else {
                entries_.erase(it);
            }
            Evict(0);
        }
    }
    finished_.notify_all();
}

size_t ReplayCache::Size(const std::string& key, const Entry& entry) {
    return key.size() + entry.fingerprint.size() + entry.answer.size();
}

void ReplayCache::Evict(size_t incoming) {
    const auto now = std::chrono::steady_clock::now();
    // Requests still running are never forgotten (their repeats wait for them); they are
    // few, one per worker at most, and keep their place.
    std::deque<std::string> running;
    while (!order_.empty()) {
        const auto it = entries_.find(order_.front());
        if (it == entries_.end()) {
            order_.pop_front(); // forgotten by Finish
            continue;
        }
        if (!it->second.done) {
            running.push_back(std::move(order_.front()));
            order_.pop_front();
            continue;
        }
        const bool full = entries_.size() + incoming > capacity_ || bytes_ > maxBytes_;
        if (!full && now - it->second.at <= keep_) {
            break;
        }
        bytes_ -= Size(it->first, it->second);
        entries_.erase(it);
        order_.pop_front();
    }
    order_.insert(order_.begin(), running.begin(), running.end());
}

} // namespace oca::server
