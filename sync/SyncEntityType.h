#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace zelvorin {

// The kinds of syncable record, stored and exchanged by their raw value (the case name). The declared
// order is the order the device asks for them and the order of the store's entity mappings.
enum class SyncEntityType {
    draftInvoice,
    invoiceLine,
    creditNote,
    customer,
    contact,  // the contact person of a customer
    invoicePayment,
    invoiceReminder,
    invoiceTemplate,
    orgSettings,
    orgVariable,
    emailTemplate,
    invoiceSchedule,
    appNotification,
    incomingInvoice,
    kvitraRule,
    proposal,
    proposalRecipient,
    proposalShareLink,
    bankAccount,
    bankTransaction,
};

inline constexpr std::array<SyncEntityType, 20> kAllSyncEntityTypes{
    SyncEntityType::draftInvoice,    SyncEntityType::invoiceLine,       SyncEntityType::creditNote,
    SyncEntityType::customer,        SyncEntityType::contact,           SyncEntityType::invoicePayment,
    SyncEntityType::invoiceReminder, SyncEntityType::invoiceTemplate,   SyncEntityType::orgSettings,
    SyncEntityType::orgVariable,     SyncEntityType::emailTemplate,     SyncEntityType::invoiceSchedule,
    SyncEntityType::appNotification, SyncEntityType::incomingInvoice,   SyncEntityType::kvitraRule,
    SyncEntityType::proposal,        SyncEntityType::proposalRecipient, SyncEntityType::proposalShareLink,
    SyncEntityType::bankAccount,     SyncEntityType::bankTransaction,
};

std::string_view rawValue(SyncEntityType type);
std::optional<SyncEntityType> parseSyncEntityType(std::string_view raw);

}  // namespace zelvorin
