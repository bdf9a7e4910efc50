#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelvorin::service {

// The values a matched path gave its named segments, in pattern order.
using PathParameters = std::vector<std::pair<std::string, std::string>>;

// A route's path: segments separated by "/", each a literal, a parameter "{name}" that matches one
// non-empty segment, or, last only, "{name*}" that matches the (non-empty) rest of the path with its
// slashes. Written without the leading "/", as the client's paths are:
// "api/native/v1/invoices/{id}/preview-pdf", "api/uploads/{key*}".
class PathPattern {
public:
    // Throws std::invalid_argument for a pattern that is not of this form (a mistake in a route
    // table, found when the table is built).
    explicit PathPattern(std::string_view pattern);

    const std::string& text() const { return text_; }
    // How many literal segments: of two patterns that match a path, the one with more literals
    // is the more specific ("kvitra/settings" before "kvitra/{id}").
    int literalCount() const { return literalCount_; }

    // The parameters when `path` (with or without its leading "/", without the query) matches.
    std::optional<PathParameters> match(std::string_view path) const;

    // The path with every parameter replaced by `value`, for tests that walk the route table.
    std::string example(std::string_view value) const;

private:
    struct Segment {
        std::string text;  // the literal, or the parameter's name
        bool parameter = false;
        bool rest = false;
    };

    std::string text_;
    std::vector<Segment> segments_;
    int literalCount_ = 0;
};

}  // namespace zelvorin::service
