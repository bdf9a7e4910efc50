#include "service/invoices/InvoicePaymentActions.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "domain/InvoiceStatus.h"
#include "domain/Money.h"
#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/invoices/InvoiceSendActions.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;
using invoicerecords::text;

constexpr std::array<std::string_view, 9> kPaymentMethods{
    "bank_transfer", "cash", "ideal", "stripe", "creditcard", "paypal", "bancontact", "wero", "applepay"};

// The open amount of an invoice that can take a payment; the refusal of one that cannot.
std::int64_t payableCents(Connection& db, const Caller& caller, const std::string& invoiceId,
                          const Json& invoice) {
    const std::optional<InvoiceStatus> status = parseInvoiceStatus(text(invoice, "status").value_or(""));
    if (!status || isEditableDraft(*status) || *status == InvoiceStatus::finalizing ||
        *status == InvoiceStatus::finalized)
        throw ServiceError(ErrorKind::conflict, "Deze factuur is nog niet verstuurd; verstuur haar eerst.");
    if (*status == InvoiceStatus::paid)
        throw ServiceError(ErrorKind::conflict, "Deze factuur is al volledig betaald.");
    if (*status == InvoiceStatus::cancelled)
        throw ServiceError(ErrorKind::conflict, "Een geannuleerde factuur kan geen betaling ontvangen.");
    if (*status == InvoiceStatus::credited)
        throw ServiceError(ErrorKind::conflict, "Deze factuur is gecrediteerd en staat niet meer open.");
    return invoicerecords::openCents(db, caller, invoiceId, invoice);
}

std::string paymentDay(const std::optional<std::string>& typed, TimePoint now) {
    if (!typed) return formatCalendarDate(amsterdamDate(now));
    if (typed->size() != 10 || !parseCalendarDate(*typed))
        throw ServiceError(ErrorKind::unprocessable,
                           "De betaaldatum '" + *typed + "' is geen datum (JJJJ-MM-DD).");
    return *typed;
}

StoredRecord writePayment(Connection& db, const Caller& caller, StoredRecord invoice, std::int64_t open,
                          const PaymentRequest& request, const std::optional<std::string>& paidAt,
                          TimePoint now, const std::optional<std::string>& chosenId = std::nullopt) {
    const std::string& invoiceId = invoice.id;
    const std::string stamp = formatTimestampMillis(now);
    const std::string paymentId = chosenId.value_or(randomUuid());
    Json payment{{"id", paymentId},
                 {"invoiceId", invoiceId},
                 {"organizationId", caller.organizationId},
                 {"amountCents", request.amountCents},
                 {"paymentDate", request.paymentDate.value_or(formatCalendarDate(amsterdamDate(now)))},
                 {"method", request.method}};
    if (request.notes) payment["notes"] = *request.notes;
    payment["createdAt"] = stamp;
    invoicerecords::put(db, caller, SyncEntityType::invoicePayment, paymentId, std::move(payment), now);
    invoicerecords::addEvent(db, caller, invoiceId, "payment",
                             "Betaling van " + formatEuro(request.amountCents) + " ontvangen", request.method,
                             now);

    Json& changed = invoice.payload;
    const bool settled = request.amountCents == open;
    changed["status"] = settled ? "paid" : "partiallyPaid";
    if (settled) changed["paidAt"] = paidAt.value_or(stamp);
    changed["updatedAt"] = stamp;
    return invoicerecords::put(db, caller, SyncEntityType::draftInvoice, invoiceId, changed, now);
}

Json record(Connection& db, const Caller& caller, const std::string& invoiceId, const PaymentRequest& request,
            std::optional<std::string> paidAt, TimePoint now) {
    if (std::ranges::find(kPaymentMethods, request.method) == kPaymentMethods.end())
        throw ServiceError(ErrorKind::unprocessable, "Onbekende betaalmethode '" + request.method + "'.");
    const std::string day = paymentDay(request.paymentDate, now);
    StoredRecord invoice = invoicerecords::requireInvoice(db, caller, invoiceId);
    const std::int64_t open = payableCents(db, caller, invoiceId, invoice.payload);
    if (request.amountCents < 1)
        throw ServiceError(ErrorKind::unprocessable, "Een betaling is minstens € 0,01.");
    if (request.amountCents > open)
        throw ServiceError(ErrorKind::unprocessable, "De betaling van " + formatEuro(request.amountCents) +
                                                         " is meer dan het openstaande bedrag van " +
                                                         formatEuro(open) + ".");
    PaymentRequest dated = request;
    dated.paymentDate = day;
    return invoiceActionResponse(
        writePayment(db, caller, std::move(invoice), open, dated, paidAt, now).payload);
}

}  // namespace

bool acceptsPayment(InvoiceStatus status) {
    return !isEditableDraft(status) && status != InvoiceStatus::finalizing &&
           status != InvoiceStatus::finalized && status != InvoiceStatus::paid &&
           status != InvoiceStatus::cancelled && status != InvoiceStatus::credited;
}

StoredRecord registerPayment(Connection& db, const Caller& caller, StoredRecord invoice,
                             std::int64_t openCents, const PaymentRequest& request, TimePoint now,
                             const std::optional<std::string>& paymentId) {
    return writePayment(db, caller, std::move(invoice), openCents, request, std::nullopt, now, paymentId);
}

Json addInvoicePayment(const ServiceDatabase& database, const Caller& caller, const std::string& invoiceId,
                       const PaymentRequest& request, TimePoint now) {
    return database.write(
        [&](Connection& db) { return record(db, caller, invoiceId, request, std::nullopt, now); });
}

Json markInvoicePaid(const ServiceDatabase& database, const Caller& caller, const std::string& invoiceId,
                     const std::string& paidAt, TimePoint now) {
    const std::optional<TimePoint> at = parseTimestamp(paidAt);
    const bool isDate = paidAt.size() == 10 && parseCalendarDate(paidAt);
    if (!at && !isDate)
        throw ServiceError(ErrorKind::unprocessable, "paidAt '" + paidAt + "' is geen datum of tijdstip.");
    const std::string day = isDate ? paidAt : formatCalendarDate(amsterdamDate(*at));
    return database.write([&](Connection& db) {
        const StoredRecord invoice = invoicerecords::requireInvoice(db, caller, invoiceId);
        const PaymentRequest rest{payableCents(db, caller, invoiceId, invoice.payload), day, "bank_transfer",
                                  std::nullopt};
        return record(db, caller, invoiceId, rest, at ? formatTimestampMillis(*at) : paidAt, now);
    });
}

}  // namespace zelvorin::service
