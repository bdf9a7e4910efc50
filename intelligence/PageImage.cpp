#include "intelligence/PageImage.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>

#include <poppler-document.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include "intelligence/DocumentFormat.h"
#include "intelligence/ExtractionError.h"
#include "intelligence/IntelligenceTuning.h"

namespace zelvorin {
namespace {

// The libraries report damaged input on stderr; it is reported as unreadableDocument instead.
const bool kLibrariesSilenced = [] {
    setMsgSeverity(L_SEVERITY_NONE);
    poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr);
    return true;
}();

// Flattens a premultiplied ARGB rendering onto white paper into a Leptonica image of `depth` bits,
// `put(line, x, r, g, b)` writing each pixel.
template <typename Put>
PixHandle flattened(const poppler::image& image, int depth, Put put) {
    const int width = image.width();
    const int height = image.height();
    PixHandle pix(pixCreate(width, height, depth));
    if (!pix) throw ExtractionError::unreadableDocument();
    l_uint32* data = pixGetData(pix.get());
    const int wpl = pixGetWpl(pix.get());
    const char* bits = image.const_data();
    for (int y = 0; y < height; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(bits + static_cast<long>(y) * image.bytes_per_row());
        l_uint32* line = data + static_cast<long>(y) * wpl;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t argb = row[x];
            const int white = 255 - static_cast<int>(argb >> 24);
            put(line, x, static_cast<int>((argb >> 16) & 0xFF) + white,
                static_cast<int>((argb >> 8) & 0xFF) + white, static_cast<int>(argb & 0xFF) + white);
        }
    }
    return pix;
}

PixHandle toGrey(const poppler::image& image) {
    return flattened(image, 8, [](l_uint32* line, int x, int r, int g, int b) {
        SET_DATA_BYTE(line, x, std::min(255, (r * 299 + g * 587 + b * 114) / 1000));
    });
}

PixHandle toColour(const poppler::image& image) {
    return flattened(image, 32, [](l_uint32* line, int x, int r, int g, int b) {
        composeRGBPixel(std::min(255, r), std::min(255, g), std::min(255, b), line + x);
    });
}

struct OpenedPdf {
    std::unique_ptr<poppler::document> document;
    std::unique_ptr<poppler::page> firstPage;
};

OpenedPdf openPdf(std::string_view bytes) {
    if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) throw ExtractionError::unreadableDocument();
    OpenedPdf pdf;
    pdf.document.reset(poppler::document::load_from_raw_data(bytes.data(), static_cast<int>(bytes.size())));
    // A document locked by a user password cannot be read without it; owner-only restrictions
    // leave the content readable.
    if (!pdf.document || pdf.document->is_locked() || pdf.document->pages() < 1)
        throw ExtractionError::unreadableDocument();
    pdf.firstPage.reset(pdf.document->create_page(0));
    if (!pdf.firstPage) throw ExtractionError::unreadableDocument();
    return pdf;
}

poppler::image renderPage(poppler::page& page, double dpi) {
    poppler::page_renderer renderer;
    renderer.set_render_hints(poppler::page_renderer::antialiasing |
                              poppler::page_renderer::text_antialiasing);
    poppler::image image = renderer.render_page(&page, dpi, dpi);
    if (!image.is_valid() || image.width() < 1 || image.height() < 1 ||
        image.format() != poppler::image::format_argb32) {
        throw ExtractionError::unreadableDocument();
    }
    return image;
}

PageImage loadPdf(std::string_view bytes) {
    OpenedPdf pdf = openPdf(bytes);
    const std::unique_ptr<poppler::document>& document = pdf.document;
    const std::unique_ptr<poppler::page>& page = pdf.firstPage;

    const auto layer = page->text(page->page_rect(), poppler::page::physical_layout).to_utf8();
    std::string text(layer.begin(), layer.end());
    if (text.find_first_not_of(" \t\r\n\f\v") != std::string::npos) {
        PageImage result;
        result.textLayer = std::move(text);
        result.pages = document->pages();
        return result;
    }

    const auto box = page->page_rect(poppler::media_box);
    const double points = std::abs(box.width() * box.height());
    const double widthInches = std::abs(box.width()) / 72.0;
    double dpi = widthInches > 0 ? tuning::scanRenderWidthPixels / widthInches : tuning::minScanRenderDpi;
    dpi = std::clamp(dpi, tuning::minScanRenderDpi, tuning::maxScanRenderDpi);
    const double pixels = points * (dpi / 72.0) * (dpi / 72.0);
    if (pixels > tuning::maxRenderPixels) dpi *= std::sqrt(tuning::maxRenderPixels / pixels);
    if (dpi < 1) throw ExtractionError::unreadableDocument();

    const poppler::image image = renderPage(*page, dpi);
    PageImage result;
    result.image = toGrey(image);
    result.dpi = static_cast<int>(dpi);
    result.pages = document->pages();
    return result;
}

