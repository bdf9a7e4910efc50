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
    FixedOCR(std::string text, double confidence) : result_{std::move(text), confidence} {}
    OCRResult recognizeText(std::string_view) const override { return result_; }

private:
    OCRResult result_;
};

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

TEST(PipelineTest, AcceptsConfidentReadingWithWeightedConfidence) {
    auto structurer = std::make_shared<FakeStructurer>(perfectReading());
    FoundationModelsExtractionPipeline pipeline(std::make_shared<FixedOCR>("\n  Brandwijk\n", 0.5),
                                                structurer);
    const auto submission = pipeline.extract("document");
    EXPECT_DOUBLE_EQ(submission.confidence, 0.4 * 0.5 + 0.6);
    EXPECT_EQ(submission.source, ExtractionSource::deviceFoundationModels);
    EXPECT_EQ(submission.modelVersion, "fake/1.2");
    EXPECT_EQ(submission.result, perfectReading());
    EXPECT_EQ(structurer->lastText, "\n  Brandwijk\n") << "the structurer gets the text untrimmed";
}

TEST(PipelineTest, NonInvoiceReadingKeepsItsConfidence) {
    auto reading = perfectReading();
    reading.isInvoice = false;
    FoundationModelsExtractionPipeline pipeline(std::make_shared<FixedOCR>("tekst", 0.9),
                                                std::make_shared<FakeStructurer>(reading));
    EXPECT_NEAR(pipeline.extract("document").confidence, 0.36 + 0.54, 1e-12);
}

TEST(PipelineTest, GateAtThreshold) {
    ExtractedInvoiceData weak;  // kind 0.3 + currency 1 + VAT 0.8 = 2.1 / 7 = 0.3
    const double fieldScore = scoreFields(weak).fieldScore();
    ASSERT_NEAR(fieldScore, 0.3, 1e-12);
    // OCR at 0.675 gives 0.27 + 0.18 = 0.45 exactly as far as doubles go.
    FoundationModelsExtractionPipeline atGate(std::make_shared<FixedOCR>("x", 0.675),
                                              std::make_shared<FakeStructurer>(weak));
    const auto reading = atGate.read("document");
    EXPECT_GE(reading.confidence, 0.45);
    EXPECT_TRUE(reading.accepted());
    EXPECT_NO_THROW(atGate.extract("document"));

    FoundationModelsExtractionPipeline below(std::make_shared<FixedOCR>("x", 0.2),
                                             std::make_shared<FakeStructurer>(weak));
    EXPECT_EQ(extractError(below), ExtractionError::lowConfidence(0.4 * 0.2 + 0.6 * fieldScore));
    EXPECT_NE(extractError(below), ExtractionError::lowConfidence(0.1));
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
    FoundationModelsExtractionPipeline pipeline(std::make_shared<FixedOCR>("tekst", 0.9),
                                                std::make_shared<FakeStructurer>(perfectReading()));
    const auto reading = pipeline.read("document");
    const auto json = toJson(reading);
    EXPECT_EQ(json["accepted"], true);
    EXPECT_EQ(json["scores"].size(), 7u);
    EXPECT_EQ(json["scores"]["vatAgreement"], 1.0);
    EXPECT_EQ(json["result"]["totalAmountCents"], 12100);
    const auto text = describe(reading);
    EXPECT_NE(text.find("Totaal: 121,00 EUR"), std::string::npos) << text;
    EXPECT_NE(text.find("Geaccepteerd: ja"), std::string::npos) << text;
}

}  // namespace
}  // namespace zelvorin
