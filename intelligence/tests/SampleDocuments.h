#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "intelligence/ExtractedInvoiceData.h"

namespace zelvorin::testing {

// A receipt or invoice with known content, and ways to print it as the documents users share:
// PDFs with a text layer, scanned PDFs, phone photos and till receipts.
struct SampleDocument {
    enum class Kind { invoice, receipt };
    enum class Language { nl, en };

    Kind kind = Kind::invoice;
    Language language = Language::nl;
    std::string fontFamily = "DejaVu Sans";
    bool reverseCharge = false;
    std::string dateAsPrinted;               // one of the usual written forms
    std::vector<std::string> customerLines;  // invoices only
    std::string customerVatNumber;           // printed for reverse charge
    ExtractedInvoiceData truth;              // what a perfect reading gives

    // The text lines as printed, top to bottom; two columns are joined by spaces.
    std::vector<std::string> printedLines() const;
};

// Deterministic for a seed: the same seed always gives the same document.
SampleDocument makeSampleDocument(std::uint32_t seed);

struct PhotoEffects {
    double rotationDegrees = 2.0;
    int blurRadius = 1;
    int noiseAmplitude = 18;     // grey levels
    double lightFalloff = 0.25;  // darkening towards one corner, 0...1
    int jpegQuality = 80;
    double scale = 1.0;  // of the page's pixels: a phone held further away sees fewer
};

std::string renderTextPdf(const SampleDocument& document, int extraPages = 0);
std::string renderScannedPdf(const SampleDocument& document, int dpi = 150);
std::string renderPhotoJpeg(const SampleDocument& document, const PhotoEffects& effects, std::uint32_t seed);
std::string renderPng(const SampleDocument& document, int dpi = 200);
// A scan or photo (JPEG, PNG, TIFF) taken again as a phone photo with these effects.
std::string rephotographJpeg(const std::string& image, const PhotoEffects& effects, std::uint32_t seed);
// A page with no marks at all, as a blank scan: a PDF without text layer or an image.
std::string renderBlankScanPdf();
std::string renderBlankPng();
// Things that are no document: a photo of a brick wall, an image of one pixel.
std::string renderWallPhotoJpeg(std::uint32_t seed);
std::string renderOnePixelPng();

}  // namespace zelvorin::testing
