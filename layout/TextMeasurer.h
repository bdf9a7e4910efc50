#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "layout/FontSet.h"

namespace zelvorin {

// Widths per point of font size, shared by every layout run of the process. Keys are the cache
// family, U+0001 and the text. Emptied before an insertion once it holds 8001 entries, which bounds
// memory without the bookkeeping of an LRU: a run rarely needs more than a few thousand texts.
class TextWidthCache {
public:
    static TextWidthCache& shared();

    std::optional<double> find(const std::string& key) const;
    void insert(const std::string& key, double widthPerPoint);
    std::size_t size() const;
    void clear();

    static constexpr std::size_t kFlushAt = 8001;

private:
    std::unordered_map<std::string, double> widths_;
};

// Measures single lines of text in the faces of a FontSet.
class TextMeasurer {
public:
    explicit TextMeasurer(const FontSet& fonts) : fonts_(fonts) {}

    double widthPerPoint(const FontRequest& font, std::string_view text) const;
    // The advance of the text at the size, letter spacing (em) added after every character.
    double width(const FontRequest& font, double size, std::string_view text,
                 double letterSpacingEm = 0) const;
    const FontSet& fonts() const { return fonts_; }

private:
    const FontSet& fonts_;
};

// Number of Unicode characters (not bytes) of UTF-8 text.
std::size_t utf8Length(std::string_view text);

}  // namespace zelvorin
