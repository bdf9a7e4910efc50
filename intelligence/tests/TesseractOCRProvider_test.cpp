#include "intelligence/TesseractOCRProvider.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "intelligence/ExtractionError.h"
#include "intelligence/FoundationModelsExtractionPipeline.h"
#include "intelligence/RuleBasedInvoiceStructurer.h"
#include "intelligence/tests/SampleDocuments.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

const std::filesystem::path kSamples = ZELVORIN_INTELLIGENCE_SAMPLES;

std::string sample(const std::string& name) {
    return zelvorin::testing::readFile(kSamples / name);
}

// Counts structuring requests: a document that cannot be read must never get that far.
class CountingStructurer final : public InvoiceStructurer {
public:
    bool isAvailable() const override { return true; }
    std::string modelVersion() const override { return inner_.modelVersion(); }
    ExtractedInvoiceData structure(const std::string& text) const override {
        ++calls;
        return inner_.structure(text);
    }
    mutable std::atomic<int> calls{0};

private:
    RuleBasedInvoiceStructurer inner_;
};

struct Pipeline {
    std::shared_ptr<CountingStructurer> structurer = std::make_shared<CountingStructurer>();
    FoundationModelsExtractionPipeline pipeline{std::make_shared<TesseractOCRProvider>(), structurer};
};

void expectUnreadable(const Pipeline& p, const std::string& bytes, const char* what) {
    try {
        p.pipeline.extract(bytes);
        ADD_FAILURE() << what << " was read";
    } catch (const ExtractionError& error) {
        EXPECT_EQ(error, ExtractionError::unreadableDocument()) << what;
    }
}

TEST(DocumentInputTest, BytesThatAreNoReadableDocument) {
    Pipeline p;
    const std::string jpeg = sample("receipt-photo.jpg");
    const std::string pdf = testing::renderTextPdf(testing::makeSampleDocument(1));
    expectUnreadable(p, "", "an empty file");
    expectUnreadable(p, "GIF89a\x01\x00\x01\x00\x80\x00\x00", "a GIF");
    expectUnreadable(p,
                     std::string("\0\0\0\x18"
                                 "ftypheic\0\0\0\0mif1heic",
                                 24),
                     "a HEIC photo");
    expectUnreadable(p, "PK\x03\x04\x14\x00\x00\x00" + pdf, "a ZIP named .pdf");
    expectUnreadable(p, jpeg.substr(0, jpeg.size() / 2), "a truncated JPEG");
    expectUnreadable(p, "\x89PNG\r\n\x1A\n\0\0\0\rIHDR", "a truncated PNG");
    expectUnreadable(p, pdf.substr(0, 400), "a truncated PDF");
    expectUnreadable(p, sample("no-pages.pdf"), "a PDF without pages");
    expectUnreadable(p, sample("encrypted.pdf"), "a PDF locked by a password");
    EXPECT_EQ(p.structurer->calls, 0);
}

TEST(DocumentInputTest, TextLayerOfPageOneOnly) {
    const auto doc = testing::makeSampleDocument(1);
    const auto result = TesseractOCRProvider().recognizeText(testing::renderTextPdf(doc, 2));
    EXPECT_EQ(result.confidence, 0.9);
    EXPECT_NE(result.text.find(*doc.truth.senderCompany), std::string::npos) << result.text;
    EXPECT_EQ(result.text.find("pagina 2"), std::string::npos);
    EXPECT_EQ(result.text.find("999.999,99"), std::string::npos);

    // The text layer goes through the same structuring as recognised text.
    const auto data = RuleBasedInvoiceStructurer().structure(result.text);
    EXPECT_EQ(data.totalAmountCents, doc.truth.totalAmountCents);
    EXPECT_EQ(data.invoiceDate, doc.truth.invoiceDate);
}

// Two generated documents that recognition used to get wrong: a noisy till scan whose column of
// amounts the automatic layout dropped, and a slanted, noisy photo of an invoice whose noise came
// out as rows of made-up words.
TEST(OCRIntegrationTest, NoisyScansAndSlantedPhotosKeepTheirAmounts) {
    const FoundationModelsExtractionPipeline pipeline(std::make_shared<TesseractOCRProvider>(),
                                                      std::make_shared<RuleBasedInvoiceStructurer>());
    const auto till = testing::makeSampleDocument(1002);
    const auto scan = pipeline.read(testing::renderScannedPdf(till));
    EXPECT_EQ(scan.result.totalAmountCents, till.truth.totalAmountCents);
    EXPECT_EQ(scan.result.vatBreakdown, till.truth.vatBreakdown);

    const auto invoice = testing::makeSampleDocument(1016);
    testing::PhotoEffects effects;
    effects.rotationDegrees = -2;
    effects.noiseAmplitude = 20;
    effects.jpegQuality = 70;
    const auto photo = pipeline.read(testing::renderPhotoJpeg(invoice, effects, 1016));
    EXPECT_EQ(photo.result.totalAmountCents, invoice.truth.totalAmountCents);
    EXPECT_EQ(photo.result.senderCompany, invoice.truth.senderCompany);
    EXPECT_EQ(photo.result.vatBreakdown, invoice.truth.vatBreakdown);
    EXPECT_GE(photo.ocrConfidence, 0.8);
}

TEST(OCRIntegrationTest, BlankScansAreUnreadableAndNeverStructured) {
    Pipeline p;
    expectUnreadable(p, testing::renderBlankScanPdf(), "a blank scanned page");
    expectUnreadable(p, testing::renderBlankPng(), "a blank photo");
    EXPECT_EQ(p.structurer->calls, 0);
}

// The committed photos and scans, read in parallel as the application reads a batch of receipts.
TEST(OCRIntegrationTest, CommittedSamplesReachTheirTotalAndDate) {
    const std::vector<std::pair<std::string, std::string>> samples = {
        {"receipt-photo.jpg", "receipt-photo.json"},
        {"receipt-scan.pdf", "receipt-scan.json"},
        {"invoice-photo.jpg", "invoice-photo.json"},
    };
    Pipeline p;
    std::vector<std::optional<ExtractionSubmission>> results(samples.size());
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        threads.emplace_back([&, i] {
            try {
                results[i] = p.pipeline.extract(sample(samples[i].first));
            } catch (const ExtractionError& error) {
                ADD_FAILURE() << samples[i].first << ": " << error.what() << " "
                              << error.confidence().value_or(-1);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (std::size_t i = 0; i < samples.size(); ++i) {
        ASSERT_TRUE(results[i]) << samples[i].first;
        const auto truth = extractedInvoiceDataFromJson(nlohmann::json::parse(sample(samples[i].second)));
        const auto& read = results[i]->result;
        EXPECT_EQ(read.totalAmountCents, truth.totalAmountCents) << samples[i].first;
        EXPECT_EQ(read.invoiceDate, truth.invoiceDate) << samples[i].first;
        EXPECT_EQ(read.senderCompany, truth.senderCompany) << samples[i].first;
        EXPECT_GE(results[i]->confidence, 0.8) << samples[i].first;
        EXPECT_EQ(results[i]->modelVersion, RuleBasedInvoiceStructurer::version);
    }
}

}  // namespace
}  // namespace zelvorin
