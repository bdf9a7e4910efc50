#include "service/sync/PullCursor.h"

#include <charconv>

#include "service/auth/AuthCrypto.h"

namespace zelvorin::service {

namespace {

constexpr std::string_view kPrefix = "c1.";

}  // namespace

std::string PullCursor::encode() const {
    return std::string(kPrefix) + base64UrlEncode(organizationId + "\n" + std::to_string(sequence));
}

std::optional<PullCursor> PullCursor::decode(const std::string& text) {
    if (!text.starts_with(kPrefix)) return std::nullopt;
    const std::optional<std::string> inner = base64UrlDecode(std::string_view(text).substr(kPrefix.size()));
    if (!inner) return std::nullopt;
    const std::size_t newline = inner->find('\n');
    if (newline == std::string::npos || newline == 0) return std::nullopt;
    PullCursor cursor{inner->substr(0, newline), 0};
    const char* first = inner->data() + newline + 1;
    const char* last = inner->data() + inner->size();
    const auto [end, error] = std::from_chars(first, last, cursor.sequence);
    if (error != std::errc() || end != last || first == last || cursor.sequence < 0) return std::nullopt;
    return cursor;
}

}  // namespace zelvorin::service
