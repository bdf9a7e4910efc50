#pragma once

#include <cairo.h>

#include <optional>
#include <string_view>

#include "layout/ImageSource.h"

typedef struct _RsvgHandle RsvgHandle;

namespace zelvorin {

// An SVG picture, parsed by librsvg from its bytes alone. No base file is given, so librsvg loads
// nothing the document refers to except embedded "data:" pictures: an SVG can never make the
// renderer read a file or reach the network, whatever it links to. librsvg's XML safety limits
// stay on. Nothing is scripted or animated.
class SvgImage {
public:
    // Nothing when the bytes are not an SVG librsvg can read, or it has neither a size in absolute
    // units nor a viewBox (it would have no proportions to place it by).
    static std::optional<SvgImage> parse(std::string_view bytes);

    SvgImage(SvgImage&& other) noexcept;
    SvgImage& operator=(SvgImage&& other) noexcept;
    SvgImage(const SvgImage&) = delete;
    SvgImage& operator=(const SvgImage&) = delete;
    ~SvgImage();

    // In CSS pixels (a point on the page each), or the viewBox's units when it has no size.
    ImageSize size() const { return size_; }
    // Fits the picture into the box, keeping its proportions; false when librsvg refuses to draw.
    bool draw(cairo_t* cr, double x, double y, double width, double height) const;

private:
    SvgImage(RsvgHandle* handle, ImageSize size) : handle_(handle), size_(size) {}

    RsvgHandle* handle_ = nullptr;
    ImageSize size_;
};

}  // namespace zelvorin
