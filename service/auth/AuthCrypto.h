#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zelvorin::service {

// Unpadded base64url, as used in the parts of an access token.
std::string base64UrlEncode(std::string_view bytes);
// Nothing when `text` holds a character outside the alphabet, padding, or an impossible length.
std::optional<std::string> base64UrlDecode(std::string_view text);

// HMAC-SHA256 of `message` under `key`: 32 raw bytes.
std::string hmacSha256(std::string_view key, std::string_view message);
// SHA-256 as 64 lower-case hex digits; refresh tokens and hand-off codes are stored this way.
std::string sha256Hex(std::string_view bytes);
// The S256 challenge of a sign-in verifier: the base64url of its SHA-256 (43 characters).
std::string s256Challenge(std::string_view verifier);
// True for text that can be an S256 challenge: 43 base64url characters that decode to 32 bytes.
bool isS256Challenge(std::string_view text);
// `byteCount` bytes from the system's cryptographic generator, base64url-encoded.
std::string randomToken(std::size_t byteCount);
// Compares without leaking where the first difference is.
bool constantTimeEquals(std::string_view left, std::string_view right);

}  // namespace zelvorin::service
