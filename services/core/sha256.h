#pragma once

#include <memory>
#include <string>
#include <string_view>

/// A SHA-256 digest taken piece by piece, so that a file's digest never needs the whole file.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    void Update(std::string_view bytes);
    /// The digest of everything given, as 64 lower-case hexadecimal digits; ends the digest.
    std::string HexDigest();
    /// The digest of `bytes` at once.
    static std::string Of(std::string_view bytes);

private:
    struct State;
    std::unique_ptr<State> state_;
};
