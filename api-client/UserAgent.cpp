#include "api-client/UserAgent.h"

#include <sys/utsname.h>

#include <cctype>

namespace zelvorin {

namespace {

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// Leading decimal number of `text`, advancing past it and one following '.'.
std::string takeNumber(std::string_view& text) {
    std::size_t digits = 0;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits])))
        ++digits;
    std::string number = digits == 0 ? "0" : std::string(text.substr(0, digits));
    text.remove_prefix(digits);
    if (digits > 0 && !text.empty() && text.front() == '.') {
        text.remove_prefix(1);
    } else {
        text = {};  // the version ends here; the remaining parts read as 0
    }
    return number;
}

}  // namespace

std::string userAgentString(std::string_view appVersion, std::string_view kernelRelease) {
    std::string major = takeNumber(kernelRelease);
    std::string minor = takeNumber(kernelRelease);
    std::string patch = takeNumber(kernelRelease);
    std::string version = appVersion.empty() ? "0.0" : std::string(appVersion);
    return "Zelvorin/" + version + " (Linux " + major + "." + minor + "." + patch + ")";
}

std::string userAgentString(std::string_view appVersion) {
    utsname system{};
    if (::uname(&system) != 0) return userAgentString(appVersion, "");
    return userAgentString(appVersion, system.release);
}

UserAgentParser::Parsed UserAgentParser::parse(const std::optional<std::string>& userAgent) {
    std::string_view text = userAgent ? std::string_view(*userAgent) : std::string_view{};
    auto blank = [](unsigned char c) { return std::isspace(c) != 0; };
    std::size_t first = 0;
    while (first < text.size() && blank(text[first]))
        ++first;
    if (first == text.size()) return {std::nullopt, std::nullopt, "Onbekende browser"};

    Parsed parsed;
    if (contains(text, "iPhone"))
        parsed.os = "iPhone";
    else if (contains(text, "iPad"))
        parsed.os = "iPad";
    else if (contains(text, "Android"))
        parsed.os = "Android";
    else if (contains(text, "Macintosh") || contains(text, "Mac OS X"))
        parsed.os = "macOS";
    else if (contains(text, "Windows"))
        parsed.os = "Windows";
    else if (contains(text, "Linux"))
        parsed.os = "Linux";

    // Edge and Opera also say Chrome/, and Chrome also says Safari/: the order decides.
    if (contains(text, "Edg/"))
        parsed.browser = "Edge";
    else if (contains(text, "OPR/") || contains(text, "Opera"))
        parsed.browser = "Opera";
    else if (contains(text, "Firefox/"))
        parsed.browser = "Firefox";
    else if (contains(text, "Chrome/"))
        parsed.browser = "Chrome";
    else if (contains(text, "Version/") && contains(text, "Safari/"))
        parsed.browser = "Safari";
    else if (contains(text, "Zelvorin/"))
        parsed.browser = "Zelvorin-app";

    if (parsed.browser && parsed.os)
        parsed.label = *parsed.browser + " op " + *parsed.os;
    else if (parsed.browser)
        parsed.label = *parsed.browser;
    else if (parsed.os)
        parsed.label = *parsed.os;
    else
        parsed.label = std::string(text.substr(0, 40));
    return parsed;
}

}  // namespace zelvorin
