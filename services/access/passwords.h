#pragma once

#include <string>

namespace oca::access {

/// How hard a password's hash is to compute. Interactive suits a person's password;
/// Demo is for the documented passwords of demonstration and test companies, which guard
/// nothing and are checked thousands of times by the tests.
enum class HashCost { Interactive, Demo };

/// The Argon2id hash of `password` in libsodium's string form (its salt and cost inside).
/// Raises std::runtime_error when the machine lacks the memory the cost asks for.
std::string HashPassword(const std::string& password, HashCost cost = HashCost::Interactive);

/// Whether `password` is the one `hash` was made from; false for a hash that is not one.
bool PasswordMatches(const std::string& hash, const std::string& password);

/// A hash no password matches, of the interactive cost: checking a sign-in of an unknown
/// operator against it takes as long as checking a known one.
const std::string& DecoyHash();

/// A new random secret for a session, as 64 hexadecimal digits.
std::string NewSessionToken();
/// What is stored of a session's token: a digest, 64 hexadecimal digits.
std::string TokenDigest(const std::string& token);

/// The longest password taken: hashing is costly, and a huge one would only be an attack.
constexpr size_t kMaxPasswordBytes = 256;

} // namespace oca::access
