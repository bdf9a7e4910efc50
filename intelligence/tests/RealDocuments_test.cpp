#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <thread>

#include "intelligence/ExtractionError.h"
#include "intelligence/FoundationModelsExtractionPipeline.h"
#include "intelligence/RuleBasedInvoiceStructurer.h"
#include "intelligence/TesseractOCRProvider.h"
#include "intelligence/tests/SampleDocuments.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

const std::filesystem::path kRealReceipts = std::filesystem::path(ZELVORIN_INTELLIGENCE_SAMPLES) / "real";

const FoundationModelsExtractionPipeline& pipeline() {
    static const FoundationModelsExtractionPipeline instance(std::make_shared<TesseractOCRProvider>(),
                                                             std::make_shared<RuleBasedInvoiceStructurer>());
    return instance;
}

// Reads the documents two at a time, as the application reads a batch of shared receipts.
std::vector<std::optional<ReceiptReading>> readAll(const std::vector<std::string>& documents) {
    std::vector<std::optional<ReceiptReading>> readings(documents.size());
    std::vector<std::thread> threads;
    for (std::size_t worker = 0; worker < 2; ++worker) {
        threads.emplace_back([&, worker] {
            for (std::size_t i = worker; i < documents.size(); i += 2) {
                try {
                    readings[i] = pipeline().read(documents[i]);
                } catch (const ExtractionError&) {
                }
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    return readings;
}

bool mentions(const std::optional<std::string>& sender, const std::string& name) {
    if (!sender) return false;
    std::string lowered;
    for (char c : *sender)
        lowered += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lowered.find(name) != std::string::npos;
}

// Real till receipts with the traps generated samples lack. Whatever recognition makes of them, a
// wrong total is never accepted: the service reads those.
TEST(RealReceiptIntegrationTest, TotalsOfRealTillReceiptsAreRightOrRefused) {
    const auto readings = readAll({testing::readFile(kRealReceipts / "aldi_02032020_19_02423.jpg"),
                                   testing::readFile(kRealReceipts / "lidl_07042020_06_01569.jpg"),
                                   testing::readFile(kRealReceipts / "real_15042020_04_01946.jpg")});
    for (const auto& reading : readings)
        ASSERT_TRUE(reading);

    // Cash handed over (40,00) and change (15,77) below the total; the name only at the foot.
    const auto& aldi = readings[0]->result;
    EXPECT_EQ(aldi.totalAmountCents, 2423);
    EXPECT_EQ(aldi.invoiceDate, "02-03-2020");
    EXPECT_TRUE(mentions(aldi.senderCompany, "aldi")) << aldi.senderCompany.value_or("-");
    EXPECT_TRUE(readings[0]->accepted());

    // "zu zahlen", a card payment and a VAT table whose rows are named by letters.
    const auto& lidl = readings[1]->result;
    EXPECT_EQ(lidl.totalAmountCents, 1569);
    EXPECT_EQ(lidl.invoiceDate, "07-04-2020");
    EXPECT_EQ(lidl.vatBreakdown, (std::vector<ExtractedInvoiceData::VatItem>{{7, 0.62}, {19, 0.99}}));
    EXPECT_TRUE(readings[1]->accepted());

    for (const auto& reading : readings) {
        const auto& result = reading->result;
        const bool right = result.totalAmountCents == 2423 || result.totalAmountCents == 1569 ||
                           result.totalAmountCents == 1946;
        EXPECT_TRUE(right || !reading->accepted())
            << "a wrong total passed the gate: " << result.totalAmountCents.value_or(-1) << " at "
            << reading->confidence;
    }
}

// What is no receipt, or cannot be read as one, gets an answer (no crash, no endless work) and is
// never read confidently.
TEST(BadInputIntegrationTest, NoConfidentReadingOfWhatIsNoReadableReceipt) {
    const auto receipt = testing::makeSampleDocument(1002);
    testing::PhotoEffects upsideDown;
    upsideDown.rotationDegrees = 180;
    const std::pair<const char*, std::string> inputs[] = {
        {"a blank scan", testing::renderBlankScanPdf()},
        {"a photo of a wall", testing::renderWallPhotoJpeg(7)},
        {"a receipt upside down", testing::renderPhotoJpeg(receipt, upsideDown, 1002)},
        {"an image of one pixel", testing::renderOnePixelPng()},
        {"a PDF of 40 pages", testing::renderTextPdf(testing::makeSampleDocument(1016), 39)},
    };
    for (const auto& [what, bytes] : inputs) {
        try {
            const auto submission = pipeline().extract(bytes);
            ADD_FAILURE() << what << " was accepted at " << submission.confidence;
        } catch (const ExtractionError& error) {
            EXPECT_NE(error.kind(), ExtractionError::Kind::modelUnavailable) << what;
        }
    }
}

}  // namespace
}  // namespace zelvorin
