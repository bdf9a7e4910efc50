#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelvorin {

// "Zelvorin/<version> (Linux <major>.<minor>.<patch>)"; the kernel release is read with uname().
std::string userAgentString(std::string_view appVersion);
// The same from a given kernel release ("6.1.0-18-amd64" gives 6.1.0); missing parts are 0.
std::string userAgentString(std::string_view appVersion, std::string_view kernelRelease);

// Names the browser and system of a signed-in session for the devices list.
struct UserAgentParser {
    struct Parsed {
        std::optional<std::string> browser;
        std::optional<std::string> os;
        std::string label;
        bool operator==(const Parsed&) const = default;
    };
    static Parsed parse(const std::optional<std::string>& userAgent);
};

}  // namespace zelvorin
