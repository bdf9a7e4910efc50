#pragma once

#include <functional>
#include <memory>
#include <string>

#include "intelligence/FoundationModelsExtractionPipeline.h"

namespace zelvorin {

// The device's reader: Tesseract, structured by the language model server named by
// ZELVORIN_LLM_URL (model ZELVORIN_LLM_MODEL) when it answers, else by the fixed rules, which need
// nothing installed. `warn` hears, in Dutch, that a named server did not answer.
std::shared_ptr<const FoundationModelsExtractionPipeline> makeDocumentPipeline(
    const std::function<void(const std::string&)>& warn);

}  // namespace zelvorin
