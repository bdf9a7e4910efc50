#include "api-client/HandoffCallback.h"

#include <algorithm>
#include <cctype>

namespace zelvorin {

namespace {

std::string lowerCased(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

template <class Visit>
void forEachPair(std::string_view text, Visit visit) {
    while (!text.empty()) {
        std::size_t amp = text.find('&');
        std::string_view pair = text.substr(0, amp);
        if (!pair.empty()) {
            std::size_t eq = pair.find('=');
            visit(pair.substr(0, eq),
                  eq == std::string_view::npos ? std::string_view{} : pair.substr(eq + 1));
        }
        if (amp == std::string_view::npos) break;
        text.remove_prefix(amp + 1);
    }
}

}  // namespace

std::string percentDecode(std::string_view text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int high = hexValue(text[i + 1]);
            int low = hexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                decoded.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        decoded.push_back(text[i]);
    }
    return decoded;
}

std::multimap<std::string, std::string> queryItems(std::string_view query) {
    std::multimap<std::string, std::string> items;
    forEachPair(query, [&](std::string_view name, std::string_view value) {
        items.emplace(percentDecode(name), percentDecode(value));
    });
    return items;
}

SchemeUrl SchemeUrl::split(std::string_view url) {
    SchemeUrl parts;
    std::size_t colon = url.find(':');
    if (colon == std::string_view::npos) return parts;
    parts.scheme = lowerCased(url.substr(0, colon));
    std::string_view rest = url.substr(colon + 1);
    if (std::size_t hash = rest.find('#'); hash != std::string_view::npos) {
        parts.fragment = std::string(rest.substr(hash + 1));
        rest = rest.substr(0, hash);
    }
    if (std::size_t question = rest.find('?'); question != std::string_view::npos) {
        parts.query = std::string(rest.substr(question + 1));
        rest = rest.substr(0, question);
    }
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        std::string_view authority = rest.substr(0, rest.find('/'));
        if (std::size_t at = authority.rfind('@'); at != std::string_view::npos)
            authority.remove_prefix(at + 1);
        if (std::size_t port = authority.rfind(':'); port != std::string_view::npos)
            authority = authority.substr(0, port);
        parts.host = lowerCased(authority);
    }
    return parts;
}

HandoffCallback::Outcome HandoffCallback::read(std::string_view url, std::string_view expectedDeviceId) {
    SchemeUrl parts = SchemeUrl::split(url);
    if (parts.scheme != "zelvorin") return InvalidCallback{};

    std::map<std::string, std::string> parameters;
    forEachPair(parts.fragment, [&](std::string_view name, std::string_view value) {
        parameters[std::string(name)] = std::string(value);
    });
    for (auto& [name, value] : queryItems(parts.query))
        parameters[name] = value;

    if (parts.host == "onboarding") {
        auto token = parameters.find("token");
        return Onboarding{std::string(url), token == parameters.end() ? std::string{} : token->second};
    }
    auto code = parameters.find("code");
    if (code == parameters.end() || code->second.empty()) return InvalidCallback{};
    auto device = parameters.find("device_id");
    if (device == parameters.end() || device->second != expectedDeviceId) return DeviceMismatch{};
    return Code{code->second};
}

}  // namespace zelvorin
