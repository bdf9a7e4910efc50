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
// Larger images are scaled down to this many pixels before recognition, which bounds its time: a
// 12-megapixel phone photo is read as it is, an 80-megapixel scan no longer than a 16-megapixel one.
inline constexpr double maxRecognisedPixels = 16'000'000;
// Photos carry no usable resolution; recognition needs one to size its glyph filters.
inline constexpr int assumedPhotoDpi = 300;
// Pages are smoothed with a mean over (2 × this + 1)² pixels before recognition. Measured as one
// deskewed block on 80 generated scans and photos, before the totals were cross-checked: totals
// right 96 % unsmoothed (the noisiest invoice photos read as made-up words), 98 % with a 3 × 3
// mean, 98 % with a 3 × 3 median (which costs more). On small text the mean wipes out thin strokes:
// the 26 real till receipts read as phone photos at half resolution gave totals, dates and senders
// right 85 %, 69 %, 54 % without it against 73 %, 58 %, 38 % with it, while the same receipts
// scanned at full resolution lost without it (92 %, 81 %, 77 % against 96 %, 85 %, 92 %). It stays
// for every page until it can follow the size of the text.
inline constexpr int smoothingHalfWidth = 1;
// A text layer is what the sender typed: trusted like a clean recognition.
inline constexpr double textLayerConfidence = 0.9;
// Dutch first, then German and English. Measured on the 26 shared real (German) till receipts:
// nld+eng read 24 totals, 22 dates and 19 senders right; nld+deu+eng 25, 22 and 23 (German words
// and logos such as "LIDL" come through) at 1.5 times the processor time, which leaving out the
// inverted-text retries wins back (see TesseractOCRProvider); deu+nld+eng read one date more but
// puts German before the Dutch documents this application is for. Measured again with the rules as
// they are now, on the same receipts and on them as phone photos (half the resolution, slanted,
// noisy; see the receipt benchmark's --rephotographed): totals, dates and senders right
// nld+eng 92 %, 85 %, 73 % and photographed 77 %, 54 %, 23 %; nld+deu+eng 96 %, 85 %, 92 % and
// photographed 73 %, 58 %, 38 %, no wrong total accepted with either.
inline constexpr const char* ocrLanguages = "nld+deu+eng";
// A recognised line without figures whose words recognition gives less than this confidence on
// average is left out: on real receipts these are logos, stamps and barcodes read as made-up
// words (confidence 0.0 to 0.45), which the sender was then taken from; real words score 0.8 and
// more.
inline constexpr double noiseWordConfidence = 0.5;

// The share of a reading's confidence its total deserves (see TotalCheck). Calibrated on real till
// receipts and generated invoices so that a wrong total falls below the acceptance threshold and a
// right one stays above it as often as possible.
// A total two independent figures agree on (label and payment, label and items, ...) keeps the
// whole confidence. One that only a label or a payment line gives keeps this much when recognition
// was sure of that line, and so does one the text does not print but the items and the VAT table
// both add up to...
inline constexpr double trustLabelledAlone = 0.8;
inline constexpr double sureLineConfidence = 0.85;
// ...and this much when it was not, when only the items or the VAT give it, or when a payment or
// a "to pay" label states another amount (unless three figures agree on it).
inline constexpr double trustUnsure = 0.45;
// Only the largest figure on the page, or only beside cash handed over.
inline constexpr double trustUnsupported = 0.35;
// An amount the text does not print, and a reading without any total: the service reads those
// better.
inline constexpr double trustUnprinted = 0.4;
inline constexpr double trustWithoutTotal = 0.4;
// A document of more pages than this is no receipt or invoice whose first page can be vouched for.
inline constexpr int maxConfidentPages = 5;

}  // namespace zelvorin::tuning
