#include "domain/InvoiceWorkflowStage.h"

namespace zelvorin {

std::string_view rawValue(InvoiceWorkflowStage stage) {
    switch (stage) {
        case InvoiceWorkflowStage::concept_:
            return "concept";
        case InvoiceWorkflowStage::verzonden:
            return "verzonden";
        case InvoiceWorkflowStage::betaald:
            return "betaald";
        case InvoiceWorkflowStage::achterstallig:
            return "achterstallig";
    }
    return "concept";
}

std::optional<InvoiceWorkflowStage> parseInvoiceWorkflowStage(std::string_view raw) {
    for (InvoiceWorkflowStage stage : kAllInvoiceWorkflowStages) {
        if (rawValue(stage) == raw) return stage;
    }
    return std::nullopt;
}

}  // namespace zelvorin
