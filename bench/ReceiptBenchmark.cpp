// Reading receipts and invoices on the device: how often each field comes out right, how often a
// wrong total would still be submitted, and what it costs per page against the bare tesseract
// command on the same page.
//
//   zelvorin_bench_receipts [--generated N] [--real FOLDER [--vat-truth FILE]]... [--rephotographed]
//                           [--ocr-cache DIR] [--verbose]
//
// --generated N   N generated Dutch and English receipts and invoices (default 40), each as a PDF
//                 with a text layer, a scanned PDF and a phone photo; 0 leaves them out.
// --real FOLDER   every document of a folder with a truth.csv (file,merchant,date,items,total_cents),
//                 such as the shared set of real till receipts; may be given more than once.
// --vat-truth F   the VAT breakdown of the previous folder's documents (file,rate:euros ...);
//                 without it that folder's VAT column stays empty.
// --rephotographed  also read every image of the real folders as a phone would see it: half the
//                 resolution, at a slant, blurred, noisy, as a JPEG. Recognition then misreads far
//                 more figures, which is what tells whether the confidence refuses wrong totals.
// --ocr-cache DIR keep each document's recognised text in DIR and read it from there next time, so
//                 that rules can be tuned without recognising every page again; the folder holds
//                 one recognition setting. Times are measured only when every page of a set was
//                 recognised in this run.
// --verbose       one line for every document read wrong.
//
// Senders of the generated set must match exactly; of a real folder, the merchant's name must be
// part of the sender read. "wrong, passed" counts the readings whose total is wrong or missing
// and whose confidence still passes the gate: those would be submitted as the device's reading.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "bench/support/ReceiptTruth.h"
#include "intelligence/ExtractionError.h"
#include "intelligence/FoundationModelsExtractionPipeline.h"
#include "intelligence/IntelligenceTuning.h"
#include "intelligence/RuleBasedInvoiceStructurer.h"
#include "intelligence/TesseractOCRProvider.h"
#include "intelligence/tests/SampleDocuments.h"
#include "testing/ChildProcess.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

using SteadyClock = std::chrono::steady_clock;

struct Expected {
    std::optional<std::int64_t> total;
    std::optional<std::string> date;
    std::function<bool(const std::optional<std::string>&)> sender;
    std::optional<std::vector<ExtractedInvoiceData::VatItem>> vat;
};

struct Tally {
    std::string name;
    int documents = 0, total = 0, date = 0, sender = 0, vat = 0, vatKnown = 0, accepted = 0;
    int wrongTotal = 0, wrongTotalAccepted = 0;
    int cached = 0;  // documents whose text came from the cache: no time to report
    double seconds = 0, tesseractSeconds = 0;

    void add(const Tally& other) {
        documents += other.documents, total += other.total, date += other.date, sender += other.sender;
        vat += other.vat, vatKnown += other.vatKnown, accepted += other.accepted;
        wrongTotal += other.wrongTotal, wrongTotalAccepted += other.wrongTotalAccepted;
        cached += other.cached;
        seconds += other.seconds, tesseractSeconds += other.tesseractSeconds;
    }
};

void printHeader() {
    std::printf("%-28s %5s %7s %7s %7s %7s %9s %14s %8s %9s %6s\n", "set", "docs", "total", "date", "sender",
                "vat", "accepted", "wrong, passed", "s/page", "bare s/p", "ratio");
}

void print(const Tally& t) {
    const auto percent = [&](int n, int of) {
        char cell[16];
        if (of == 0) return std::string("-");
        std::snprintf(cell, sizeof cell, "%.1f%%", 100.0 * n / of);
        return std::string(cell);
    };
    char wrong[32];
    std::snprintf(wrong, sizeof wrong, "%d of %d", t.wrongTotalAccepted, t.wrongTotal);
    std::printf("%-28s %5d %7s %7s %7s %7s %9s %14s", t.name.c_str(), t.documents,
                percent(t.total, t.documents).c_str(), percent(t.date, t.documents).c_str(),
                percent(t.sender, t.documents).c_str(), percent(t.vat, t.vatKnown).c_str(),
                percent(t.accepted, t.documents).c_str(), wrong);
    if (t.cached > 0) {
        std::printf(" %8s\n", "(cached)");
        return;
    }
    std::printf(" %8.3f", t.documents ? t.seconds / t.documents : 0.0);
    if (t.tesseractSeconds > 0) {
        std::printf(" %9.3f %6.2f", t.tesseractSeconds / t.documents, t.seconds / t.tesseractSeconds);
    }
    std::printf("\n");
}

bool sameVat(const std::vector<ExtractedInvoiceData::VatItem>& read,
             const std::vector<ExtractedInvoiceData::VatItem>& truth) {
    if (read.size() != truth.size()) return false;
    for (std::size_t i = 0; i < truth.size(); ++i) {
        if (std::abs(read[i].rate - truth[i].rate) > 0.01 ||
            std::abs(read[i].amount - truth[i].amount) > 0.005)
            return false;
    }
    return true;
}

