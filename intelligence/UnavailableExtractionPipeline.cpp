#include "intelligence/UnavailableExtractionPipeline.h"

#include "intelligence/ExtractionError.h"

namespace zelvorin {

ExtractionSubmission UnavailableExtractionPipeline::extract(std::string_view) const {
    throw ExtractionError::modelUnavailable();
}

}  // namespace zelvorin
