#include "service/preview/InvoicePreviewRoutes.h"

#include <chrono>
#include <mutex>

#include <httplib.h>

#include "layout/InvoicePdf.h"
#include "layout/LayoutError.h"
#include "service/ConditionalAnswer.h"
#include "service/JsonResponses.h"
#include "service/ServiceError.h"
#include "service/auth/Authenticator.h"
#include "service/auth/RequestAuthentication.h"
#include "service/preview/InvoiceRecordsSource.h"

namespace zelvorin::service {

namespace {

// One font set for the process (fontconfig's set-up is costly); drawing is serialised because
// the faces' shaping caches are not shared between threads.
std::string renderPreview(const InvoiceSource& source) {
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    static const FontSet fonts;
    const auto today = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
    return renderInvoice(source, fonts, today).pdf;
}

void preview(Authenticator& authenticator, const httplib::Request& request, httplib::Response& response) {
    const AccessClaims claims = authenticateRequest(request, authenticator);
    requireMembership(claims, authenticator.storage());
    const std::string invoiceId = request.matches[1];
    const std::optional<InvoiceSource> source =
        invoiceSourceFromRecords(authenticator.storage(), claims.organizationId, invoiceId);
    if (!source) throw ServiceError(404, "Factuur niet gevonden.");
    std::string pdf;
    try {
        pdf = renderPreview(*source);
    } catch (const LayoutError& error) {
        throw ServiceError(422, std::string("De factuur kon niet worden opgemaakt: ") + error.what());
    }
    sendConditional(request, response, std::move(pdf), "application/pdf");
}

}  // namespace

void addInvoicePreviewRoutes(httplib::Server& server, Authenticator& authenticator) {
    server.Get(R"(/api/native/v1/invoices/([^/]+)/preview-pdf)",
               guarded([&authenticator](const httplib::Request& request, httplib::Response& response) {
                   preview(authenticator, request, response);
               }));
}

}  // namespace zelvorin::service
