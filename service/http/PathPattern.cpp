#include "service/http/PathPattern.h"

#include <stdexcept>

namespace zelvorin::service {

namespace {

std::vector<std::string_view> split(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t slash = path.find('/', start);
        parts.push_back(path.substr(start, slash == std::string_view::npos ? slash : slash - start));
        if (slash == std::string_view::npos) return parts;
        start = slash + 1;
    }
}

}  // namespace

PathPattern::PathPattern(std::string_view pattern) : text_(pattern) {
    if (pattern.empty() || pattern.front() == '/')
        throw std::invalid_argument("route pattern must not be empty or start with '/': " + text_);
    const std::vector<std::string_view> parts = split(pattern);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string_view part = parts[i];
        if (part.empty()) throw std::invalid_argument("empty segment in route pattern " + text_);
        Segment segment;
        if (part.front() == '{') {
            if (part.back() != '}' || part.size() < 3)
                throw std::invalid_argument("malformed parameter in route pattern " + text_);
            std::string_view name = part.substr(1, part.size() - 2);
            segment.parameter = true;
            if (name.back() == '*') {
                if (i + 1 != parts.size())
                    throw std::invalid_argument("a rest parameter must be last in route pattern " + text_);
                segment.rest = true;
                name.remove_suffix(1);
            }
            segment.text = name;
        } else {
            segment.text = part;
            ++literalCount_;
        }
        segments_.push_back(std::move(segment));
    }
}

std::optional<PathParameters> PathPattern::match(std::string_view path) const {
    if (!path.empty() && path.front() == '/') path.remove_prefix(1);
    PathParameters parameters;
    std::size_t start = 0;
    for (std::size_t i = 0; i < segments_.size(); ++i) {
        const Segment& segment = segments_[i];
        if (start > path.size()) return std::nullopt;
        if (segment.rest) {
            const std::string_view rest = path.substr(start);
            if (rest.empty()) return std::nullopt;
            parameters.emplace_back(segment.text, std::string(rest));
            return parameters;
        }
        const std::size_t slash = path.find('/', start);
        const std::size_t end = slash == std::string_view::npos ? path.size() : slash;
        const std::string_view part = path.substr(start, end - start);
        const bool last = i + 1 == segments_.size();
        if (last != (slash == std::string_view::npos)) return std::nullopt;
        if (segment.parameter) {
            if (part.empty()) return std::nullopt;
            parameters.emplace_back(segment.text, std::string(part));
        } else if (part != segment.text) {
            return std::nullopt;
        }
        start = end + 1;
    }
    return parameters;
}

std::string PathPattern::example(std::string_view value) const {
    std::string path;
    for (const Segment& segment : segments_) {
        if (!path.empty()) path += '/';
        path += segment.parameter ? std::string(value) : segment.text;
    }
    return path;
}

}  // namespace zelvorin::service
