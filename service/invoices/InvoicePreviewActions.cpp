#include "service/invoices/InvoicePreviewActions.h"

#include <chrono>
#include <mutex>

#include "layout/InvoicePdf.h"
#include "layout/LayoutError.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceRecordsSource.h"
#include "service/org/OrgFontShelf.h"
#include "service/store/ServiceDatabase.h"
#include "service/store/StoredFiles.h"

namespace zelvorin::service {

std::string renderInvoicePdf(Connection& db, const std::string& organizationId, const InvoiceSource& source,
                             TimePoint now) {
    const std::shared_ptr<const FontSet> fonts = organisationFonts(db, organizationId);
    // Drawing is serialised: the faces of every organisation's set come from the one FreeType
    // library of the process, which loads and releases faces for one thread at a time.
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    try {
        return renderInvoice(source, *fonts, std::chrono::floor<std::chrono::days>(now)).pdf;
    } catch (const LayoutError& error) {
        throw ServiceError(ErrorKind::unprocessable,
                           std::string("De factuur kon niet worden opgemaakt: ") + error.what());
    }
}

std::string invoicePdf(Connection& db, const Caller& caller, const std::string& invoiceId, TimePoint now) {
    const std::optional<StoredRecord> invoice =
        records::find(db, caller.organizationId, "draftInvoice", invoiceId);
    if (!invoice || invoice->deleted) throw ServiceError(ErrorKind::notFound, "Factuur niet gevonden.");
    const auto kept = invoice->payload.find("pdfPath");
    if (kept != invoice->payload.end() && kept->is_string()) {
        if (std::optional<StoredFile> file =
                storedfiles::find(db, caller.organizationId, kept->get<std::string>()))
            return std::move(file->bytes);
    }
    const std::optional<InvoiceSource> source =
        invoiceSourceFromRecords(db, caller.organizationId, invoiceId);
    if (!source) throw ServiceError(ErrorKind::notFound, "Factuur niet gevonden.");
    return renderInvoicePdf(db, caller.organizationId, *source, now);
}

std::string invoicePreviewPdf(const ServiceDatabase& database, const Caller& caller,
                              const std::string& invoiceId, TimePoint now) {
    return database.read([&](Connection& db) { return invoicePdf(db, caller, invoiceId, now); });
}

}  // namespace zelvorin::service
