#include "access/passwords.h"

#include <sodium.h>

#include <stdexcept>

namespace oca::access {

namespace {

void EnsureSodium() {
    static const bool ready = sodium_init() >= 0;
    if (!ready) {
        throw std::runtime_error("não foi possível iniciar a biblioteca de criptografia");
    }
}

std::string Hex(const unsigned char* bytes, size_t size) {
    std::string out(size * 2 + 1, '\0');
    sodium_bin2hex(out.data(), out.size(), bytes, size);
    out.pop_back();
    return out;
}

} // namespace

std::string HashPassword(const std::string& password, HashCost cost) {
    EnsureSodium();
    const bool demo = cost == HashCost::Demo;
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(
            out, password.data(), password.size(),
            demo ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE,
            demo ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE,
            crypto_pwhash_ALG_ARGON2ID13) != 0) {
        throw std::runtime_error("memória insuficiente para calcular o hash da senha");
    }
    return out;
}

bool PasswordMatches(const std::string& hash, const std::string& password) {
    EnsureSodium();
    if (hash.empty() || hash.size() >= crypto_pwhash_STRBYTES ||
        password.size() > kMaxPasswordBytes) {
        return false;
    }
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

const std::string& DecoyHash() {
    EnsureSodium();
    static const std::string decoy = [] {
        unsigned char secret[32];
        randombytes_buf(secret, sizeof secret);
        return HashPassword(Hex(secret, sizeof secret));
    }();
    return decoy;
}

std::string NewSessionToken() {
    EnsureSodium();
    unsigned char secret[32];
    randombytes_buf(secret, sizeof secret);
    return Hex(secret, sizeof secret);
}

std::string TokenDigest(const std::string& token) {
    EnsureSodium();
    unsigned char digest[32];
    crypto_generichash(digest, sizeof digest, reinterpret_cast<const unsigned char*>(token.data()),
                       token.size(), nullptr, 0);
    return Hex(digest, sizeof digest);
}

} // namespace oca::access
