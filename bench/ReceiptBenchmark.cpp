// Reading receipts on the device, over a generated set of Dutch and English receipts and invoices
// with known fields, each as a PDF with a text layer, a scanned PDF and a phone photo.
//
//   zelvorin_bench_receipts [documents]      (default 40, so 120 files)
//
// Accuracy of the rule-based structurer per field (total to the cent, date, sender, VAT
// breakdown) and the share of results that pass the 0.45 gate with a wrong total; then speed:
// the whole reading of each photo and scan against the bare tesseract command on the same image
// (the photo as it is, the scan's page at the resolution the reader renders it).
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "intelligence/ExtractionError.h"
#include "intelligence/FoundationModelsExtractionPipeline.h"
#include "intelligence/RuleBasedInvoiceStructurer.h"
#include "intelligence/TesseractOCRProvider.h"
#include "intelligence/tests/SampleDocuments.h"
#include "testing/TempDir.h"

extern char** environ;

namespace zelvorin {
namespace {

using SteadyClock = std::chrono::steady_clock;

struct Tally {
    int documents = 0, total = 0, date = 0, sender = 0, vat = 0, accepted = 0, acceptedWrongTotal = 0;
    double seconds = 0;
    double tesseractSeconds = 0;

    void print(const char* form) const {
        const auto percent = [&](int n) { return documents ? 100.0 * n / documents : 0.0; };
        std::printf(
            "%-12s %4d  total %5.1f%%  date %5.1f%%  sender %5.1f%%  vat %5.1f%%  accepted %5.1f%%  "
            "accepted-wrong-total %4.1f%%  %.3f s/page",
            form, documents, percent(total), percent(date), percent(sender), percent(vat), percent(accepted),
            accepted ? 100.0 * acceptedWrongTotal / accepted : 0.0, documents ? seconds / documents : 0.0);
        if (tesseractSeconds > 0)
            std::printf("  tesseract %.3f s/page  ratio %.2f", tesseractSeconds / documents,
                        seconds / tesseractSeconds);
        std::printf("\n");
    }
    void add(const Tally& other) {
        documents += other.documents, total += other.total, date += other.date, sender += other.sender;
        vat += other.vat, accepted += other.accepted, acceptedWrongTotal += other.acceptedWrongTotal;
        seconds += other.seconds, tesseractSeconds += other.tesseractSeconds;
    }
};

bool sameVat(const ExtractedInvoiceData& read, const ExtractedInvoiceData& truth) {
    if (read.vatBreakdown.size() != truth.vatBreakdown.size()) return false;
    for (std::size_t i = 0; i < truth.vatBreakdown.size(); ++i) {
        if (std::abs(read.vatBreakdown[i].rate - truth.vatBreakdown[i].rate) > 0.01 ||
            std::abs(read.vatBreakdown[i].amount - truth.vatBreakdown[i].amount) > 0.005)
            return false;
    }
    return true;
}

void score(Tally& tally, const ReceiptReading& reading, const ExtractedInvoiceData& truth) {
    const ExtractedInvoiceData& read = reading.result;
    const bool totalRight = read.totalAmountCents == truth.totalAmountCents;
    tally.total += totalRight;
    tally.date += read.invoiceDate == truth.invoiceDate;
    tally.sender += read.senderCompany == truth.senderCompany;
    tally.vat += sameVat(read, truth);
    if (reading.accepted()) {
        ++tally.accepted;
        tally.acceptedWrongTotal += !totalRight;
    }
}

// The wall time of `tesseract image stdout -l nld+eng`, output discarded.
double bareTesseract(const std::filesystem::path& image) {
    std::string program = "/usr/bin/tesseract", input = image.string(), out = "stdout", flag = "-l",
                languages = "nld+eng";
    char* argv[] = {program.data(), input.data(), out.data(), flag.data(), languages.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> environment{"OMP_THREAD_LIMIT=1"};  // as the reader runs it
    for (char** variable = environ; *variable != nullptr; ++variable)
        environment.emplace_back(*variable);
    std::vector<char*> envp;
    for (std::string& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    const auto began = SteadyClock::now();
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv, envp.data()) == 0) {
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
    posix_spawn_file_actions_destroy(&actions);
    return std::chrono::duration<double>(SteadyClock::now() - began).count();
}

void write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace
}  // namespace zelvorin

int main(int argc, char** argv) {
    using namespace zelvorin;
    const int documents = argc > 1 ? std::atoi(argv[1]) : 40;
    const FoundationModelsExtractionPipeline pipeline(std::make_shared<TesseractOCRProvider>(),
                                                      std::make_shared<RuleBasedInvoiceStructurer>());
    testing::TempDir dir;
    Tally text, scan, photo;
    for (int n = 0; n < documents; ++n) {
        const auto seed = static_cast<std::uint32_t>(1000 + n);
        const testing::SampleDocument document = testing::makeSampleDocument(seed);
        testing::PhotoEffects effects;
        effects.rotationDegrees = static_cast<double>(seed % 7) - 3.0;
        effects.noiseAmplitude = 10 + static_cast<int>(seed % 3) * 5;
        effects.jpegQuality = 70;
        const struct {
            Tally& tally;
            std::string bytes;
            std::string imageForTesseract;  // empty: no comparison
        } forms[] = {{text, testing::renderTextPdf(document), {}},
                     {scan, testing::renderScannedPdf(document), testing::renderPng(document, 150)},
                     {photo, testing::renderPhotoJpeg(document, effects, seed), {}}};
        for (const auto& form : forms) {
            ++form.tally.documents;
            const auto began = SteadyClock::now();
            try {
                const ReceiptReading reading = pipeline.read(form.bytes);
                form.tally.seconds += std::chrono::duration<double>(SteadyClock::now() - began).count();
                score(form.tally, reading, document.truth);
            } catch (const ExtractionError&) {
                form.tally.seconds += std::chrono::duration<double>(SteadyClock::now() - began).count();
            }
            const bool isPhoto = &form.tally == &photo;
            if (isPhoto || !form.imageForTesseract.empty()) {
                const std::filesystem::path image =
                    dir / (std::to_string(seed) + (isPhoto ? ".jpg" : ".png"));
                write(image, isPhoto ? form.bytes : form.imageForTesseract);
                form.tally.tesseractSeconds += bareTesseract(image);
            }
        }
    }
    std::printf(
        "Rule-based structurer over %d generated documents per form (tesseract: the bare command on the "
        "same image, one thread)\n",
        documents);
    text.print("text PDF");
    scan.print("scanned PDF");
    photo.print("photo JPEG");
    Tally all;
    all.add(text);
    all.add(scan);
    all.add(photo);
    all.tesseractSeconds = 0;
    all.print("all");
    return 0;
}
