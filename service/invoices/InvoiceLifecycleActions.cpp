#include "service/invoices/InvoiceLifecycleActions.h"

#include "domain/InvoiceStatus.h"
#include "domain/Money.h"
#include "domain/Rounding.h"
#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "domain/VatTreatment.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/invoices/InvoiceSendActions.h"
#include "service/store/InvoiceEvents.h"
#include "service/store/ServiceDatabase.h"
#include "service/sync/InvoiceTotals.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;
using invoicerecords::text;

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

std::optional<InvoiceStatus> statusOf(const Json& invoice) {
    return parseInvoiceStatus(text(invoice, "status").value_or(""));
}

std::string numberOf(const Json& invoice, const std::string& invoiceId) {
    return text(invoice, "invoiceNumber").value_or(invoiceId);
}

// The credit line's amount excluding VAT, so that the credit note's total is the amount credited;
// the VAT the line then carries is rounded, so the total can differ from it by a cent.
std::int64_t exclusiveOf(std::int64_t inclusiveCents, const std::string& vatTreatment) {
    const int percent = vatRate(parseVatTreatment(vatTreatment).value_or(VatTreatment::nl21));
    return roundHalfUp(static_cast<double>(inclusiveCents) * 100.0 / static_cast<double>(100 + percent));
}

Json changeStatus(Connection& db, const Caller& caller, const std::string& invoiceId, StoredRecord invoice,
                  const char* status, TimePoint now) {
    invoice.payload["status"] = status;
    invoice.payload["updatedAt"] = formatTimestampMillis(now);
    return invoiceActionResponse(
        invoicerecords::put(db, caller, SyncEntityType::draftInvoice, invoiceId, invoice.payload, now)
            .payload);
}

}  // namespace

Json cancelInvoice(const ServiceDatabase& database, const Caller& caller, const std::string& invoiceId,
                   const std::string& reason, const std::string& confirmText, TimePoint now) {
    const std::string why = trimmed(reason);
    if (why.size() < 10)
        throw ServiceError(ErrorKind::unprocessable,
                           "Reden voor annulering moet minimaal 10 tekens bevatten.");
    if (trimmed(confirmText) != "ANNULEER")
        throw ServiceError(ErrorKind::unprocessable, "Type exact ANNULEER om de annulering te bevestigen.");
    return database.write([&](Connection& db) {
        StoredRecord invoice = invoicerecords::requireInvoice(db, caller, invoiceId);
        const std::optional<InvoiceStatus> status = statusOf(invoice.payload);
        if (status == InvoiceStatus::cancelled)
            throw ServiceError(ErrorKind::conflict, "Deze factuur is al geannuleerd.");
        if (!status || isEditableDraft(*status))
            throw ServiceError(ErrorKind::conflict,
                               "Een concept annuleer je niet; verwijder het of verstuur het eerst.");
        if (*status == InvoiceStatus::credited)
            throw ServiceError(ErrorKind::conflict, "Deze factuur is al gecrediteerd.");
        if (invoicerecords::paidCents(db, caller, invoiceId) > 0)
            throw ServiceError(ErrorKind::conflict,
                               "Op deze factuur is al betaald; corrigeer haar met een creditnota.");
        invoicerecords::addEvent(db, caller, invoiceId, "cancelled",
                                 "Factuur " + numberOf(invoice.payload, invoiceId) + " geannuleerd", why,
                                 now);
        return changeStatus(db, caller, invoiceId, std::move(invoice), "cancelled", now);
    });
}

Json reopenInvoice(const ServiceDatabase& database, const Caller& caller, const std::string& invoiceId,
                   const std::string& reason, TimePoint now) {
    const std::string why = trimmed(reason);
    if (why.size() < 10)
        throw ServiceError(ErrorKind::unprocessable,
                           "Reden voor heropenen moet minimaal 10 tekens bevatten.");
    return database.write([&](Connection& db) {
        StoredRecord invoice = invoicerecords::requireInvoice(db, caller, invoiceId);
        const std::optional<InvoiceStatus> status = statusOf(invoice.payload);
        if (status && isEditableDraft(*status))
            throw ServiceError(ErrorKind::conflict, "Deze factuur is al een concept.");
        invoicerecords::addEvent(db, caller, invoiceId, "reopened",
                                 "Factuur " + numberOf(invoice.payload, invoiceId) + " heropend", why, now);
        return changeStatus(db, caller, invoiceId, std::move(invoice), "draft", now);
    });
}

