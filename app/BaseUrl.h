#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelvorin {

// The service's base URL: "http" or "https", a host, an optional port and path, always ending in
// "/" so that relative API paths ("api/sync/pull") resolve below it.
class BaseUrl {
public:
    static std::optional<BaseUrl> parse(std::string_view text);
    // The build's constant, unless ZELVORIN_BASE_URL names another one. A value that does not parse
    // is a configuration error: the caller stops the process.
    static std::optional<BaseUrl> fromBuildOrEnvironment();

    const std::string& text() const { return text_; }
    std::string resolve(std::string_view relativePath) const;

private:
    explicit BaseUrl(std::string text) : text_(std::move(text)) {}
    std::string text_;
};

}  // namespace zelvorin
