#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "layout/DocumentRenderer.h"
#include "layout/FontSet.h"
#include "persistence/repositories/InvoiceRepository.h"
#include "persistence/repositories/OrgRepository.h"

namespace zelvorin {

// The template the editor's own preview lays an invoice out with: the one the invoice names, else
// the organisation's template for the invoice's kind in the customer's language (the one marked
// for new invoices first). Without a fitting one the built-in layout is used and `notice` says why.
struct PreviewTemplateChoice {
    std::optional<InvoiceTemplateRecord> chosen;
    std::optional<std::string> notice;
};
PreviewTemplateChoice choosePreviewTemplate(const InvoicePrintRecords& records,
                                            const std::vector<InvoiceTemplateRecord>& templates);

// The invoice as the editor shows it beside its lines, laid out on the device by our own engine
// from what is stored locally: every page drawn into memory, and the notices of what could not be
// used (the template's texts the editor shows above the pages).
struct InvoicePreviewPages {
    std::vector<PageImage> pages;
    std::vector<std::string> notices;
};

class LocalInvoicePreview {
public:
    static constexpr std::string_view kNoTemplates =
        "Deze organisatie heeft nog geen factuurtemplates. Templates worden vanaf het web gesynct — "
        "maak/seed een "
        "standaardtemplate.";
    static constexpr std::string_view kNoFittingTemplate =
        "Geen passende template (type/taal) voor deze factuur gevonden.";

    LocalInvoicePreview(InvoiceRepository& invoices, OrgRepository& organisation, const FontSet& fonts)
        : invoices_(invoices), organisation_(organisation), fonts_(fonts) {}

    // Nothing for a missing or deleted invoice. `scale` 1 draws a point as a pixel. Throws
    // PersistenceError when the store cannot be read and LayoutError (Dutch) when a line cannot
    // be laid out.
    std::optional<InvoicePreviewPages> render(const std::string& invoiceId, std::chrono::sys_days today,
                                              double scale) const;

private:
    InvoiceRepository& invoices_;
    OrgRepository& organisation_;
    const FontSet& fonts_;
};

}  // namespace zelvorin