std::string cents(std::optional<std::int64_t> value) {
    if (!value) return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%02lld", static_cast<long long>(*value / 100),
                  static_cast<long long>(std::llabs(*value % 100)));
    return text;
}

// A recognised text as it is kept between runs.
std::optional<OCRResult> loadRecognised(const std::filesystem::path& file) {
    if (!std::filesystem::exists(file)) return std::nullopt;
    const auto json = nlohmann::json::parse(testing::readFile(file));
    OCRResult ocr;
    ocr.text = json.at("text").get<std::string>();
    ocr.confidence = json.at("confidence").get<double>();
    ocr.lineConfidences = json.at("lineConfidences").get<std::vector<double>>();
    ocr.pages = json.at("pages").get<int>();
    return ocr;
}

void keepRecognised(const std::filesystem::path& file, const OCRResult& ocr) {
    const nlohmann::json json{{"text", ocr.text},
                              {"confidence", ocr.confidence},
                              {"lineConfidences", ocr.lineConfidences},
                              {"pages", ocr.pages}};
    testing::writeFile(file, json.dump(1));
}

struct Reader {
    FoundationModelsExtractionPipeline pipeline{std::make_shared<TesseractOCRProvider>(),
                                                std::make_shared<RuleBasedInvoiceStructurer>()};
    bool verbose = false;
    std::optional<std::filesystem::path> ocrCache;

    // Whether the document's text comes from the cache instead of recognition.
    bool cached(const std::string& name) const {
        return ocrCache && std::filesystem::exists(*ocrCache / (name + ".json"));
    }

    ReceiptReading readDocument(const std::string& name, const std::string& bytes) const {
        if (!ocrCache) return pipeline.read(bytes);
        const auto file = *ocrCache / (name + ".json");
        auto ocr = loadRecognised(file);
        if (!ocr) {
            ocr = pipeline.ocrProvider().recognizeText(bytes);
            keepRecognised(file, *ocr);
        }
        return pipeline.readRecognised(*ocr);
    }

    // Reads one document and counts what came out right.
    void read(Tally& tally, const std::string& name, const std::string& bytes,
              const Expected& expected) const {
        ++tally.documents;
        tally.cached += cached(name);
        const auto began = SteadyClock::now();
        std::optional<ReceiptReading> reading;
        try {
            reading = readDocument(name, bytes);
        } catch (const ExtractionError&) {
        }
        tally.seconds += std::chrono::duration<double>(SteadyClock::now() - began).count();
        const ExtractedInvoiceData data = reading ? reading->result : ExtractedInvoiceData{};
        const bool total = reading && data.totalAmountCents == expected.total;
        const bool date = reading && data.invoiceDate == expected.date;
        const bool sender = reading && expected.sender(data.senderCompany);
        const bool accepted = reading && reading->accepted();
        tally.total += total, tally.date += date, tally.sender += sender, tally.accepted += accepted;
        const bool vat = expected.vat && reading && sameVat(data.vatBreakdown, *expected.vat);
        if (expected.vat) {
            ++tally.vatKnown;
            tally.vat += vat;
        }
        if (!total) {
            ++tally.wrongTotal;
            tally.wrongTotalAccepted += accepted;
        }
        // Every field read wrong, and every right total that was still refused.
        if (verbose && (!total || !date || !sender || (expected.vat && !vat) || !accepted)) {
            std::printf("  %-34s total %9s (%9s) date %-10s (%-10s) sender %-24.24s%s conf %.2f%s\n",
                        name.c_str(), cents(data.totalAmountCents).c_str(), cents(expected.total).c_str(),
                        data.invoiceDate.value_or("-").c_str(), expected.date.value_or("-").c_str(),
                        data.senderCompany.value_or("-").c_str(), expected.vat && !vat ? " vat wrong" : "",
                        reading ? reading->confidence : 0.0, accepted ? " passed" : "");
        }
    }
};

// The wall time of `tesseract image stdout -l <the reader's languages>`, one thread, output
// discarded.
double bareTesseract(const std::filesystem::path& image) {
    const auto began = SteadyClock::now();
    const pid_t pid =
        testing::startProgram({"/usr/bin/tesseract", image.string(), "stdout", "-l", tuning::ocrLanguages},
                              {"OMP_THREAD_LIMIT=1"}, true);
    testing::waitForExit(pid);
    return std::chrono::duration<double>(SteadyClock::now() - began).count();
}