bool pngTooLarge(std::string_view bytes) {
    if (bytes.size() < 24) return true;
    auto be32 = [&](std::size_t at) {
        return (static_cast<unsigned long long>(static_cast<unsigned char>(bytes[at])) << 24) |
               (static_cast<unsigned long long>(static_cast<unsigned char>(bytes[at + 1])) << 16) |
               (static_cast<unsigned long long>(static_cast<unsigned char>(bytes[at + 2])) << 8) |
               static_cast<unsigned long long>(static_cast<unsigned char>(bytes[at + 3]));
    };
    return be32(16) * be32(20) > static_cast<unsigned long long>(tuning::maxImagePixels);
}

PageImage loadImage(std::string_view bytes, DocumentFormat format) {
    const auto* data = reinterpret_cast<const l_uint8*>(bytes.data());
    PixHandle pix;
    if (format == DocumentFormat::jpeg) {
        l_int32 warnings = 0;
        // Leptonica fails on corrupt data by default, so a truncated photo is refused here.
        pix.reset(pixReadMemJpeg(data, bytes.size(), 0, 1, &warnings, 0));
    } else if (!pngTooLarge(bytes)) {
        pix.reset(pixReadMemPng(data, bytes.size()));
    }
    if (!pix) throw ExtractionError::unreadableDocument();
    const long long pixels = static_cast<long long>(pixGetWidth(pix.get())) * pixGetHeight(pix.get());
    if (pixels > tuning::maxImagePixels) throw ExtractionError::unreadableDocument();
    int dpi = pixGetXRes(pix.get());
    if (dpi < 70 || dpi > 1200) dpi = tuning::assumedPhotoDpi;
    PageImage result;
    result.image = std::move(pix);
    result.dpi = dpi;
    return result;
}

std::string encodedPng(PIX* pix) {
    l_uint8* encoded = nullptr;
    std::size_t size = 0;
    if (pixWriteMemPng(&encoded, &size, pix, 0) != 0 || !encoded) throw ExtractionError::unreadableDocument();
    const LeptonicaBytes owned(encoded);
    return std::string(reinterpret_cast<const char*>(encoded), size);
}

}  // namespace

std::string firstPageThumbnail(std::string_view document, int longestEdge) {
    (void)kLibrariesSilenced;
    if (longestEdge < 1) throw ExtractionError::unreadableDocument();
    const DocumentFormat format = detectDocumentFormat(document);
    if (format == DocumentFormat::pdf) {
        OpenedPdf pdf = openPdf(document);
        const auto box = pdf.firstPage->page_rect(poppler::media_box);
        const double longestPoints = std::max(std::abs(box.width()), std::abs(box.height()));
        if (!(longestPoints > 0)) throw ExtractionError::unreadableDocument();
        return encodedPng(toColour(renderPage(*pdf.firstPage, longestEdge * 72.0 / longestPoints)).get());
    }
    if (format == DocumentFormat::unknown) throw ExtractionError::unreadableDocument();
    const PageImage page = loadImage(document, format);
    const int longest = std::max(pixGetWidth(page.image.get()), pixGetHeight(page.image.get()));
    if (longest <= longestEdge) return encodedPng(page.image.get());
    const float factor = static_cast<float>(longestEdge) / static_cast<float>(longest);
    const PixHandle scaled(pixScale(page.image.get(), factor, factor));
    if (!scaled) throw ExtractionError::unreadableDocument();
    return encodedPng(scaled.get());
}

PageImage loadFirstPage(std::string_view document) {
    (void)kLibrariesSilenced;
    switch (const DocumentFormat format = detectDocumentFormat(document)) {
        case DocumentFormat::pdf:
            return loadPdf(document);
        case DocumentFormat::jpeg:
        case DocumentFormat::png:
            return loadImage(document, format);
        case DocumentFormat::unknown:
            break;
    }
    throw ExtractionError::unreadableDocument();
}

}  // namespace zelvorin
