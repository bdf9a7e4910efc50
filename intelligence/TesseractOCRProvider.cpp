#include "intelligence/TesseractOCRProvider.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <omp.h>
#include <poppler-document.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include "intelligence/DocumentFormat.h"
#include "intelligence/ExtractionError.h"
#include "intelligence/IntelligenceTuning.h"
#include "intelligence/OCRHandles.h"

namespace zelvorin {
namespace {

// OpenMP inside Tesseract makes it several times slower on a busy two-core machine; documents are
// parallelised by the caller instead. The OpenMP runtime reads OMP_THREAD_LIMIT when it is loaded,
// which happens before any initialiser of ours, so the variable only helps child processes. Each
// recognising thread therefore also makes its parallel regions inactive (see threadEngine): the
// library asks for explicit team sizes, which a thread count alone does not override. Measured: one
// invoice photo 1.08 s with four threads, 0.55 s with one.
const bool kOpenMPLimited = [] {
    ::setenv("OMP_THREAD_LIMIT", "1", 0);
    // The libraries report damaged input on stderr; we report it as unreadableDocument instead.
    setMsgSeverity(L_SEVERITY_NONE);
    poppler::set_debug_error_function([](const std::string&, void*) {}, nullptr);
    return true;
}();

struct TessEnd {
    void operator()(tesseract::TessBaseAPI* api) const noexcept {
        api->End();
        delete api;
    }
};
using TessHandle = std::unique_ptr<tesseract::TessBaseAPI, TessEnd>;

// Loading the language data costs about as much as reading a receipt, so each thread keeps one.
tesseract::TessBaseAPI& threadEngine() {
    thread_local TessHandle engine = [] {
        (void)kOpenMPLimited;
        omp_set_num_threads(1);
        omp_set_max_active_levels(0);
        TessHandle api(new tesseract::TessBaseAPI());
        if (api->Init(nullptr, tuning::ocrLanguages) != 0) throw ExtractionError::modelUnavailable();
        api->SetPageSegMode(tesseract::PSM_AUTO);
        return api;
    }();
    return *engine;
}

std::string trimLine(const char* text) {
    std::string line = text ? text : "";
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ' || line.back() == '\r'))
        line.pop_back();
    return line;
}

struct RecognisedLine {
    std::string text;
    double left = 0, key = 0, height = 0;
};

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Tesseract gives a right-aligned column of amounts as a block of its own, far from the labels
// it belongs to. Lines are put back into rows: lines whose centres lie on one baseline (after
// taking out the page's skew, for photos) form one row, read left to right.
std::string joinRows(std::vector<RecognisedLine> lines) {
    std::vector<double> heights;
    for (auto& line : lines)
        heights.push_back(line.height);
    const double tolerance = 0.5 * median(heights);
    std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.key < b.key; });
    std::string text;
    for (std::size_t i = 0; i < lines.size();) {
        std::size_t j = i + 1;
        while (j < lines.size() && lines[j].key - lines[i].key < tolerance)
            ++j;
        std::sort(lines.begin() + i, lines.begin() + j,
                  [](const auto& a, const auto& b) { return a.left < b.left; });
        if (!text.empty()) text += '\n';
        for (std::size_t k = i; k < j; ++k)
            text += (k > i ? "  " : "") + lines[k].text;
        i = j;
    }
    return text;
}

