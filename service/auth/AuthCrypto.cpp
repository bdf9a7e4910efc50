#include "service/auth/AuthCrypto.h"

#include <array>
#include <cstdint>
#include <vector>

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

#include "service/http/ServiceError.h"

namespace zelvorin::service {

namespace {

constexpr std::string_view kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

int alphabetIndex(char character) {
    const std::size_t index = kAlphabet.find(character);
    return index == std::string_view::npos ? -1 : static_cast<int>(index);
}

}  // namespace

std::string base64UrlEncode(std::string_view bytes) {
    std::string text;
    text.reserve((bytes.size() * 4 + 2) / 3);
    std::uint32_t buffer = 0;
    int bits = 0;
    for (const char byte : bytes) {
        buffer = (buffer << 8) | static_cast<unsigned char>(byte);
        bits += 8;
        while (bits >= 6) {
            bits -= 6;
            text.push_back(kAlphabet[(buffer >> bits) & 0x3F]);
        }
    }
    if (bits > 0) text.push_back(kAlphabet[(buffer << (6 - bits)) & 0x3F]);
    return text;
}

std::optional<std::string> base64UrlDecode(std::string_view text) {
    // One character left over carries only six bits: no byte ends there.
    if (text.size() % 4 == 1) return std::nullopt;
    std::string bytes;
    bytes.reserve(text.size() * 3 / 4);
    std::uint32_t buffer = 0;
    int bits = 0;
    for (const char character : text) {
        const int value = alphabetIndex(character);
        if (value < 0) return std::nullopt;
        buffer = (buffer << 6) | static_cast<std::uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            bytes.push_back(static_cast<char>((buffer >> bits) & 0xFF));
        }
    }
    // The unused low bits of the last character must be zero, so each text has one decoding.
    if (bits > 0 && (buffer & ((1U << bits) - 1)) != 0) return std::nullopt;
    return bytes;
}

std::string hmacSha256(std::string_view key, std::string_view message) {
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    const unsigned char* result =
        HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
             reinterpret_cast<const unsigned char*>(message.data()), message.size(), digest.data(), &length);
    if (result == nullptr) throw ServiceError(ErrorKind::internal, "Ondertekenen van het token is mislukt.");
    return std::string(reinterpret_cast<const char*>(digest.data()), length);
}

std::string sha256Hex(std::string_view bytes) {
    std::array<unsigned char, SHA256_DIGEST_LENGTH> digest{};
    SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest.data());
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    text.reserve(digest.size() * 2);
    for (const unsigned char byte : digest) {
        text.push_back(kHex[byte >> 4]);
        text.push_back(kHex[byte & 0x0F]);
    }
    return text;
}

std::string s256Challenge(std::string_view verifier) {
    std::array<unsigned char, SHA256_DIGEST_LENGTH> digest{};
    SHA256(reinterpret_cast<const unsigned char*>(verifier.data()), verifier.size(), digest.data());
    return base64UrlEncode(std::string_view(reinterpret_cast<const char*>(digest.data()), digest.size()));
}

bool isS256Challenge(std::string_view text) {
    if (text.size() != 43) return false;
    const std::optional<std::string> digest = base64UrlDecode(text);
    return digest && digest->size() == SHA256_DIGEST_LENGTH;
}

std::string randomToken(std::size_t byteCount) {
    std::vector<unsigned char> bytes(byteCount);
    if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1) {
        throw ServiceError(ErrorKind::internal, "De toevalsgenerator van het systeem gaf geen bytes.");
    }
    return base64UrlEncode(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool constantTimeEquals(std::string_view left, std::string_view right) {
    if (left.size() != right.size()) return false;
    return CRYPTO_memcmp(left.data(), right.data(), left.size()) == 0;
}

}  // namespace zelvorin::service
