#include "sync/SyncEntityType.h"

namespace zelvorin {

namespace {

constexpr std::array<std::string_view, kAllSyncEntityTypes.size()> kRawValues{
    "draftInvoice",   "invoiceLine",       "creditNote",        "customer",        "contact",
    "invoicePayment", "invoiceReminder",   "invoiceTemplate",   "orgSettings",     "orgVariable",
    "emailTemplate",  "invoiceSchedule",   "appNotification",   "incomingInvoice", "kvitraRule",
    "proposal",       "proposalRecipient", "proposalShareLink", "bankAccount",     "bankTransaction",
};

}  // namespace

std::string_view rawValue(SyncEntityType type) {
    return kRawValues[static_cast<std::size_t>(type)];
}

std::optional<SyncEntityType> parseSyncEntityType(std::string_view raw) {
    for (SyncEntityType type : kAllSyncEntityTypes) {
        if (rawValue(type) == raw) return type;
    }
    return std::nullopt;
}

}  // namespace zelvorin
