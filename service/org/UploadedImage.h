#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelvorin::service {

// A picture a member uploads (a logo, a profile photo, an avatar), judged by its bytes, never by
// its name or declared type.
enum class ImageKind { png, jpeg, webp, svg };

struct UploadedImage {
    ImageKind kind = ImageKind::png;
    std::string extension;    // "png", "jpg", "webp", "svg"
    std::string contentType;  // "image/png", ...
    int width = 0;            // 0 for SVG, which has no pixels of its own
    int height = 0;
};

struct ImageRules {
    std::size_t maxBytes = 0;
    int maxSide = 0;
    bool svgAllowed = false;
    const char* what = "";    // "Het logo", "De foto": the subject of the refusals
    bool webpAllowed = true;  // false for what is printed: the layout draws no WebP
};

// The picture in `bytes`, or ServiceError with a Dutch text: empty (badRequest), over
// rules.maxBytes (payloadTooLarge), not a PNG, JPEG, WebP (or SVG when allowed) by its content,
// a WebP where it is not allowed, an SVG that cannot be drawn (unsupportedMediaType), a header
// that claims more than rules.maxSide pixels a side (payloadTooLarge), an SVG with a script, an
// event handler, an entity declaration or a reference to anything outside itself (badRequest).
UploadedImage checkUploadedImage(std::string_view bytes, const ImageRules& rules);

// The first thing an SVG holds that could run or fetch something when it is shown; empty when
// there is none.
std::string svgHazard(std::string_view svg);

}  // namespace zelvorin::service
