#include "service/invoices/InvoiceSendActions.h"

#include <chrono>
#include <filesystem>

#include "domain/InvoiceStatus.h"
#include "domain/Money.h"
#include "domain/SentInvoiceContent.h"
#include "domain/StatutoryClaim.h"
#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "service/http/JsonBody.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceNumberPlaceholder.h"
#include "service/invoices/InvoiceNumbering.h"
#include "service/invoices/InvoicePreviewActions.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/invoices/InvoiceRecordsSource.h"
#include "service/invoices/MailMessage.h"
#include "service/invoices/MessageTransaction.h"
#include "service/store/InvoiceEvents.h"
#include "service/store/RecordWriter.h"
#include "service/store/ScheduledSends.h"
#include "service/store/ServiceDatabase.h"
#include "service/store/StoredFiles.h"

namespace zelvorin::service {
namespace {

using invoicerecords::requireInvoice;
using invoicerecords::text;

using Json = nlohmann::ordered_json;

// Where a message comes from when neither the request nor the organisation names an address.
constexpr const char* kFallbackSender = "facturen@zelvorin.invalid";

std::string senderAddress(Connection& db, const Caller& caller, const SendInvoiceRequest& request) {
    if (request.fromEmail) return *request.fromEmail;
    for (const StoredRecord& settings : records::all(db, caller.organizationId, std::string("orgSettings"))) {
        const std::optional<std::string> email = text(settings.payload, "orgEmail");
        if (!settings.deleted && email && isDeliverableAddress(*email)) return *email;
    }
    return kFallbackSender;
}

std::vector<MailAttachment> uploadedAttachments(Connection& db, const Caller& caller,
                                                const std::vector<std::string>& keys) {
    std::vector<MailAttachment> attachments;
    for (const std::string& key : keys) {
        std::optional<StoredFile> file = storedfiles::find(db, caller.organizationId, key);
        if (!file)
            throw ServiceError(ErrorKind::unprocessable,
                               "De bijlage '" + key + "' is niet gevonden. Voeg haar opnieuw toe.");
        attachments.push_back({file->fileName, file->contentType, std::move(file->bytes)});
    }
    return attachments;
}

std::string pdfKey(const std::string& invoiceId, const std::string& number) {
    return "invoices/" + invoiceId + "/" + number + ".pdf";
}

// Writes the message and returns its path; the caller's transaction still has to commit.
std::filesystem::path mail(const MailOutbox& outbox, Connection& db, const Caller& caller,
                           const SendInvoiceRequest& request, const std::string& number, std::string pdf,
                           TimePoint now) {
    MailMessage message;
    message.from = senderAddress(db, caller, request);
    message.to = request.recipientEmail;
    message.subject = request.subject;
    message.body = request.body;
    message.date = now;
    message.messageId = randomUuid() + "@zelvorin.local";
    message.attachments.push_back({number + ".pdf", "application/pdf", std::move(pdf)});
    for (MailAttachment& attachment : uploadedAttachments(db, caller, request.attachmentKeys))
        message.attachments.push_back(std::move(attachment));
    const auto stamp = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    return outbox.send(number + "-" + std::to_string(stamp) + "-" + randomUuid().substr(0, 8),
                       rfc5322Text(message), message.from, message.to);
}

constexpr std::string_view kReminderLevels[] = {"reminder_1", "reminder_2", "reminder_final"};

// The invoice a reminder carries: the file that was sent while nothing has been paid or credited;
// once part is, the same invoice drawn again with a payment code for what is still open, so that
// paying by the code never pays twice.
std::string reminderPdf(Connection& db, const Caller& caller, const StoredRecord& invoice,
                        std::int64_t openCents, TimePoint now) {
    if (openCents == invoicerecords::integer(invoice.payload, "totalCents"))
        return invoicePdf(db, caller, invoice.id, now);
    std::optional<InvoiceSource> source = invoiceSourceFromRecords(db, caller.organizationId, invoice.id);
    if (!source) throw ServiceError(ErrorKind::notFound, "Factuur niet gevonden.");
    source->openCents = openCents;
    return renderInvoicePdf(db, caller.organizationId, *source, now);
}

// "10,15 %", "6 %".
std::string percentText(int basisPoints) {
    std::string text = std::to_string(basisPoints / 100);
    if (const int fraction = basisPoints % 100; fraction != 0) {
        text += ',' + std::string(fraction < 10 ? "0" : "") + std::to_string(fraction);
        if (text.back() == '0') text.pop_back();
    }
    return text + " %";
}

// A customer with a company form, a VAT or a chamber of commerce number buys as a business.
DebtorKind debtorOf(Connection& db, const Caller& caller, const Json& invoice) {
    const std::optional<StoredRecord> customer =
        records::find(db, caller.organizationId, "customer", text(invoice, "customerId").value_or(""));
    if (!customer) return DebtorKind::business;
    const Json& payload = customer->payload;
    const bool business = text(payload, "contactType") == "company" ||
                          text(payload, "vatNumber").has_value() || text(payload, "kvkNumber").has_value();
    return business ? DebtorKind::business : DebtorKind::consumer;
}

// What a final reminder adds to its message: the statutory collection costs over what is open
// and the statutory interest since the due date, at the rate for this debtor.
std::string finalReminderNotice(Connection& db, const Caller& caller, const Json& invoice,
                                std::int64_t openCents, TimePoint now) {
    const DebtorKind debtor = debtorOf(db, caller, invoice);
    const std::optional<std::chrono::year_month_day> due =
        parseCalendarDate(text(invoice, "dueDate").value_or(""));
    const std::chrono::year_month_day today = amsterdamDate(now);
    const StatutoryClaim claim = statutoryClaim(openCents, debtor, due.value_or(today), today);
    const char* interest = debtor == DebtorKind::business ? "wettelijke handelsrente" : "wettelijke rente";
    std::string notice =
        "\n\nBlijft betaling uit, dan zijn wij genoodzaakt de wettelijke incassokosten van " +
        formatEuro(claim.collectionCostsCents) + " over het openstaande bedrag van " + formatEuro(openCents) +
        " in rekening te brengen, vermeerderd met de " + interest + ".";
    if (debtor == DebtorKind::consumer)
        notice += " Betaal daarom binnen 14 dagen na ontvangst van deze herinnering.";
    if (claim.daysLate > 0)
        notice += " De " + std::string(interest) + " van " + percentText(claim.rateBasisPoints) +
                  " per jaar bedraagt over " + std::to_string(claim.daysLate) +
                  (claim.daysLate == 1 ? " dag" : " dagen") + " sinds de vervaldatum " +
                  formatEuro(claim.interestCents) + ".";
    return notice;
}

}  // namespace

SendInvoiceRequest sendRequestFromJson(const Json& body) {
    SendInvoiceRequest request{requiredText(body, "recipientEmail"),
                               requiredText(body, "subject"),
                               requiredText(body, "body"),
                               optionalText(body, "fromEmail"),
                               {}};
    if (const auto keys = body.find("attachmentKeys"); keys != body.end() && !keys->is_null()) {
        if (!keys->is_array())
            throw ServiceError(ErrorKind::badRequest, "attachmentKeys moet een lijst zijn.");
        for (const Json& key : *keys) {
            if (!key.is_string() || key.get<std::string>().empty())
                throw ServiceError(ErrorKind::badRequest,
                                   "attachmentKeys bevat iets anders dan een sleutel.");
            request.attachmentKeys.push_back(key.get<std::string>());
        }
    }
    return request;
}

Json sendRequestJson(const SendInvoiceRequest& request) {
    Json body{
        {"recipientEmail", request.recipientEmail}, {"subject", request.subject}, {"body", request.body}};
    if (request.fromEmail) body["fromEmail"] = *request.fromEmail;
    body["attachmentKeys"] = request.attachmentKeys;
    return body;
}

void requireSendAddresses(const SendInvoiceRequest& request) {
    if (!isDeliverableAddress(request.recipientEmail))
        throw ServiceError(ErrorKind::unprocessable,
                           "Het e-mailadres van de ontvanger is ongeldig: '" + request.recipientEmail + "'.");
    if (request.fromEmail && !isDeliverableAddress(*request.fromEmail))
        throw ServiceError(ErrorKind::unprocessable,
                           "Het afzenderadres is ongeldig: '" + *request.fromEmail + "'.");
}

Json invoiceActionResponse(const Json& invoice) {
    Json response{{"id", invoice.value("id", std::string())},
                  {"status", invoice.value("status", std::string())}};
    for (const char* key : {"invoiceNumber", "sentAt", "paidAt"})
        if (const auto value = text(invoice, key)) response[key] = *value;
    response["totalCents"] = invoice.value("totalCents", std::int64_t{0});
    return response;
}

Json sendInvoice(const ServiceDatabase& database, const MailOutbox& outbox, const Caller& caller,
                 const std::string& invoiceId, const SendInvoiceRequest& request, TimePoint now) {
    requireSendAddresses(request);
    return inTransactionWithMessage(database, [&](Connection& db, std::filesystem::path& written) {
        StoredRecord invoice = requireInvoice(db, caller, invoiceId);
        if (!SentInvoiceContent::isEditable(text(invoice.payload, "status")))
            throw ServiceError(ErrorKind::conflict,
                               "Deze factuur is al verstuurd. Gebruik opnieuw versturen, of corrigeer haar "
                               "met een creditnota.");
        std::optional<InvoiceSource> source = invoiceSourceFromRecords(db, caller.organizationId, invoiceId);
        if (!source || source->lines.empty())
            throw ServiceError(
                ErrorKind::unprocessable,
                "Een factuur zonder regels kan niet worden verstuurd. Voeg eerst een regel toe.");
        // A reopened invoice keeps the number it was sent with: a number is never handed out twice.
        const int year = static_cast<int>(amsterdamDate(now).year());
        std::optional<std::string> kept = text(invoice.payload, "invoiceNumber");
        const std::string number = kept ? *kept : takeNextInvoiceNumber(db, caller.organizationId, year);
        source->invoiceNumber = number;
        fillInvoiceNumberPlaceholders(db, caller, invoice.payload, number, *source, now);
        // Nothing is paid on a draft, but a credit note may already stand against a reopened one.
        source->openCents = invoicerecords::openCents(db, caller, invoiceId, invoice.payload);
        const std::string pdf = renderInvoicePdf(db, caller.organizationId, *source, now);

        const std::string key = pdfKey(invoiceId, number);
        storedfiles::put(db, caller.organizationId, {key, number + ".pdf", "application/pdf", pdf}, now);
        Json& payload = invoice.payload;
        payload["invoiceNumber"] = number;
        payload["status"] = "sent";
        payload["sentAt"] = formatTimestampMillis(now);
        payload["updatedAt"] = formatTimestampMillis(now);
        payload["pdfPath"] = key;
        // Sent now, by hand or by its schedule: nothing is left to send later.
        scheduledsends::remove(db, caller.organizationId, invoiceId);
        payload["scheduledSendAt"] = nullptr;
        const StoredRecord sent =
            invoicerecords::put(db, caller, SyncEntityType::draftInvoice, invoiceId, payload, now);
        written = mail(outbox, db, caller, request, number, pdf, now);
        invoicerecords::addEvent(db, caller, invoiceId, "sent", "Factuur " + number + " verstuurd",
                                 request.recipientEmail, now);
        return invoiceActionResponse(sent.payload);
    });
}

Json resendInvoice(const ServiceDatabase& database, const MailOutbox& outbox, const Caller& caller,
                   const std::string& invoiceId, const SendInvoiceRequest& request, TimePoint now) {
    requireSendAddresses(request);
    return inTransactionWithMessage(database, [&](Connection& db, std::filesystem::path& written) {
        const StoredRecord invoice = requireInvoice(db, caller, invoiceId);
        const std::optional<std::string> status = text(invoice.payload, "status");
        if (SentInvoiceContent::isEditable(status))
            throw ServiceError(ErrorKind::conflict,
                               "Deze factuur is nog niet verstuurd. Verstuur haar eerst.");
        if (status == "cancelled")
            throw ServiceError(ErrorKind::conflict, "Een geannuleerde factuur wordt niet opnieuw verstuurd.");
        const std::string number = text(invoice.payload, "invoiceNumber").value_or(invoiceId);
        written = mail(outbox, db, caller, request, number, invoicePdf(db, caller, invoiceId, now), now);
        invoicerecords::addEvent(db, caller, invoiceId, "resent", "Factuur " + number + " opnieuw verstuurd",
                                 request.recipientEmail, now);
        return invoiceActionResponse(invoice.payload);
    });
}

Json remindInvoice(const ServiceDatabase& database, const MailOutbox& outbox, const Caller& caller,
                   const std::string& invoiceId, const std::string& level, const SendInvoiceRequest& request,
                   TimePoint now) {
    if (std::ranges::find(kReminderLevels, level) == std::end(kReminderLevels))
        throw ServiceError(ErrorKind::unprocessable, "Onbekend herinneringsniveau '" + level +
                                                         "': reminder_1, reminder_2 of reminder_final.");
    requireSendAddresses(request);
    return inTransactionWithMessage(database, [&](Connection& db, std::filesystem::path& written) {
        const StoredRecord invoice = requireInvoice(db, caller, invoiceId);
        const std::optional<InvoiceStatus> status =
            parseInvoiceStatus(text(invoice.payload, "status").value_or(""));
        if (!status || !(isAwaitingPayment(*status) || *status == InvoiceStatus::overdue))
            throw ServiceError(ErrorKind::conflict,
                               "Een herinnering gaat alleen over een verstuurde factuur die nog openstaat.");
        const std::int64_t open = invoicerecords::openCents(db, caller, invoiceId, invoice.payload);
        const std::string number = text(invoice.payload, "invoiceNumber").value_or(invoiceId);
        SendInvoiceRequest message = request;
        if (level == "reminder_final")
            message.body += finalReminderNotice(db, caller, invoice.payload, open, now);
        written = mail(outbox, db, caller, message, number, reminderPdf(db, caller, invoice, open, now), now);

        const std::string reminderId = randomUuid();
        invoicerecords::put(db, caller, SyncEntityType::invoiceReminder, reminderId,
                            Json{{"id", reminderId},
                                 {"organizationId", caller.organizationId},
                                 {"invoiceId", invoiceId},
                                 {"level", level},
                                 {"recipientEmail", request.recipientEmail},
                                 {"sentAt", formatTimestampMillis(now)}},
                            now);
        const char* title = level == "reminder_1"   ? "1e herinnering"
                            : level == "reminder_2" ? "2e herinnering"
                                                    : "Aanmaning";
        invoicerecords::addEvent(db, caller, invoiceId, "reminder",
                                 std::string(title) + " voor factuur " + number + " verstuurd", std::nullopt,
                                 now, level, request.recipientEmail);
        return Json{{"id", invoiceId}, {"level", level}, {"reminderId", reminderId}};
    });
}

}  // namespace zelvorin::service