std::string readRows(tesseract::TessBaseAPI& api) {
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (!it) return {};
    std::vector<RecognisedLine> lines;
    std::vector<double> slopes;
    std::vector<std::array<int, 4>> boxes;
    do {
        TesseractArray<char> text(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
        std::string line = trimLine(text.get());
        if (line.find_first_not_of(' ') == std::string::npos) continue;
        int left, top, right, bottom, x1, y1, x2, y2;
        if (!it->BoundingBox(tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom)) continue;
        if (it->Baseline(tesseract::RIL_TEXTLINE, &x1, &y1, &x2, &y2) && x2 - x1 > 50) {
            slopes.push_back(static_cast<double>(y2 - y1) / (x2 - x1));
        }
        lines.push_back({std::move(line), static_cast<double>(left), 0, static_cast<double>(bottom - top)});
        boxes.push_back({left, top, right, bottom});
    } while (it->Next(tesseract::RIL_TEXTLINE));
    const double slope = median(slopes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const double cx = (boxes[i][0] + boxes[i][2]) / 2.0, cy = (boxes[i][1] + boxes[i][3]) / 2.0;
        lines[i].key = cy - slope * cx;
    }
    return joinRows(std::move(lines));
}

OCRResult recognise(PIX* image, int dpi) {
    auto& api = threadEngine();
    api.SetImage(image);
    api.SetSourceResolution(dpi);
    OCRResult result;
    if (api.Recognize(nullptr) != 0) {
        api.Clear();
        return result;
    }
    result.text = readRows(api);
    TesseractArray<int> confidences(api.AllWordConfidences());
    long sum = 0;
    long words = 0;
    for (int* c = confidences.get(); c && *c >= 0; ++c, ++words)
        sum += *c;
    result.confidence = words == 0 ? 0.0 : std::clamp(static_cast<double>(sum) / words / 100.0, 0.0, 1.0);
    api.Clear();
    return result;
}

// Flattens a premultiplied ARGB rendering onto white paper as 8-bit grey.
PixHandle toGrey(const poppler::image& image) {
    const int width = image.width();
    const int height = image.height();
    PixHandle pix(pixCreate(width, height, 8));
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
            const int a = static_cast<int>(argb >> 24);
            const int r = static_cast<int>((argb >> 16) & 0xFF) + 255 - a;
            const int g = static_cast<int>((argb >> 8) & 0xFF) + 255 - a;
            const int b = static_cast<int>(argb & 0xFF) + 255 - a;
            SET_DATA_BYTE(line, x, std::min(255, (r * 299 + g * 587 + b * 114) / 1000));
        }
    }
    return pix;
}

OCRResult recognisePdf(std::string_view bytes) {
    if (bytes.size() > static_cast<std::size_t>(INT32_MAX)) throw ExtractionError::unreadableDocument();
    std::unique_ptr<poppler::document> document(
        poppler::document::load_from_raw_data(bytes.data(), static_cast<int>(bytes.size())));
    // A document locked by a user password cannot be read without it; owner-only restrictions
    // leave the content readable.
    if (!document || document->is_locked() || document->pages() < 1)
        throw ExtractionError::unreadableDocument();
    std::unique_ptr<poppler::page> page(document->create_page(0));
    if (!page) throw ExtractionError::unreadableDocument();

    const auto layer = page->text(page->page_rect(), poppler::page::physical_layout).to_utf8();
    std::string text(layer.begin(), layer.end());
    if (text.find_first_not_of(" \t\r\n\f\v") != std::string::npos) {
        return {std::move(text), tuning::textLayerConfidence};
    }

    const auto box = page->page_rect(poppler::media_box);
    const double points = std::abs(box.width() * box.height());
    const double widthInches = std::abs(box.width()) / 72.0;
    double dpi = widthInches > 0 ? tuning::scanRenderWidthPixels / widthInches : tuning::minScanRenderDpi;
    dpi = std::clamp(dpi, tuning::minScanRenderDpi, tuning::maxScanRenderDpi);
    const double pixels = points * (dpi / 72.0) * (dpi / 72.0);
    if (pixels > tuning::maxRenderPixels) dpi *= std::sqrt(tuning::maxRenderPixels / pixels);
    if (dpi < 1) throw ExtractionError::unreadableDocument();

    poppler::page_renderer renderer;
    renderer.set_render_hints(poppler::page_renderer::antialiasing |
                              poppler::page_renderer::text_antialiasing);
    const poppler::image image = renderer.render_page(page.get(), dpi, dpi);
    if (!image.is_valid() || image.width() < 1 || image.height() < 1 ||
        image.format() != poppler::image::format_argb32) {
        throw ExtractionError::unreadableDocument();
    }
    PixHandle grey = toGrey(image);
    return recognise(grey.get(), static_cast<int>(dpi));
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

OCRResult recogniseImage(std::string_view bytes, DocumentFormat format) {
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
    return recognise(pix.get(), dpi);
}

}  // namespace

OCRResult TesseractOCRProvider::recognizeText(std::string_view document) const {
    switch (detectDocumentFormat(document)) {
        case DocumentFormat::pdf:
            return recognisePdf(document);
        case DocumentFormat::jpeg:
        case DocumentFormat::png:
            return recogniseImage(document, detectDocumentFormat(document));
        case DocumentFormat::unknown:
            break;
    }
    throw ExtractionError::unreadableDocument();
}

}  // namespace zelvorin