std::vector<Tally> runGenerated(const Reader& reader, int documents) {
    testing::TempDir dir;
    Tally text{"generated text PDF"}, scan{"generated scanned PDF"}, photo{"generated photo JPEG"};
    for (int n = 0; n < documents; ++n) {
        const auto seed = static_cast<std::uint32_t>(1000 + n);
        const testing::SampleDocument document = testing::makeSampleDocument(seed);
        testing::PhotoEffects effects;
        effects.rotationDegrees = static_cast<double>(seed % 7) - 3.0;
        effects.noiseAmplitude = 10 + static_cast<int>(seed % 3) * 5;
        effects.jpegQuality = 70;
        const Expected expected{document.truth.totalAmountCents, document.truth.invoiceDate,
                                [&](const auto& sender) { return sender == document.truth.senderCompany; },
                                document.truth.vatBreakdown};
        const std::string name = std::to_string(seed);
        reader.read(text, name + ".pdf", testing::renderTextPdf(document), expected);

        const bool scanCached = reader.cached(name + "-scan.pdf");
        reader.read(scan, name + "-scan.pdf", testing::renderScannedPdf(document), expected);
        if (!scanCached) {
            testing::writeFile(dir / (name + ".png"),
                               testing::renderPng(document, 150));  // as the scan renders
            scan.tesseractSeconds += bareTesseract(dir / (name + ".png"));
        }

        const bool photoCached = reader.cached(name + "-photo.jpg");
        const std::string jpeg = testing::renderPhotoJpeg(document, effects, seed);
        reader.read(photo, name + "-photo.jpg", jpeg, expected);
        if (!photoCached) {
            testing::writeFile(dir / (name + ".jpg"), jpeg);
            photo.tesseractSeconds += bareTesseract(dir / (name + ".jpg"));
        }
    }
    Tally all{"generated all"};
    for (const Tally* form : {&text, &scan, &photo})
        all.add(*form);
    all.tesseractSeconds = 0;  // the text PDFs have no image to compare with
    return {text, scan, photo, all};
}

Tally runFolder(const Reader& reader, const std::filesystem::path& folder,
                const std::optional<std::filesystem::path>& vatTruth, bool rephotographed) {
    Tally tally{folder.filename().string() + (rephotographed ? " photographed" : "")};
    testing::TempDir dir;
    std::uint32_t seed = 0;
    for (const auto& document : bench::readTruthFolder(folder, vatTruth)) {
        const Expected expected{
            document.totalCents, document.date,
            [&](const auto& sender) { return bench::namesMerchant(sender, document.merchant); },
            document.vat};
        const bool image = document.file.extension() != ".pdf";
        if (rephotographed && !image) continue;
        std::string name = document.file.filename().string();
        std::string bytes = testing::readFile(document.file);
        auto page = document.file;
        if (rephotographed) {
            testing::PhotoEffects effects;
            effects.scale = 0.5;
            effects.rotationDegrees = static_cast<double>(seed % 5) - 2.0;
            effects.noiseAmplitude = 12;
            effects.jpegQuality = 60;
            bytes = testing::rephotographJpeg(bytes, effects, ++seed);
            name = "photographed-" + name;
            page = dir / name;
            testing::writeFile(page, bytes);
        }
        const bool cached = reader.cached(name);
        reader.read(tally, name, bytes, expected);
        if (!cached && image) tally.tesseractSeconds += bareTesseract(page);
    }
    return tally;
}

}  // namespace
}  // namespace zelvorin

int main(int argc, char** argv) {
    using namespace zelvorin;
    int generated = 40;
    bool rephotographed = false;
    std::vector<std::pair<std::filesystem::path, std::optional<std::filesystem::path>>> folders;
    Reader reader;
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--generated") == 0 && hasValue) {
            generated = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--real") == 0 && hasValue) {
            folders.emplace_back(argv[++i], std::nullopt);
        } else if (std::strcmp(argv[i], "--vat-truth") == 0 && hasValue && !folders.empty()) {
            folders.back().second = argv[++i];
        } else if (std::strcmp(argv[i], "--rephotographed") == 0) {
            rephotographed = true;
        } else if (std::strcmp(argv[i], "--ocr-cache") == 0 && hasValue) {
            reader.ocrCache = argv[++i];
            std::filesystem::create_directories(*reader.ocrCache);
        } else if (std::strcmp(argv[i], "--verbose") == 0) {
            reader.verbose = true;
        } else {
            std::fprintf(
                stderr,
                "gebruik: zelvorin_bench_receipts [--generated N] [--real MAP [--vat-truth BESTAND]]... "
                "[--rephotographed] [--ocr-cache MAP] [--verbose]\n");
            return 2;
        }
    }
    std::vector<Tally> tallies;
    if (generated > 0) tallies = runGenerated(reader, generated);
    for (const auto& [folder, vatTruth] : folders) {
        tallies.push_back(runFolder(reader, folder, vatTruth, false));
        if (rephotographed) tallies.push_back(runFolder(reader, folder, vatTruth, true));
    }
    std::printf("\nRule-based structurer; bare: tesseract -l %s on the same page, one thread\n",
                tuning::ocrLanguages);
    printHeader();
    for (const Tally& tally : tallies)
        print(tally);
    return 0;
}
