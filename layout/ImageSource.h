#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "layout/FontHandles.h"

namespace zelvorin {

// A template's image is the template's own business, never the machine's: only "data:" URLs are
// read (the service hands in the organisation's uploads that way), never a path or another URL,
// so a synced template cannot make a renderer read /dev/zero, a FIFO or a private file.
// The caps hold for both sides of a data URL: what it encodes and what it decodes to.
inline constexpr std::size_t kMaxImageUrlBytes = 14 * 1024 * 1024;  // 10 MB of picture in base64
inline constexpr std::size_t kMaxImageBytes = 10 * 1024 * 1024;
inline constexpr double kMaxImagePixels = 40'000'000;

struct ImageSize {
    double width = 0;
    double height = 0;
};

// The bytes of a "data:" URL with base64 payload; nullopt when the text is not such a URL or its
// bytes pass kMaxImageBytes.
std::optional<std::string> dataUrlBytes(std::string_view url);

// An SVG document by its start: text (no NUL) whose first element is <svg, after an optional XML
// declaration, comments, a doctype or a byte-order mark. Says nothing about what it holds.
bool looksLikeSvg(std::string_view bytes);

// Width and height from a PNG or JPEG header, or of an SVG librsvg reads (its declared size, else
// its viewBox); nullopt for anything else.
std::optional<ImageSize> imageSize(std::string_view bytes);

// The pixels of a PNG or JPEG; an empty owner when the bytes are neither, are damaged, or their
// header declares more than kMaxImagePixels (checked before anything is decoded).
CairoSurface decodeImage(std::string_view bytes);

// A "data:" URL of `mediaType` with the bytes in base64, as dataUrlBytes reads it back.
std::string dataUrlOf(std::string_view bytes, std::string_view mediaType);

// A "data:" URL of a picture the layout draws (PNG, JPEG or SVG, with its own media type) within
// kMaxImageBytes, a PNG or JPEG whose header declares at most kMaxImagePixels; nullopt for anything
// else (WebP, a damaged file, text, a picture over either bound).
std::optional<std::string> drawableDataUrl(std::string_view bytes);

// A data URL's bytes; nullopt for anything else (paths and other URLs included).
std::optional<std::string> loadImageBytes(std::string_view url);

}  // namespace zelvorin
