#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace zelvorin {

// The four segments the invoice list groups statuses into; raw value = enumerator name ("concept"
// carries a trailing underscore only because `concept` is a C++ keyword).
enum class InvoiceWorkflowStage {
    concept_,       // not yet sent
    verzonden,      // sent, waiting for the customer
    betaald,        // paid
    achterstallig,  // overdue
};

inline constexpr std::array<InvoiceWorkflowStage, 4> kAllInvoiceWorkflowStages{
    InvoiceWorkflowStage::concept_, InvoiceWorkflowStage::verzonden, InvoiceWorkflowStage::betaald,
    InvoiceWorkflowStage::achterstallig};

std::string_view rawValue(InvoiceWorkflowStage stage);
std::optional<InvoiceWorkflowStage> parseInvoiceWorkflowStage(std::string_view raw);

}  // namespace zelvorin
