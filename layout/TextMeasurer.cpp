#include "layout/TextMeasurer.h"

#include <mutex>

#include "layout/LayoutSharedState.h"

namespace zelvorin {

TextWidthCache& TextWidthCache::shared() {
    static TextWidthCache cache;
    return cache;
}

std::optional<double> TextWidthCache::find(const std::string& key) const {
    std::lock_guard lock(layoutSharedMutex());
    auto it = widths_.find(key);
    if (it == widths_.end()) return std::nullopt;
    return it->second;
}

void TextWidthCache::insert(const std::string& key, double widthPerPoint) {
    if (widthPerPoint == 0) return;  // zero is what a failed measurement looks like: measure again
    std::lock_guard lock(layoutSharedMutex());
    if (widths_.size() >= kFlushAt) widths_.clear();
    widths_[key] = widthPerPoint;
}

std::size_t TextWidthCache::size() const {
    std::lock_guard lock(layoutSharedMutex());
    return widths_.size();
}

void TextWidthCache::clear() {
    std::lock_guard lock(layoutSharedMutex());
    widths_.clear();
}

double TextMeasurer::widthPerPoint(const FontRequest& font, std::string_view text) const {
    if (text.empty()) return 0;
    std::string key = fonts_.cacheFamily(font);
    key += '\x01';
    key.append(text);
    TextWidthCache& cache = TextWidthCache::shared();
    if (auto cached = cache.find(key)) return *cached;
    double width = fonts_.face(font).widthPerPoint(text);
    cache.insert(key, width);
    return width;
}

double TextMeasurer::width(const FontRequest& font, double size, std::string_view text,
                           double letterSpacingEm) const {
    double w = widthPerPoint(font, text) * size;
    if (letterSpacingEm != 0) w += letterSpacingEm * size * static_cast<double>(utf8Length(text));
    return w;
}

std::size_t utf8Length(std::string_view text) {
    std::size_t count = 0;
    for (unsigned char c : text) {
        if ((c & 0xC0) != 0x80) ++count;
    }
    return count;
}

}  // namespace zelvorin
