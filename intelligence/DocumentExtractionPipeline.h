#pragma once

#include <string_view>

#include "intelligence/ExtractionSubmission.h"

namespace zelvorin {

// Bytes of one receipt or invoice in, a confident reading out. Blocking; call off the UI thread.
class DocumentExtractionPipeline {
public:
    virtual ~DocumentExtractionPipeline() = default;
    virtual bool isAvailable() const = 0;
    // Throws ExtractionError: lowConfidence (with the confidence), modelUnavailable,
    // unreadableDocument.
    virtual ExtractionSubmission extract(std::string_view document) const = 0;
};

}  // namespace zelvorin
