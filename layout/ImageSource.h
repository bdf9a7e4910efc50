#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "layout/FontHandles.h"

namespace zelvorin {

struct ImageSize {
    double width = 0;
    double height = 0;
};

// The bytes of a "data:" URL with base64 payload; nullopt when the text is not such a URL.
std::optional<std::string> dataUrlBytes(std::string_view url);

// Width and height from a PNG or JPEG header; nullopt for anything that is not one of the two.
std::optional<ImageSize> imageSize(std::string_view bytes);

// The pixels of a PNG or JPEG; an empty owner when the bytes are neither or are damaged.
CairoSurface decodeImage(std::string_view bytes);

// A data URL's bytes, or the contents of a file (a path or a "file://" URL); nullopt otherwise.
std::optional<std::string> loadImageBytes(std::string_view url);

}  // namespace zelvorin
