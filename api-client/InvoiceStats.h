#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "api-client/SyncAPIClient.h"

// What the service knows about how an invoice fared, and the sender addresses it can mail from.
// Both are reads with the "fetch" mapping.
namespace zelvorin::invoicestats {

struct DeviceBreakdown {
    std::int64_t desktop = 0, tablet = 0, mobile = 0;
};
struct SessionsByDayItem {
    std::string day;
    std::int64_t sessions = 0;
};
struct Mail {
    std::int64_t delivered = 0, opened = 0, clicked = 0, bounced = 0;
};
struct PaymentRow {
    std::int64_t amountCents = 0;
    std::string method;
    std::string paymentDate;
    std::string createdAt;
};
struct Payment {
    std::string status;
    std::int64_t paidCents = 0;
    std::int64_t outstandingCents = 0;
    std::optional<std::string> method;
    std::optional<std::string> paidAt;
    std::vector<PaymentRow> payments;
};
struct InvoiceStats {
    std::int64_t totalOpens = 0;
    std::int64_t uniqueSessions = 0;
    std::optional<std::string> lastViewedAt;
    DeviceBreakdown deviceBreakdown;
    std::vector<SessionsByDayItem> sessionsByDay;
    double bounceRate = 0;
    Mail mail;
    bool mailTrackingAvailable = false;
    Payment payment;
    static InvoiceStats fromJson(const nlohmann::json& body);
};

struct NativeGmailAlias {
    std::string email;
    bool isDefault = false;
};
struct NativeGmailAliasInfo {
    bool isGmail = false;
    std::optional<std::string> gmailAddress;
    std::vector<NativeGmailAlias> aliases;
    static NativeGmailAliasInfo fromJson(const nlohmann::json& body);
};

// GET api/native/v1/invoices/<id>/stats.
InvoiceStats stats(SyncAPIClient& client, const std::string& invoiceId);
// GET api/native/v1/email/gmail-aliases.
NativeGmailAliasInfo gmailAliases(SyncAPIClient& client);

}  // namespace zelvorin::invoicestats
