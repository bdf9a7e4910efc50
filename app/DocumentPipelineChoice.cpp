#include "app/DocumentPipelineChoice.h"

#include <cstdlib>

#include "intelligence/LanguageModelInvoiceStructurer.h"
#include "intelligence/RuleBasedInvoiceStructurer.h"
#include "intelligence/TesseractOCRProvider.h"

namespace zelvorin {

namespace {

std::shared_ptr<const InvoiceStructurer> chooseStructurer(
    const std::function<void(const std::string&)>& warn) {
    const char* url = std::getenv("ZELVORIN_LLM_URL");
    if (url != nullptr && *url != '\0') {
        const char* model = std::getenv("ZELVORIN_LLM_MODEL");
        auto language = std::make_shared<LanguageModelInvoiceStructurer>(url, model ? model : "");
        if (language->isAvailable()) return language;
        if (warn)
            warn(std::string("de taalmodelserver op ") + url +
                 " antwoordt niet; de bon wordt met de vaste regels gelezen.");
    }
    return std::make_shared<RuleBasedInvoiceStructurer>();
}

}  // namespace

std::shared_ptr<const FoundationModelsExtractionPipeline> makeDocumentPipeline(
    const std::function<void(const std::string&)>& warn) {
    return std::make_shared<FoundationModelsExtractionPipeline>(std::make_shared<TesseractOCRProvider>(),
                                                                chooseStructurer(warn));
}

}  // namespace zelvorin
