#include "service/invoices/InvoiceScheduleActions.h"

#include "domain/SentInvoiceContent.h"
#include "domain/Timestamps.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/store/ScheduledSends.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

namespace {

using Json = nlohmann::ordered_json;
using invoicerecords::text;

Json scheduleResponse(const Json& invoice) {
    Json response{{"id", invoice.value("id", std::string())}};
    if (const auto number = text(invoice, "invoiceNumber")) response["invoiceNumber"] = *number;
    if (const auto at = text(invoice, "scheduledSendAt")) response["scheduledSendAt"] = *at;
    response["status"] = invoice.value("status", std::string());
    return response;
}

TimePoint requireLaterMoment(const std::string& scheduledAt, TimePoint now) {
    const std::optional<TimePoint> at = parseTimestamp(scheduledAt);
    if (!at)
        throw ServiceError(ErrorKind::unprocessable, "Het verzendmoment '" + scheduledAt +
                                                         "' is geen tijdstip, zoals 2026-03-17T09:00:00Z.");
    if (*at <= now)
        throw ServiceError(
            ErrorKind::unprocessable,
            "Het verzendmoment ligt niet in de toekomst. Kies een later moment, of verstuur nu.");
    return *at;
}

// Drops a schedule whose send can no longer happen, unless it changed or went in the meantime.
void dropSchedule(const ServiceDatabase& database, const ScheduledSend& send, const std::string& reason,
                  TimePoint now) {
    database.write([&](Connection& db) {
        const std::optional<ScheduledSend> current =
            scheduledsends::find(db, send.organizationId, send.invoiceId);
        if (!current || current->scheduledAt != send.scheduledAt) return;
        scheduledsends::remove(db, send.organizationId, send.invoiceId);
        const Caller caller{send.userId, send.organizationId, send.deviceId, "", std::nullopt};
        std::optional<StoredRecord> invoice =
            records::find(db, send.organizationId, "draftInvoice", send.invoiceId);
        if (!invoice || invoice->deleted) return;
        invoice->payload["scheduledSendAt"] = nullptr;
        invoicerecords::put(db, caller, SyncEntityType::draftInvoice, send.invoiceId, invoice->payload, now);
        invoicerecords::addEvent(db, caller, send.invoiceId, "scheduleFailed",
                                 "Geplande verzending niet uitgevoerd", reason, now);
    });
}

bool stillADraft(const ServiceDatabase& database, const ScheduledSend& send) {
    return database.read([&](Connection& db) {
        const std::optional<StoredRecord> invoice =
            records::find(db, send.organizationId, "draftInvoice", send.invoiceId);
        return invoice && !invoice->deleted &&
               SentInvoiceContent::isEditable(text(invoice->payload, "status"));
    });
}

}  // namespace

Json scheduleInvoiceSend(const ServiceDatabase& database, const Caller& caller, const std::string& invoiceId,
                         const SendInvoiceRequest& request, const std::string& scheduledAt, TimePoint now) {
    requireSendAddresses(request);
    const TimePoint at = requireLaterMoment(scheduledAt, now);
    return database.write([&](Connection& db) {
        StoredRecord invoice = invoicerecords::requireInvoice(db, caller, invoiceId);
        if (!SentInvoiceContent::isEditable(text(invoice.payload, "status")))
            throw ServiceError(ErrorKind::conflict,
                               "Deze factuur is al verstuurd; inplannen kan alleen voor een concept.");
        if (records::withMember(db, caller.organizationId, "invoiceLine", "invoiceId", invoiceId).empty())
            throw ServiceError(
                ErrorKind::unprocessable,
                "Een factuur zonder regels kan niet worden verstuurd. Voeg eerst een regel toe.");
        const std::string stamp = formatTimestampMillis(at);
        scheduledsends::put(db, {caller.organizationId, invoiceId, stamp, sendRequestJson(request).dump(),
                                 caller.userId, caller.deviceId});
        invoice.payload["scheduledSendAt"] = stamp;
        invoice.payload["updatedAt"] = formatTimestampMillis(now);
        const StoredRecord stored =
            invoicerecords::put(db, caller, SyncEntityType::draftInvoice, invoiceId, invoice.payload, now);
        invoicerecords::addEvent(db, caller, invoiceId, "scheduled", "Verzending ingepland",
                                 request.recipientEmail, now);
        return scheduleResponse(stored.payload);
    });
}

Json cancelScheduledSend(const ServiceDatabase& database, const Caller& caller, const std::string& invoiceId,
                         TimePoint now) {
    return database.write([&](Connection& db) {
        StoredRecord invoice = invoicerecords::requireInvoice(db, caller, invoiceId);
        if (!scheduledsends::remove(db, caller.organizationId, invoiceId))
            throw ServiceError(ErrorKind::notFound, "Er is geen verzending ingepland voor deze factuur.");
        invoice.payload["scheduledSendAt"] = nullptr;
        invoice.payload["updatedAt"] = formatTimestampMillis(now);
        const StoredRecord stored =
            invoicerecords::put(db, caller, SyncEntityType::draftInvoice, invoiceId, invoice.payload, now);
        invoicerecords::addEvent(db, caller, invoiceId, "scheduleCancelled",
                                 "Geplande verzending geannuleerd", std::nullopt, now);
        return scheduleResponse(stored.payload);
    });
}

int ScheduledSendRunner::runDue(TimePoint now) {
    std::lock_guard lock(running_);
    const std::vector<ScheduledSend> due =
        database_.read([&](Connection& db) { return scheduledsends::due(db, now); });
    int sent = 0;
    for (const ScheduledSend& send : due) {
        const Caller caller{send.userId, send.organizationId, send.deviceId, "", std::nullopt};
        try {
            sendInvoice(database_, outbox_, caller, send.invoiceId,
                        sendRequestFromJson(Json::parse(send.message)), now);
            ++sent;
        } catch (const ServiceError& error) {
            // What the invoice or its message no longer allows is dropped; a send that failed for
            // the moment (delivery refused, a full disk, a busy database) is tried again.
            if (error.kind() == ErrorKind::unprocessable || !stillADraft(database_, send))
                dropSchedule(database_, send, error.what(), now);
        }
    }
    return sent;
}

}  // namespace zelvorin::service
