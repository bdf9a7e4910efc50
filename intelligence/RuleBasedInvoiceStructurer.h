#pragma once

#include "intelligence/GenerableInvoice.h"
#include "intelligence/InvoiceStructurer.h"

namespace zelvorin {

// Reads invoice fields from recognised text by its labels and layout: Dutch, German, English and
// French receipts and invoices. Deterministic, always available, and total: any text gives an
// answer in time linear in its length, without throwing.
class RuleBasedInvoiceStructurer final : public InvoiceStructurer {
public:
    static constexpr const char* version = "zelvorin-rules/2";

    bool isAvailable() const override { return true; }
    std::string modelVersion() const override { return version; }
    ExtractedInvoiceData structure(const std::string& ocrText) const override;

    // The three answers separately, as a language model would give them.
    static GenerableInvoiceBase readBase(const std::string& ocrText);
    static GenerableInvoiceLines readLines(const std::string& ocrText);
    static GenerableInvoiceTotal readTotal(const std::string& ocrText);
};

}  // namespace zelvorin
