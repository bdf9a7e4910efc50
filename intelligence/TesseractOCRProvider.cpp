#include "intelligence/TesseractOCRProvider.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <omp.h>
#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include "intelligence/ExtractionError.h"
#include "intelligence/IntelligenceTuning.h"
#include "intelligence/OCRHandles.h"
#include "intelligence/PageImage.h"

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
    return true;
}();

// Loading the language data costs about as much as reading a receipt, so each thread keeps one.
tesseract::TessBaseAPI& threadEngine() {
    thread_local std::unique_ptr<tesseract::TessBaseAPI> engine = [] {
        (void)kOpenMPLimited;
        omp_set_num_threads(1);
        omp_set_max_active_levels(0);
        auto api = std::make_unique<tesseract::TessBaseAPI>();
        if (api->Init(nullptr, tuning::ocrLanguages) != 0) throw ExtractionError::modelUnavailable();
        // Its warnings about specks too small to read would otherwise land on our stderr.
        api->SetVariable("debug_file", "/dev/null");
        // Recognition also tries every doubtful line as white on black; receipts and invoices print
        // none, and the retries cost a fifth of the time (26 real receipts: 41.5 s of processor
        // time with them, 32.6 s without, the same fields read).
        api->SetVariable("tessedit_do_invert", "0");
        // Automatic layout analysis cut receipts into blocks and, on noisy scans, dropped the
        // block holding the column of amounts altogether; one block read row by row keeps every
        // amount on the line of its label. Measured on 80 generated scans and photos, before
        // smoothing and cross-checks: totals right 73 % with automatic layout, 94 % as one block.
        api->SetPageSegMode(tesseract::PSM_SINGLE_BLOCK);
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
    double confidence = 1;  // of its least certain word, 0...1
    double confidenceSum = 0;
    int words = 0;

    // Recognition of a logo, a stamp or a barcode gives words that recognition itself doubts.
    // Figures are kept whatever their confidence, for the amounts may be cross-checked, and so
    // are web and e-mail addresses, which may name the sender.
    bool isNoise() const {
        const bool kept = text.find_first_of("0123456789@") != std::string::npos ||
                          text.find("www") != std::string::npos || text.find("WWW") != std::string::npos;
        return !kept && words > 0 && confidenceSum / words < tuning::noiseWordConfidence;
    }
};

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Tesseract gives a right-aligned column of amounts as a block of its own, far from the labels
// it belongs to. Lines are put back into rows: lines whose centres lie on one baseline (after
// taking out the page's skew, for photos) form one row, read left to right.
void joinRows(std::vector<RecognisedLine> lines, OCRResult& result) {
    std::vector<double> heights;
    for (auto& line : lines)
        heights.push_back(line.height);
    const double tolerance = 0.5 * median(heights);
    std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.key < b.key; });
    for (std::size_t i = 0; i < lines.size();) {
        std::size_t j = i + 1;
        while (j < lines.size() && lines[j].key - lines[i].key < tolerance)
            ++j;
        std::sort(lines.begin() + i, lines.begin() + j,
                  [](const auto& a, const auto& b) { return a.left < b.left; });
        if (!result.text.empty()) result.text += '\n';
        double confidence = 1;
        for (std::size_t k = i; k < j; ++k) {
            result.text += (k > i ? "  " : "") + lines[k].text;
            confidence = std::min(confidence, lines[k].confidence);
        }
        result.lineConfidences.push_back(confidence);
        i = j;
    }
}

