#pragma once

namespace zelvorin::tuning {

// Resolution a PDF page without a text layer is rendered at for recognition. Measured on the
// generated scans: see the commit that set it.
inline constexpr int scanRenderDpi = 144;
// A page rendered larger than this many pixels is drawn at a lower resolution instead: a media box
// of several metres would otherwise ask for gigabytes.
inline constexpr long long maxRenderPixels = 40'000'000;
// Images beyond this are refused before decoding: no receipt photo needs more.
inline constexpr long long maxImagePixels = 80'000'000;
// Photos carry no usable resolution; recognition needs one to size its glyph filters.
inline constexpr int assumedPhotoDpi = 300;
// A text layer is what the sender typed: trusted like a clean recognition.
inline constexpr double textLayerConfidence = 0.9;
inline constexpr const char* ocrLanguages = "nld+eng";

}  // namespace zelvorin::tuning
