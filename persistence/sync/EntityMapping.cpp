#include "persistence/sync/EntityMapping.h"

#include <stdexcept>

namespace zelvorin {
namespace {

std::string_view tableOf(SyncEntityType type) {
    switch (type) {
        case SyncEntityType::draftInvoice:
            return "draft_invoice";
        case SyncEntityType::invoiceLine:
            return "invoice_line";
        case SyncEntityType::creditNote:
            return "credit_note";
        case SyncEntityType::customer:
            return "customer";
        case SyncEntityType::contact:
            return "contact_person";
        case SyncEntityType::invoicePayment:
            return "invoice_payment";
        case SyncEntityType::invoiceReminder:
            return "invoice_reminder";
        case SyncEntityType::invoiceTemplate:
            return "invoice_template";
        case SyncEntityType::orgSettings:
            return "org_settings";
        case SyncEntityType::orgVariable:
            return "org_variable";
        case SyncEntityType::emailTemplate:
            return "email_template";
        case SyncEntityType::invoiceSchedule:
            return "invoice_schedule";
        case SyncEntityType::appNotification:
            return "app_notification";
        case SyncEntityType::incomingInvoice:
            return "incoming_invoice";
        case SyncEntityType::kvitraRule:
            return "kvitra_rule";
        case SyncEntityType::proposal:
            return "proposal";
        case SyncEntityType::proposalRecipient:
            return "proposal_recipient";
        case SyncEntityType::proposalShareLink:
            return "proposal_share_link";
        case SyncEntityType::bankAccount:
            return "bank_account";
        case SyncEntityType::bankTransaction:
            return "bank_transaction";
    }
    throw std::logic_error("unknown SyncEntityType");
}

std::vector<EntityMapping> makeMappings() {
    std::vector<EntityMapping> mappings;
    for (const SyncEntityType type : kAllSyncEntityTypes) {
        const TableDescription* table = Schema::shared().table(tableOf(type));
        if (!table || !table->isSynced()) throw std::logic_error("no synced table for an entity type");
        mappings.push_back({type, table->name, table->syncColumns(), table->isLocallyEdited()});
    }
    return mappings;
}

}  // namespace

const std::vector<EntityMapping>& entityMappings() {
    static const std::vector<EntityMapping> mappings = makeMappings();
    return mappings;
}

const EntityMapping* entityMapping(SyncEntityType type) {
    const auto& mappings = entityMappings();
    const auto index = static_cast<std::size_t>(type);
    return index < mappings.size() ? &mappings[index] : nullptr;
}

}  // namespace zelvorin
