#include "intelligence/FoundationModelsExtractionPipeline.h"

#include <stdexcept>

#include "intelligence/ExtractionError.h"

namespace zelvorin {
namespace {

bool isBlank(const std::string& text) {
    return text.find_first_not_of(" \t\n\r\v\f") == std::string::npos;
}

}  // namespace

FoundationModelsExtractionPipeline::FoundationModelsExtractionPipeline(
    std::shared_ptr<const OCRProvider> ocrProvider, std::shared_ptr<const InvoiceStructurer> structurer)
    : ocrProvider_(std::move(ocrProvider)), structurer_(std::move(structurer)) {
    if (!ocrProvider_ || !structurer_)
        throw std::invalid_argument("pipeline needs an OCR provider and a structurer");
}

bool FoundationModelsExtractionPipeline::isAvailable() const {
    return structurer_->isAvailable();
}

ReceiptReading FoundationModelsExtractionPipeline::read(std::string_view document) const {
    if (!structurer_->isAvailable()) throw ExtractionError::modelUnavailable();
    return readRecognised(ocrProvider_->recognizeText(document));
}

ReceiptReading FoundationModelsExtractionPipeline::readRecognised(const OCRResult& ocr) const {
    // A blank page never reaches the structurer: there is nothing it could read.
    if (isBlank(ocr.text)) throw ExtractionError::unreadableDocument();

    ReceiptReading reading;
    reading.result = structurer_->structure(ocr.text);
    reading.ocrConfidence = ocr.confidence;
    reading.scores = scoreFields(reading.result);
    reading.totalCheck = checkTotal(ocr, reading.result);
    // The field scores cannot tell a misread total from the right one; agreement in the text can.
    reading.confidence =
        combinedConfidence(ocr.confidence, reading.scores.fieldScore()) * reading.totalCheck.trust();
    reading.modelVersion = structurer_->modelVersion();
    return reading;
}

ExtractionSubmission FoundationModelsExtractionPipeline::extract(std::string_view document) const {
    ReceiptReading reading = read(document);
    if (!reading.accepted()) throw ExtractionError::lowConfidence(reading.confidence);
    return {ExtractionSource::deviceFoundationModels, reading.confidence, std::move(reading.modelVersion),
            std::move(reading.result)};
}

}  // namespace zelvorin
