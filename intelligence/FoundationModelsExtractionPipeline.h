#pragma once

#include <memory>

#include "intelligence/DocumentExtractionPipeline.h"
#include "intelligence/InvoiceStructurer.h"
#include "intelligence/OCRProvider.h"
#include "intelligence/ReceiptReading.h"

namespace zelvorin {

// Reads a document with an OCR provider, structures the text, scores the result and accepts it at
// a confidence of 0.45 or more. Immutable; calls are independent and may run in parallel.
class FoundationModelsExtractionPipeline final : public DocumentExtractionPipeline {
public:
    FoundationModelsExtractionPipeline(std::shared_ptr<const OCRProvider> ocrProvider,
                                       std::shared_ptr<const InvoiceStructurer> structurer);

    // True exactly when the structurer can run now.
    bool isAvailable() const override;
    ExtractionSubmission extract(std::string_view document) const override;

    // The whole reading, also when it falls below the acceptance threshold. Throws what extract
    // throws except lowConfidence.
    ReceiptReading read(std::string_view document) const;
    // The same for text already recognised (no availability check): structured, scored, checked.
    ReceiptReading readRecognised(const OCRResult& ocr) const;

    const OCRProvider& ocrProvider() const { return *ocrProvider_; }
    const InvoiceStructurer& structurer() const { return *structurer_; }

private:
    std::shared_ptr<const OCRProvider> ocrProvider_;
    std::shared_ptr<const InvoiceStructurer> structurer_;
};

}  // namespace zelvorin
