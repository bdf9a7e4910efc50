#pragma once

#include <string_view>

#include "intelligence/OCRResult.h"

namespace zelvorin {

// Recognises the text of one document (the bytes of a PDF, JPEG or PNG). Blocking; safe to call
// from several threads at once.
class OCRProvider {
public:
    virtual ~OCRProvider() = default;
    // Throws ExtractionError::unreadableDocument when the bytes are no document it can read.
    virtual OCRResult recognizeText(std::string_view document) const = 0;
};

}  // namespace zelvorin
