#include "api-client/InvoiceActions.h"

#include "api-client/APIError.h"

namespace zelvorin::invoiceactions {
namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

[[noreturn]] void invalid() {
    throw APIError(APIError::InvalidResponse{});
}

std::string requiredText(const Json& body, const char* key) {
    const auto found = body.find(key);
    if (found == body.end() || !found->is_string()) invalid();
    return found->get<std::string>();
}

std::optional<std::string> optionalText(const Json& body, const char* key) {
    const auto found = body.find(key);
    if (found == body.end() || found->is_null()) return std::nullopt;
    if (!found->is_string()) invalid();
    return found->get<std::string>();
}

std::int64_t requiredInteger(const Json& body, const char* key) {
    const auto found = body.find(key);
    if (found == body.end() || !found->is_number_integer()) invalid();
    return found->get<std::int64_t>();
}

std::string invoicePath(const std::string& invoiceId, const char* action) {
    return "api/native/v1/invoices/" + invoiceId + "/" + action;
}

NativeInvoiceActionResponse post(SyncAPIClient& client, const std::string& invoiceId, const char* action,
                                 const OrderedJson& body) {
    return NativeInvoiceActionResponse::fromJson(client.action("POST", invoicePath(invoiceId, action), body));
}

}  // namespace

OrderedJson SendBody::toJson() const {
    OrderedJson json{{"recipientEmail", recipientEmail}, {"subject", subject}, {"body", body}};
    if (fromEmail) json["fromEmail"] = *fromEmail;
    if (attachmentKeys) json["attachmentKeys"] = *attachmentKeys;
    return json;
}

OrderedJson PaymentBody::toJson() const {
    OrderedJson json{{"amountCents", amountCents}};
    if (paymentDate) json["paymentDate"] = *paymentDate;
    json["method"] = method;
    if (notes) json["notes"] = *notes;
    return json;
}

NativeInvoiceActionResponse NativeInvoiceActionResponse::fromJson(const Json& body) {
    if (!body.is_object()) invalid();
    return {requiredText(body, "id"),     requiredText(body, "status"), optionalText(body, "invoiceNumber"),
            optionalText(body, "sentAt"), optionalText(body, "paidAt"), requiredInteger(body, "totalCents")};
}

NativeInvoiceActionResponse send(SyncAPIClient& client, const std::string& invoiceId, const SendBody& body) {
    return post(client, invoiceId, "send", body.toJson());
}

NativeInvoiceActionResponse resend(SyncAPIClient& client, const std::string& invoiceId,
                                   const SendBody& body) {
    return post(client, invoiceId, "resend", body.toJson());
}

NativeInvoiceActionResponse addPayment(SyncAPIClient& client, const std::string& invoiceId,
                                       const PaymentBody& body) {
    return post(client, invoiceId, "payments", body.toJson());
}

NativeInvoiceActionResponse markPaid(SyncAPIClient& client, const std::string& invoiceId,
                                     const std::string& paidAt) {
    return post(client, invoiceId, "mark-paid", OrderedJson{{"paidAt", paidAt}});
}

NativeReminderResponse NativeReminderResponse::fromJson(const Json& body) {
    if (!body.is_object()) invalid();
    return {requiredText(body, "id"), requiredText(body, "level"), requiredText(body, "reminderId")};
}

NativeScheduleResponse NativeScheduleResponse::fromJson(const Json& body) {
    if (!body.is_object()) invalid();
    return {requiredText(body, "id"), optionalText(body, "invoiceNumber"),
            optionalText(body, "scheduledSendAt"), requiredText(body, "status")};
}

NativeScheduleResponse schedule(SyncAPIClient& client, const std::string& invoiceId, const SendBody& body,
                                const std::string& scheduledAt) {
    OrderedJson json = body.toJson();
    json["scheduledAt"] = scheduledAt;
    return NativeScheduleResponse::fromJson(client.action("POST", invoicePath(invoiceId, "schedule"), json));
}

NativeScheduleResponse cancelSchedule(SyncAPIClient& client, const std::string& invoiceId) {
    return NativeScheduleResponse::fromJson(
        client.action("DELETE", invoicePath(invoiceId, "schedule"), OrderedJson::object()));
}

NativeTimelineResponse NativeTimelineResponse::fromJson(const Json& body) {
    if (!body.is_object() || !body.contains("events") || !body["events"].is_array()) invalid();
    NativeTimelineResponse response;
    for (const Json& event : body["events"]) {
        if (!event.is_object()) invalid();
        response.events.push_back({requiredText(event, "id"), requiredText(event, "kind"),
                                   requiredText(event, "occurredAt"), requiredText(event, "description"),
                                   optionalText(event, "detail"), optionalText(event, "reminderLevel"),
                                   optionalText(event, "reminderRecipient")});
    }
    return response;
}

NativeReminderResponse remind(SyncAPIClient& client, const std::string& invoiceId, const std::string& level,
                              const SendBody& body) {
    OrderedJson json{{"level", level}};
    json.update(body.toJson());
    return NativeReminderResponse::fromJson(client.action("POST", invoicePath(invoiceId, "reminders"), json));
}

NativeInvoiceActionResponse creditNote(SyncAPIClient& client, const std::string& invoiceId,
                                       std::int64_t creditAmountCents) {
    return post(client, invoiceId, "credit-note", OrderedJson{{"creditAmountCents", creditAmountCents}});
}

NativeInvoiceActionResponse cancel(SyncAPIClient& client, const std::string& invoiceId,
                                   const std::string& reason, const std::string& confirmText) {
    return post(client, invoiceId, "cancel", OrderedJson{{"reason", reason}, {"confirmText", confirmText}});
}

NativeInvoiceActionResponse reopen(SyncAPIClient& client, const std::string& invoiceId,
                                   const std::string& reason) {
    return post(client, invoiceId, "reopen", OrderedJson{{"reason", reason}});
}

NativeTimelineResponse timeline(SyncAPIClient& client, const std::string& invoiceId) {
    return NativeTimelineResponse::fromJson(client.fetch(invoicePath(invoiceId, "timeline")));
}

}  // namespace zelvorin::invoiceactions