Json creditInvoice(const ServiceDatabase& database, const Caller& caller, const std::string& invoiceId,
                   std::int64_t creditAmountCents, TimePoint now) {
    if (creditAmountCents < 1)
        throw ServiceError(ErrorKind::unprocessable, "Het te crediteren bedrag is minstens € 0,01.");
    return database.write([&](Connection& db) {
        StoredRecord original = invoicerecords::requireInvoice(db, caller, invoiceId);
        const std::optional<InvoiceStatus> status = statusOf(original.payload);
        if (!status || isEditableDraft(*status) || *status == InvoiceStatus::cancelled ||
            *status == InvoiceStatus::credited)
            throw ServiceError(ErrorKind::conflict, "Alleen een verstuurde factuur kan worden gecrediteerd.");
        if (text(original.payload, "creditedInvoiceId"))
            throw ServiceError(ErrorKind::conflict, "Een creditnota wordt niet zelf gecrediteerd.");
        const std::int64_t uncredited = invoicerecords::integer(original.payload, "totalCents") -
                                        invoicerecords::creditedCents(db, caller, invoiceId);
        if (creditAmountCents > uncredited)
            throw ServiceError(ErrorKind::unprocessable,
                               "Het te crediteren bedrag van " + formatEuro(creditAmountCents) +
                                   " is meer dan de " + formatEuro(uncredited) +
                                   " die op deze factuur nog niet is gecrediteerd.");
        const std::string number = numberOf(original.payload, invoiceId);
        const std::string vatTreatment = text(original.payload, "vatTreatment").value_or("nl_21");
        const std::string stamp = formatTimestampMillis(now);
        const std::string today = formatCalendarDate(amsterdamDate(now));
        const std::string creditId = randomUuid();
        Json credit{{"id", creditId},
                    {"organizationId", caller.organizationId},
                    {"status", "draft"},
                    {"issueDate", today},
                    {"dueDate", today},
                    {"vatTreatment", vatTreatment},
                    {"subtotalCents", 0},
                    {"vatCents", 0},
                    {"totalCents", 0},
                    {"creditedInvoiceId", invoiceId},
                    {"invoiceType", "credit_note"},
                    {"createdAt", stamp},
                    {"updatedAt", stamp}};
        if (const auto customer = text(original.payload, "customerId")) credit["customerId"] = *customer;
        invoicerecords::put(db, caller, SyncEntityType::draftInvoice, creditId, credit, now);
        const std::string lineId = randomUuid();
        invoicerecords::put(db, caller, SyncEntityType::invoiceLine, lineId,
                            Json{{"id", lineId},
                                 {"organizationId", caller.organizationId},
                                 {"invoiceId", creditId},
                                 {"sortOrder", 0},
                                 {"description", "Creditering van factuur " + number},
                                 {"lineMode", "fixed"},
                                 {"amountCents", -exclusiveOf(creditAmountCents, vatTreatment)},
                                 {"createdAt", stamp},
                                 {"updatedAt", stamp}},
                            now);
        restateInvoiceTotals(db, caller.organizationId, creditId, now,
                             Actor{ChangeSource::route, caller.userId, caller.deviceId});
        invoicerecords::addEvent(db, caller, invoiceId, "creditNote",
                                 "Creditnota van " + formatEuro(creditAmountCents) + " aangemaakt", creditId,
                                 now);
        if (creditAmountCents == uncredited)
            changeStatus(db, caller, invoiceId, std::move(original), "credited", now);
        return invoiceActionResponse(invoicerecords::requireInvoice(db, caller, creditId).payload);
    });
}

Json invoiceTimeline(const ServiceDatabase& database, const Caller& caller, const std::string& invoiceId) {
    return database.read([&](Connection& db) {
        invoicerecords::requireInvoice(db, caller, invoiceId);
        Json events = Json::array();
        for (const InvoiceEvent& event : invoiceevents::ofInvoice(db, caller.organizationId, invoiceId)) {
            Json item{{"id", event.id},
                      {"kind", event.kind},
                      {"occurredAt", event.occurredAt},
                      {"description", event.description}};
            if (event.detail) item["detail"] = *event.detail;
            if (event.reminderLevel) item["reminderLevel"] = *event.reminderLevel;
            if (event.reminderRecipient) item["reminderRecipient"] = *event.reminderRecipient;
            events.push_back(std::move(item));
        }
        return Json{{"events", std::move(events)}};
    });
}

}  // namespace zelvorin::service