// Walks the words; each line is taken at its first word, and its confidence is that of its least
// certain word.
void readRows(tesseract::TessBaseAPI& api, OCRResult& result) {
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (!it) return;
    std::vector<RecognisedLine> lines;
    std::vector<double> slopes;
    std::vector<std::array<int, 4>> boxes;
    bool inLine = false;  // the current word belongs to a line that was taken
    do {
        if (it->IsAtBeginningOf(tesseract::RIL_TEXTLINE)) {
            inLine = false;
            TesseractArray<char> text(it->GetUTF8Text(tesseract::RIL_TEXTLINE));
            std::string line = trimLine(text.get());
            int left, top, right, bottom, x1, y1, x2, y2;
            if (line.find_first_not_of(' ') == std::string::npos ||
                !it->BoundingBox(tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom)) {
                continue;
            }
            if (it->Baseline(tesseract::RIL_TEXTLINE, &x1, &y1, &x2, &y2) && x2 - x1 > 50) {
                slopes.push_back(static_cast<double>(y2 - y1) / (x2 - x1));
            }
            lines.push_back(
                {std::move(line), static_cast<double>(left), 0, static_cast<double>(bottom - top)});
            boxes.push_back({left, top, right, bottom});
            inLine = true;
        }
        if (inLine) {
            const double word = std::clamp(it->Confidence(tesseract::RIL_WORD) / 100.0, 0.0, 1.0);
            lines.back().confidence = std::min(lines.back().confidence, word);
            lines.back().confidenceSum += word;
            ++lines.back().words;
        }
    } while (it->Next(tesseract::RIL_WORD));
    const double slope = median(slopes);
    std::vector<RecognisedLine> kept;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const double cx = (boxes[i][0] + boxes[i][2]) / 2.0, cy = (boxes[i][1] + boxes[i][3]) / 2.0;
        lines[i].key = cy - slope * cx;
        if (!lines[i].isNoise()) kept.push_back(std::move(lines[i]));
    }
    joinRows(std::move(kept), result);
}

// Pixel noise of a photo or scan, read as one block, comes out as rows of made-up words; a 3 × 3
// mean takes most of it out. A photo taken at a slant is turned straight, so that rows of text
// stay rows. Either step is skipped when it fails: the page as it is can still be read.
// Recognition reads grey values in any case, so colour and palette images are made grey first.
// A picture larger than recognition needs is made smaller first, so that no image takes unbounded
// time; `dpi` follows the scale.
PixHandle cleaned(PIX* image, int& dpi) {
    PixHandle grey(pixConvertTo8(image, 0));
    if (!grey) return PixHandle(pixClone(image));
    const double pixels = static_cast<double>(pixGetWidth(grey.get())) * pixGetHeight(grey.get());
    if (pixels > tuning::maxRecognisedPixels) {
        const auto scale = static_cast<float>(std::sqrt(tuning::maxRecognisedPixels / pixels));
        if (PixHandle smaller(pixScale(grey.get(), scale, scale)); smaller) {
            grey = std::move(smaller);
            dpi = std::max(1, static_cast<int>(dpi * scale));
        }
    }
    PixHandle smooth(pixBlockconv(grey.get(), tuning::smoothingHalfWidth, tuning::smoothingHalfWidth));
    if (!smooth) smooth = std::move(grey);
    PixHandle straight(pixDeskew(smooth.get(), 0));
    return straight ? std::move(straight) : std::move(smooth);
}

OCRResult recognise(PIX* original, int dpi) {
    auto& api = threadEngine();
    const PixHandle image = cleaned(original, dpi);
    api.SetImage(image.get());
    api.SetSourceResolution(dpi);
    OCRResult result;
    if (api.Recognize(nullptr) != 0) {
        api.Clear();
        return result;
    }
    readRows(api, result);
    TesseractArray<int> confidences(api.AllWordConfidences());
    long sum = 0;
    long words = 0;
    for (int* c = confidences.get(); c && *c >= 0; ++c, ++words)
        sum += *c;
    result.confidence = words == 0 ? 0.0 : std::clamp(static_cast<double>(sum) / words / 100.0, 0.0, 1.0);
    api.Clear();
    return result;
}

}  // namespace

OCRResult TesseractOCRProvider::recognizeText(std::string_view document) const {
    PageImage page = loadFirstPage(document);
    OCRResult result;
    if (page.textLayer) {
        result.text = std::move(*page.textLayer);
        result.confidence = tuning::textLayerConfidence;
    } else {
        result = recognise(page.image.get(), page.dpi);
    }
    result.pages = page.pages;
    return result;
}

}  // namespace zelvorin
