#include "screens/LocalInvoicePreview.h"

#include "app/InvoiceSourceReader.h"
#include "domain/InvoiceTemplateLanguage.h"
#include "layout/LayoutEngine.h"
#include "layout/PaymentCode.h"
#include "layout/TextMeasurer.h"

namespace zelvorin {
namespace {

std::optional<std::string_view> view(const std::optional<std::string>& text) {
    if (!text) return std::nullopt;
    return std::string_view(*text);
}

}  // namespace

PreviewTemplateChoice choosePreviewTemplate(const InvoicePrintRecords& records,
                                            const std::vector<InvoiceTemplateRecord>& templates) {
    if (templates.empty()) return {std::nullopt, std::string(LocalInvoicePreview::kNoTemplates)};
    const DraftInvoiceRecord& invoice = records.invoice;
    if (invoice.templateId) {
        for (const InvoiceTemplateRecord& named : templates)
            if (named.id == *invoice.templateId) return {named, std::nullopt};
    }
    const std::string kind = invoiceTemplateKind(invoice);
    const std::string_view language = InvoiceTemplateLanguage::resolve(
        records.customer ? view(records.customer->language) : std::nullopt,
        records.customer ? view(records.customer->country) : std::nullopt,
        records.settings ? view(records.settings->defaultLanguage) : std::nullopt);
    const InvoiceTemplateRecord* fitting = nullptr;
    for (const InvoiceTemplateRecord& candidate : templates) {
        if (candidate.defaultFor != kind || candidate.language.value_or("nl") != language) continue;
        if (!fitting ||
            (candidate.isDefaultForNew.value_or(false) && !fitting->isDefaultForNew.value_or(false)))
            fitting = &candidate;
    }
    if (!fitting) return {std::nullopt, std::string(LocalInvoicePreview::kNoFittingTemplate)};
    return {*fitting, std::nullopt};
}

std::optional<InvoicePreviewPages> LocalInvoicePreview::render(const std::string& invoiceId,
                                                               std::chrono::sys_days today,
                                                               double scale) const {
    std::optional<InvoicePrintRecords> records = invoices_.printRecords(invoiceId);
    if (!records) return std::nullopt;
    const PreviewTemplateChoice choice = choosePreviewTemplate(*records, organisation_.invoiceTemplates());
    records->invoiceTemplate = choice.chosen;
    const InvoiceSource source = invoiceSource(*records);

    InvoicePreviewPages preview;
    if (choice.notice) preview.notices.push_back(*choice.notice);
    BuiltInvoiceDocument built = buildInvoiceDocument(source);
    preview.notices.insert(preview.notices.end(), built.notices.begin(), built.notices.end());
    LaidOutDocument laidOut = layoutDocument(built.document, TextMeasurer(fonts_), today);
    if (const std::optional<std::string> code = invoicePaymentCodeText(source))
        placePaymentCode(laidOut, *code);
    const DocumentRenderer renderer(fonts_);
    for (std::size_t page = 0; page < laidOut.pages.size(); ++page)
        preview.pages.push_back(renderer.image(laidOut, page, scale));
    return preview;
}

}  // namespace zelvorin
