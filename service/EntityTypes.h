#pragma once

#include <algorithm>
#include <array>
#include <string_view>

namespace zelvorin::service {

// The kinds of record the service keeps per organisation, by their raw names on the wire.
inline constexpr std::array<std::string_view, 20> kEntityTypes{
    "draftInvoice",   "invoiceLine",       "creditNote",        "customer",        "contact",
    "invoicePayment", "invoiceReminder",   "invoiceTemplate",   "orgSettings",     "orgVariable",
    "emailTemplate",  "invoiceSchedule",   "appNotification",   "incomingInvoice", "kvitraRule",
    "proposal",       "proposalRecipient", "proposalShareLink", "bankAccount",     "bankTransaction"};

inline bool isEntityType(std::string_view name) {
    return std::find(kEntityTypes.begin(), kEntityTypes.end(), name) != kEntityTypes.end();
}

}  // namespace zelvorin::service
