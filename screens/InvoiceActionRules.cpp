#include "screens/InvoiceActionRules.h"

#include "domain/Money.h"
#include "screens/InputError.h"

namespace zelvorin::InvoiceActionRules {

std::string offlineNotice(ServerAction action) {
    switch (action) {
        case ServerAction::send:
        case ServerAction::schedule:
            return "Versturen vereist een internetverbinding.";
        case ServerAction::payment:
            return "Betaling registreren vereist een internetverbinding.";
        case ServerAction::creditNote:
            return "Een creditnota maken vereist een internetverbinding.";
        case ServerAction::cancel:
            return "Annuleren vereist een internetverbinding.";
        case ServerAction::reopen:
            return "Heropenen vereist een internetverbinding.";
    }
    return "Deze actie vereist een internetverbinding.";
}

std::optional<std::string> offlineRefusal(ServerAction action, const SyncDisplayStatus& status) {
    if (!std::holds_alternative<SyncDisplayStatus::Offline>(status.value)) return std::nullopt;
    return offlineNotice(action);
}

std::string sendTitle(SendMode mode, std::string_view reminderKind) {
    switch (mode) {
        case SendMode::invoice:
            return "Factuur versturen";
        case SendMode::creditnote:
            return "Creditnota versturen";
        case SendMode::resend:
            return "Opnieuw versturen";
        case SendMode::reminder:
            if (reminderKind == "reminder_1") return "1e herinnering versturen";
            if (reminderKind == "reminder_2") return "2e herinnering versturen";
            return "Laatste herinnering versturen";
    }
    return "Factuur versturen";
}

std::string defaultBody(const std::optional<std::string>& customerName) {
    const std::string name = customerName && !customerName->empty() ? *customerName : "klant";
    return "Beste " + name + ",\n\nHierbij ontvang je de factuur.\n\nMet vriendelijke groet";
}

std::int64_t positiveAmountCents(const std::string& typed) {
    const std::optional<std::int64_t> cents = parseAmountCents(typed);
    if (!cents || *cents < 1) throw InputError(InputError::Kind::invalidValue, "Vul een geldig bedrag in.");
    return *cents;
}

}  // namespace zelvorin::InvoiceActionRules
