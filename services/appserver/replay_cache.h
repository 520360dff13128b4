#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace oca::server {

/// The answers of recent writing requests by the key their client gave them, so that a
/// request sent again (its answer was lost with the connection) is answered with the first
/// answer instead of being run twice. A repeat that arrives while the first still runs
/// waits for it.
class ReplayCache {
public:
    /// At most `capacity` answers and `maxBytes` of them are kept, each for `keep`; past
    /// either limit the oldest finished ones go first (a repeat of one of those runs again).
    explicit ReplayCache(size_t capacity = 10000,
                         std::chrono::seconds keep = std::chrono::minutes(30),
                         size_t maxBytes = 64 << 20)
        : capacity_(capacity), keep_(keep), maxBytes_(maxBytes) {}

    enum class Claim {
        First,    ///< the caller runs the request and then calls Finish
        Repeat,   ///< `answer` holds the first answer
        Conflict, ///< the key came with another request text
    };
    /// `fingerprint` identifies the request text: a key reused for another request is a
    /// client's mistake, not a repeat.
    Claim Begin(const std::string& key, const std::string& fingerprint, std::string& answer);
    /// Ends a First claim: `answer` is kept for repeats; nullopt forgets the key (the
    /// request wrote nothing, so running it again is right).
    void Finish(const std::string& key, std::optional<std::string> answer);

private:
    struct Entry {
        std::string fingerprint;
        bool done = false;
        std::string answer;
        std::chrono::steady_clock::time_point at;
    };
    /// Forgets what is too old, and the oldest finished entries while `incoming` more
    /// would not fit.
    void Evict(size_t incoming);
    static size_t Size(const std::string& key, const Entry& entry);
    size_t capacity_;
    std::chrono::seconds keep_;
    size_t maxBytes_;
    size_t bytes_ = 0; ///< what the kept entries take
    std::mutex mutex_;
    std::condition_variable finished_;
    std::map<std::string, Entry> entries_;
    std::deque<std::string> order_;
};

} // namespace oca::server
