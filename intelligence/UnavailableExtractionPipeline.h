#pragma once

#include "intelligence/DocumentExtractionPipeline.h"

namespace zelvorin {

// Used where reading on the device is switched off: every document goes to the server.
class UnavailableExtractionPipeline final : public DocumentExtractionPipeline {
public:
    bool isAvailable() const override { return false; }
    ExtractionSubmission extract(std::string_view document) const override;
};

}  // namespace zelvorin
