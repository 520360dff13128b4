// The answers kept for writes sent again: a repeat gets the first answer, and what is kept
// stays within its count and bytes whatever clients send.
#include "appserver/replay_cache.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using oca::server::ReplayCache;
using Claim = ReplayCache::Claim;

// Runs `key` as a first request answered `answer`; false when it was not a first.
bool RunFirst(ReplayCache& cache, const std::string& key, const std::string& answer) {
    std::string given;
    if (cache.Begin(key, "pedido-" + key, given) != Claim::First) {
        return false;
    }
    cache.Finish(key, answer);
    return true;
}

bool IsKept(ReplayCache& cache, const std::string& key) {
    std::string given;
    const Claim claim = cache.Begin(key, "pedido-" + key, given);
    if (claim == Claim::First) {
        cache.Finish(key, std::nullopt); // leave the cache as it was
    }
    return claim == Claim::Repeat;
}

TEST(ReplayCache, ARepeatGetsTheFirstAnswerAndAnotherRequestUnderTheKeyIsRefused) {
    ReplayCache cache;
    ASSERT_TRUE(RunFirst(cache, "k1", "0000000042"));
    std::string given;
    EXPECT_EQ(cache.Begin("k1", "pedido-k1", given), Claim::Repeat);
    EXPECT_EQ(given, "0000000042");
    EXPECT_EQ(cache.Begin("k1", "outro pedido", given), Claim::Conflict);
    // A request that wrote nothing is forgotten: sent again, it runs again.
    ASSERT_EQ(cache.Begin("k2", "pedido-k2", given), Claim::First);
    cache.Finish("k2", std::nullopt);
    EXPECT_FALSE(IsKept(cache, "k2"));
}

TEST(ReplayCache, KeptAnswersStayWithinTheirCountAndBytesOldestFirst) {
    struct Case {
        const char* what;
        size_t capacity;
        size_t maxBytes;
        size_t answerSize;
        std::vector<bool> keptAfterFour; // k0..k3
    };
    const std::vector<Case> cases = {
        {"by count", 2, 1 << 20, 10, {false, false, true, true}},
        {"by bytes", 100, 1000, 400, {false, false, true, true}},
        {"both roomy", 100, 1 << 20, 400, {true, true, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ReplayCache cache(c.capacity, std::chrono::minutes(30), c.maxBytes);
        for (int i = 0; i < 4; ++i) {
            ASSERT_TRUE(RunFirst(cache, "k" + std::to_string(i), std::string(c.answerSize, 'x')));
        }
        // Newest first: asking for a forgotten one makes room by the same rule.
        for (int i = 3; i >= 0; --i) {
            EXPECT_EQ(IsKept(cache, "k" + std::to_string(i)),
                      c.keptAfterFour[static_cast<size_t>(i)])
                << "k" << i;
        }
    }
}

TEST(ReplayCache, ARequestStillRunningIsNeverForgottenAndItsRepeatWaitsForIt) {
    ReplayCache cache(1, std::chrono::minutes(30), 1 << 20);
    std::string given;
    ASSERT_EQ(cache.Begin("lento", "pedido-lento", given), Claim::First);
    // Others come and go past the capacity while it runs.
    ASSERT_TRUE(RunFirst(cache, "a", "1"));
    ASSERT_TRUE(RunFirst(cache, "b", "2"));
    std::string repeated;
    std::thread repeat(
        [&] { EXPECT_EQ(cache.Begin("lento", "pedido-lento", repeated), Claim::Repeat); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    cache.Finish("lento", std::string("0000000007"));
    repeat.join();
    EXPECT_EQ(repeated, "0000000007");
}

} // namespace
