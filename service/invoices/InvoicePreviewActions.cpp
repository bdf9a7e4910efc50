#include "service/invoices/InvoicePreviewActions.h"

#include <chrono>
#include <mutex>

#include "layout/InvoicePdf.h"
#include "layout/LayoutError.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceRecordsSource.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

namespace {

// One font set for the process (fontconfig's set-up is costly); drawing is serialised because
// the faces' shaping caches are not shared between threads.
std::string renderPreview(const InvoiceSource& source, TimePoint now) {
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    static const FontSet fonts;
    return renderInvoice(source, fonts, std::chrono::floor<std::chrono::days>(now)).pdf;
}

}  // namespace

std::string invoicePreviewPdf(const ServiceDatabase& database, const Caller& caller,
                              const std::string& invoiceId, TimePoint now) {
    const std::optional<InvoiceSource> source = database.read(
        [&](Connection& db) { return invoiceSourceFromRecords(db, caller.organizationId, invoiceId); });
    if (!source) throw ServiceError(ErrorKind::notFound, "Factuur niet gevonden.");
    try {
        return renderPreview(*source, now);
    } catch (const LayoutError& error) {
        throw ServiceError(ErrorKind::unprocessable,
                           std::string("De factuur kon niet worden opgemaakt: ") + error.what());
    }
}

}  // namespace zelvorin::service
