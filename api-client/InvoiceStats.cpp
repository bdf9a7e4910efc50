#include "api-client/InvoiceStats.h"

#include "api-client/ResponseFields.h"

namespace zelvorin::invoicestats {

using Json = nlohmann::json;
namespace fields = responsefields;

InvoiceStats InvoiceStats::fromJson(const Json& body) {
    InvoiceStats stats;
    stats.totalOpens = fields::integer(body, "totalOpens");
    stats.uniqueSessions = fields::integer(body, "uniqueSessions");
    stats.lastViewedAt = fields::optionalText(body, "lastViewedAt");
    const Json& devices = fields::objectMember(body, "deviceBreakdown");
    stats.deviceBreakdown = {fields::integer(devices, "desktop"), fields::integer(devices, "tablet"),
                             fields::integer(devices, "mobile")};
    for (const Json& day : fields::array(body, "sessionsByDay"))
        stats.sessionsByDay.push_back({fields::text(day, "day"), fields::integer(day, "sessions")});
    stats.bounceRate = fields::number(body, "bounceRate");
    const Json& mail = fields::objectMember(body, "mail");
    stats.mail = {fields::integer(mail, "delivered"), fields::integer(mail, "opened"),
                  fields::integer(mail, "clicked"), fields::integer(mail, "bounced")};
    stats.mailTrackingAvailable = fields::flag(body, "mailTrackingAvailable");
    const Json& payment = fields::objectMember(body, "payment");
    stats.payment = {fields::text(payment, "status"),
                     fields::integer(payment, "paidCents"),
                     fields::integer(payment, "outstandingCents"),
                     fields::optionalText(payment, "method"),
                     fields::optionalText(payment, "paidAt"),
                     {}};
    for (const Json& row : fields::array(payment, "payments"))
        stats.payment.payments.push_back({fields::integer(row, "amountCents"), fields::text(row, "method"),
                                          fields::text(row, "paymentDate"), fields::text(row, "createdAt")});
    return stats;
}

NativeGmailAliasInfo NativeGmailAliasInfo::fromJson(const Json& body) {
    NativeGmailAliasInfo info{fields::flag(body, "isGmail"), fields::optionalText(body, "gmailAddress"), {}};
    for (const Json& alias : fields::array(body, "aliases"))
        info.aliases.push_back({fields::text(alias, "email"), fields::flag(alias, "isDefault")});
    return info;
}

InvoiceStats stats(SyncAPIClient& client, const std::string& invoiceId) {
    return InvoiceStats::fromJson(
        client.fetch("api/native/v1/invoices/" + percentEncodeQueryValue(invoiceId) + "/stats"));
}

NativeGmailAliasInfo gmailAliases(SyncAPIClient& client) {
    return NativeGmailAliasInfo::fromJson(client.fetch("api/native/v1/email/gmail-aliases"));
}

}  // namespace zelvorin::invoicestats
