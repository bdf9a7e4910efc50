#include "layout/InvoicePdf.h"

#include "layout/DocumentRenderer.h"
#include "layout/LayoutEngine.h"
#include "layout/PaymentCode.h"
#include "layout/TextMeasurer.h"

namespace zelvorin {

RenderedInvoice renderInvoice(const InvoiceSource& source, const FontSet& fonts,
                              std::chrono::sys_days today) {
    BuiltInvoiceDocument built = buildInvoiceDocument(source);
    const TextMeasurer measurer(fonts);
    RenderedInvoice rendered{layoutDocument(built.document, measurer, today), {}, std::move(built.notices)};
    if (const std::optional<std::string> code = invoicePaymentCodeText(source))
        placePaymentCode(rendered.laidOut, *code);
    PdfOptions options;
    options.creationDate = source.issueDate.substr(0, 10) + "T00:00:00Z";
    options.title = built.document.content.invoiceNumber;
    rendered.pdf = DocumentRenderer(fonts).pdf(rendered.laidOut, options);
    return rendered;
}

}  // namespace zelvorin
