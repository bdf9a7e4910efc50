#include <gtest/gtest.h>

#include <atomic>

#include "intelligence/ExtractionError.h"
#include "intelligence/FoundationModelsExtractionPipeline.h"
#include "intelligence/UnavailableExtractionPipeline.h"

namespace zelvorin {
namespace {

// Recognition result fixed by the test: the pipeline's own rules are what is under test here.
class FixedOCR final : public OCRProvider {
public:
    FixedOCR(std::string text, double confidence, int pages = 1) {
        result_.text = std::move(text);
        result_.confidence = confidence;
        result_.pages = pages;
    }
    OCRResult recognizeText(std::string_view) const override { return result_; }

private:
    OCRResult result_;
};

// The text the perfect reading below was made from: labelled total, an item and VAT that agree.
constexpr const char* kInvoiceText = "\n  Brandwijk B.V.\nAdvies 100,00\nBTW 21% 21,00\nTotaal 121,00\n";

// Stands in for the language model.
class FakeStructurer final : public InvoiceStructurer {
public:
    explicit FakeStructurer(ExtractedInvoiceData answer, bool available = true)
        : answer_(std::move(answer)), available_(available) {}
    bool isAvailable() const override { return available_; }
    std::string modelVersion() const override { return "fake/1.2"; }
    ExtractedInvoiceData structure(const std::string& text) const override {
        ++calls;
        lastText = text;
        return answer_;
    }
    mutable std::atomic<int> calls{0};
    mutable std::string lastText;

private:
    ExtractedInvoiceData answer_;
    bool available_;
};

ExtractedInvoiceData perfectReading() {
    ExtractedInvoiceData data;
    data.isInvoice = true;
    data.senderCompany = "Brandwijk B.V.";
    data.invoiceDate = "12-03-2026";
    data.totalAmountCents = 12100;
    data.lines = {{"Advies", 1.0, 100.0, 100.0}};
    data.vatBreakdown = {{21, 21.0}};
    return data;
}

ExtractionError extractError(const DocumentExtractionPipeline& pipeline) {
    try {
        pipeline.extract("document");
    } catch (const ExtractionError& error) {
        return error;
    }
    ADD_FAILURE() << "no ExtractionError thrown";
    return ExtractionError::modelUnavailable();
}

TEST(PipelineTest, AConfirmedTotalKeepsTheWeightedConfidence) {
    auto structurer = std::make_shared<FakeStructurer>(perfectReading());
    FoundationModelsExtractionPipeline pipeline(std::make_shared<FixedOCR>(kInvoiceText, 0.5), structurer);
    const auto submission = pipeline.extract("document");
    EXPECT_DOUBLE_EQ(submission.confidence, 0.4 * 0.5 + 0.6);
    EXPECT_EQ(submission.source, ExtractionSource::deviceFoundationModels);
    EXPECT_EQ(submission.modelVersion, "fake/1.2");
    EXPECT_EQ(submission.result, perfectReading());
    EXPECT_EQ(structurer->lastText, kInvoiceText) << "the structurer gets the text untrimmed";

    auto notAnInvoice = perfectReading();
    notAnInvoice.isInvoice = false;
    FoundationModelsExtractionPipeline policy(std::make_shared<FixedOCR>(kInvoiceText, 0.9),
                                              std::make_shared<FakeStructurer>(notAnInvoice));
    EXPECT_NEAR(policy.extract("document").confidence, 0.36 + 0.54, 1e-12);
}

// Perfect fields and a sure recognition do not make a total right: one the text does not bear
// out is refused, and the refusal carries the confidence it was given.
TEST(PipelineTest, ATotalTheTextDoesNotBearOutIsRefused) {
    FoundationModelsExtractionPipeline unprinted(std::make_shared<FixedOCR>("Brandwijk B.V.\nAdvies", 0.95),
                                                 std::make_shared<FakeStructurer>(perfectReading()));
    const auto reading = unprinted.read("document");
    EXPECT_FALSE(reading.totalCheck.printed);
    EXPECT_FALSE(reading.accepted());
    EXPECT_EQ(extractError(unprinted), ExtractionError::lowConfidence(reading.confidence));
    EXPECT_NE(extractError(unprinted), ExtractionError::lowConfidence(reading.confidence / 2));

    FoundationModelsExtractionPipeline withoutTotal(std::make_shared<FixedOCR>(kInvoiceText, 0.95),
                                                    std::make_shared<FakeStructurer>(ExtractedInvoiceData{}));
    EXPECT_FALSE(withoutTotal.read("document").accepted());

    // Only page 1 of a long document is read; what it says about the whole is not vouched for.
    FoundationModelsExtractionPipeline longDocument(std::make_shared<FixedOCR>(kInvoiceText, 0.95, 40),
                                                    std::make_shared<FakeStructurer>(perfectReading()));
    EXPECT_FALSE(longDocument.read("document").accepted());
}

TEST(PipelineTest, BlankTextNeverReachesTheStructurer) {
    auto structurer = std::make_shared<FakeStructurer>(perfectReading());
    FoundationModelsExtractionPipeline pipeline(std::make_shared<FixedOCR>(" \n\t\r\n ", 0.9), structurer);
    EXPECT_EQ(extractError(pipeline), ExtractionError::unreadableDocument());
    EXPECT_EQ(structurer->calls, 0);
}

TEST(PipelineTest, UnavailableModelStopsBeforeAnythingRuns) {
    auto structurer = std::make_shared<FakeStructurer>(perfectReading(), false);
    FoundationModelsExtractionPipeline pipeline(std::make_shared<FixedOCR>("tekst", 0.9), structurer);
    EXPECT_FALSE(pipeline.isAvailable());
    EXPECT_EQ(extractError(pipeline), ExtractionError::modelUnavailable());
    EXPECT_EQ(structurer->calls, 0);

    UnavailableExtractionPipeline unavailable;
    EXPECT_FALSE(unavailable.isAvailable());
    EXPECT_EQ(extractError(unavailable), ExtractionError::modelUnavailable());
}

TEST(PipelineTest, JsonFormsLeaveAbsentOptionalsOut) {
    ExtractedInvoiceData data;
    data.totalAmountCents = std::nullopt;
    auto json = toJson(data);
    EXPECT_EQ(json.dump(), R"({"isInvoice":false,"currency":"EUR","lines":[],"vatBreakdown":[]})");

    const auto full = perfectReading();
    EXPECT_EQ(extractedInvoiceDataFromJson(nlohmann::json::parse(toJson(full).dump())), full);
    EXPECT_FALSE(toJson(full).contains("_totalSource"));

    ExtractionSubmission submission{ExtractionSource::deviceFoundationModels, 0.5, std::nullopt, data};
    const auto submitted = toJson(submission);
    EXPECT_EQ(submitted["source"], "device-fm");
    EXPECT_FALSE(submitted.contains("modelVersion"));
    EXPECT_EQ(parseExtractionSource("server-claude"), ExtractionSource::serverClaude);
    EXPECT_FALSE(parseExtractionSource("device"));
}

TEST(PipelineTest, ReadingReportCarriesScoresAndGate) {
    FoundationModelsExtractionPipeline pipeline(std::make_shared<FixedOCR>(kInvoiceText, 0.9),
                                                std::make_shared<FakeStructurer>(perfectReading()));
    const auto reading = pipeline.read("document");
    const auto json = toJson(reading);
    EXPECT_EQ(json["accepted"], true);
    EXPECT_EQ(json["scores"].size(), 7u);
    EXPECT_EQ(json["scores"]["vatAgreement"], 1.0);
    EXPECT_EQ(json["totalCheck"]["labelled"], true);
    EXPECT_EQ(json["totalCheck"]["vatAgrees"], true);
    EXPECT_EQ(json["result"]["totalAmountCents"], 12100);
    const auto text = describe(reading);
    EXPECT_NE(text.find("Totaal: 121,00 EUR"), std::string::npos) << text;
    EXPECT_NE(text.find("Totaal gestaafd door: label btw"), std::string::npos) << text;
    EXPECT_NE(text.find("Geaccepteerd: ja"), std::string::npos) << text;
}

}  // namespace
}  // namespace zelvorin
