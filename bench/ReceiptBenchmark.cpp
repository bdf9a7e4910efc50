// Reading receipts and invoices on the device: how often each field comes out right, how often a
// wrong total would still be submitted, and what it costs per page against the bare tesseract
// command on the same page.
//
//   zelvorin_bench_receipts [--generated N] [--real FOLDER [--vat-truth FILE]]... [--verbose]
//
// --generated N   N generated Dutch and English receipts and invoices (default 40), each as a PDF
//                 with a text layer, a scanned PDF and a phone photo; 0 leaves them out.
// --real FOLDER   every document of a folder with a truth.csv (file,merchant,date,items,total_cents),
//                 such as the shared set of real till receipts; may be given more than once.
// --vat-truth F   the VAT breakdown of the previous folder's documents (file,rate:euros ...);
//                 without it that folder's VAT column stays empty.
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
    double seconds = 0, tesseractSeconds = 0;

    void add(const Tally& other) {
        documents += other.documents, total += other.total, date += other.date, sender += other.sender;
        vat += other.vat, vatKnown += other.vatKnown, accepted += other.accepted;
        wrongTotal += other.wrongTotal, wrongTotalAccepted += other.wrongTotalAccepted;
        seconds += other.seconds, tesseractSeconds += other.tesseractSeconds;
    }
};

void printHeader() {
    std::printf("%-22s %5s %7s %7s %7s %7s %9s %14s %8s %9s %6s\n", "set", "docs", "total", "date", "sender",
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
    std::printf("%-22s %5d %7s %7s %7s %7s %9s %14s %8.3f", t.name.c_str(), t.documents,
                percent(t.total, t.documents).c_str(), percent(t.date, t.documents).c_str(),
                percent(t.sender, t.documents).c_str(), percent(t.vat, t.vatKnown).c_str(),
                percent(t.accepted, t.documents).c_str(), wrong, t.documents ? t.seconds / t.documents : 0.0);
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

struct Reader {
    FoundationModelsExtractionPipeline pipeline{std::make_shared<TesseractOCRProvider>(),
                                                std::make_shared<RuleBasedInvoiceStructurer>()};
    bool verbose = false;

    // Reads one document and counts what came out right.
    void read(Tally& tally, const std::string& name, const std::string& bytes,
              const Expected& expected) const {
        ++tally.documents;
        const auto began = SteadyClock::now();
        std::optional<ReceiptReading> reading;
        try {
            reading = pipeline.read(bytes);
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

        reader.read(scan, name + "-scan.pdf", testing::renderScannedPdf(document), expected);
        testing::writeFile(dir / (name + ".png"), testing::renderPng(document, 150));  // as the scan renders
        scan.tesseractSeconds += bareTesseract(dir / (name + ".png"));

        const std::string jpeg = testing::renderPhotoJpeg(document, effects, seed);
        reader.read(photo, name + "-photo.jpg", jpeg, expected);
        testing::writeFile(dir / (name + ".jpg"), jpeg);
        photo.tesseractSeconds += bareTesseract(dir / (name + ".jpg"));
    }
    Tally all{"generated all"};
    for (const Tally* form : {&text, &scan, &photo})
        all.add(*form);
    all.tesseractSeconds = 0;  // the text PDFs have no image to compare with
    return {text, scan, photo, all};
}

Tally runFolder(const Reader& reader, const std::filesystem::path& folder,
                const std::optional<std::filesystem::path>& vatTruth) {
    Tally tally{folder.filename().string()};
    for (const auto& document : bench::readTruthFolder(folder, vatTruth)) {
        const Expected expected{
            document.totalCents, document.date,
            [&](const auto& sender) { return bench::namesMerchant(sender, document.merchant); },
            document.vat};
        reader.read(tally, document.file.filename().string(), testing::readFile(document.file), expected);
        if (document.file.extension() != ".pdf") tally.tesseractSeconds += bareTesseract(document.file);
    }
    return tally;
}

}  // namespace
}  // namespace zelvorin

int main(int argc, char** argv) {
    using namespace zelvorin;
    int generated = 40;
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
        } else if (std::strcmp(argv[i], "--verbose") == 0) {
            reader.verbose = true;
        } else {
            std::fprintf(
                stderr,
                "gebruik: zelvorin_bench_receipts [--generated N] [--real MAP [--vat-truth BESTAND]]... "
                "[--verbose]\n");
            return 2;
        }
    }
    std::vector<Tally> tallies;
    if (generated > 0) tallies = runGenerated(reader, generated);
    for (const auto& [folder, vatTruth] : folders)
        tallies.push_back(runFolder(reader, folder, vatTruth));
    std::printf("\nRule-based structurer; bare: tesseract -l %s on the same page, one thread\n",
                tuning::ocrLanguages);
    printHeader();
    for (const Tally& tally : tallies)
        print(tally);
    return 0;
}
