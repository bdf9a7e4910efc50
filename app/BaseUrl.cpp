#include "app/BaseUrl.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#ifndef ZELVORIN_DEFAULT_BASE_URL
#error "ZELVORIN_DEFAULT_BASE_URL comes from the build (CMake cache variable ZELVORIN_BASE_URL)"
#endif

namespace zelvorin {

namespace {

bool validHostCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '[' || c == ']' ||
           c == ':';
}

}  // namespace

std::optional<BaseUrl> BaseUrl::parse(std::string_view text) {
    std::string_view rest;
    if (text.starts_with("http://")) {
        rest = text.substr(7);
    } else if (text.starts_with("https://")) {
        rest = text.substr(8);
    } else {
        return std::nullopt;
    }
    std::size_t hostEnd = rest.find('/');
    std::string_view authority = rest.substr(0, hostEnd);
    if (authority.empty() || !std::all_of(authority.begin(), authority.end(), validHostCharacter)) {
        return std::nullopt;
    }
    if (auto colon = authority.rfind(':'); colon != std::string_view::npos && authority.front() != '[') {
        std::string_view port = authority.substr(colon + 1);
        if (port.empty() || port.size() > 5 ||
            !std::all_of(port.begin(), port.end(),
                         [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) ||
            std::stoi(std::string(port)) > 65535 || colon == 0) {
            return std::nullopt;
        }
    }
    std::string normalised(text);
    if (normalised.find_first_of(" \t\r\n?#") != std::string::npos) return std::nullopt;
    if (normalised.back() != '/') normalised += '/';
    return BaseUrl(std::move(normalised));
}

std::optional<BaseUrl> BaseUrl::fromBuildOrEnvironment() {
    const char* override = std::getenv("ZELVORIN_BASE_URL");
    if (override != nullptr && *override != '\0') return parse(override);
    return parse(ZELVORIN_DEFAULT_BASE_URL);
}

std::string BaseUrl::resolve(std::string_view relativePath) const {
    while (relativePath.starts_with('/'))
        relativePath.remove_prefix(1);
    return text_ + std::string(relativePath);
}

}  // namespace zelvorin
