#pragma once

#include "intelligence/OCRProvider.h"

namespace zelvorin {

// Recognises PDFs (page 1 only: its text layer when it has one, otherwise a rendering of it),
// JPEGs and PNGs with Tesseract in Dutch and English. The format is told by the bytes, never by a
// file name. Holds no state; each thread keeps its own initialised engine, so callers
// parallelise across documents.
class TesseractOCRProvider final : public OCRProvider {
public:
    OCRResult recognizeText(std::string_view document) const override;
};

}  // namespace zelvorin
