#pragma once

namespace zelvorin::tuning {

// A PDF page without a text layer is rendered so that it is about this many pixels wide, at no
// less than 144 and no more than 300 dpi. Measured on generated scans (one thread): ten mixed
// pages read 166 lines whole at 144 dpi in 9.9 s, 159 at 200 dpi in 10.6 s, 157 at 300 dpi in
// 14.4 s; but an 80 mm till receipt at 144 dpi lost its whole column of amounts, and at 200 or
// 300 dpi kept it. A4 so lands at ~150 dpi and a till receipt at 300.
inline constexpr double scanRenderWidthPixels = 1240;
inline constexpr double minScanRenderDpi = 144;
inline constexpr double maxScanRenderDpi = 300;
// A page rendered larger than this many pixels is drawn at a lower resolution instead: a media box
// of several metres would otherwise ask for gigabytes.
inline constexpr long long maxRenderPixels = 40'000'000;
// Images beyond this are refused before decoding: no receipt photo needs more.
inline constexpr long long maxImagePixels = 80'000'000;
// Photos carry no usable resolution; recognition needs one to size its glyph filters.
inline constexpr int assumedPhotoDpi = 300;
// Pages are smoothed with a mean over (2 × this + 1)² pixels before recognition. Measured as one
// deskewed block on 80 generated scans and photos, before the totals were cross-checked: totals
// right 96 % unsmoothed (the noisiest invoice photos read as made-up words), 98 % with a 3 × 3
// mean, 98 % with a 3 × 3 median (which costs more).
inline constexpr int smoothingHalfWidth = 1;
// A text layer is what the sender typed: trusted like a clean recognition.
inline constexpr double textLayerConfidence = 0.9;
inline constexpr const char* ocrLanguages = "nld+eng";

}  // namespace zelvorin::tuning
