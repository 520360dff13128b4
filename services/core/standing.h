#pragma once

#include <string>

/// A supplier's class by its score (0 to 100): the server stores it, the panel draws
/// its bands with the same bounds. Each bound is the lowest score of its class.
namespace standing {
constexpr double kA = 80;
constexpr double kB = 50;
constexpr double kC = 30;

inline std::string Of(double score) {
    return score >= kA ? "A" : score >= kB ? "B" : score >= kC ? "C" : "D";
}
} // namespace standing
