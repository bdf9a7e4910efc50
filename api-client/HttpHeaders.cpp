#include "api-client/HttpHeaders.h"

#include <charconv>

namespace zelvorin {

std::optional<std::int64_t> parseRetryAfter(std::optional<std::string_view> header) {
    if (!header || header->empty()) return std::nullopt;
    std::string_view text = *header;
    bool negative = false;
    if (text.front() == '+' || text.front() == '-') {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
    }
    // Parse with the sign attached so that the most negative value still fits.
    std::string digits = (negative ? "-" : "") + std::string(text);
    std::int64_t value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc{} || end != digits.data() + digits.size()) return std::nullopt;
    return value;
}

std::optional<std::string> contentDispositionFileName(std::optional<std::string_view> header) {
    if (!header) return std::nullopt;
    constexpr std::string_view marker = "filename=\"";
    std::size_t start = header->find(marker);
    if (start == std::string_view::npos) return std::nullopt;
    start += marker.size();
    std::size_t end = header->find('"', start);
    if (end == std::string_view::npos) return std::nullopt;
    return std::string(header->substr(start, end - start));
}

}  // namespace zelvorin
