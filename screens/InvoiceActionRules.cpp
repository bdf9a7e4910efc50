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

namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

}  // namespace

CancelInput cancelInput(const std::string& reason, const std::string& confirmText) {
    CancelInput input{trimmed(reason), trimmed(confirmText)};
    if (input.reason.size() < 10)
        throw InputError(InputError::Kind::invalidValue,
                         "Reden voor annulering moet minimaal 10 tekens bevatten.");
    if (input.confirmText != "ANNULEER")
        throw InputError(InputError::Kind::invalidValue,
                         "Type exact ANNULEER om de annulering te bevestigen.");
    return input;
}

std::string reopenReason(const std::string& reason) {
    std::string why = trimmed(reason);
    if (why.size() < 10)
        throw InputError(InputError::Kind::invalidValue,
                         "Reden voor heropenen moet minimaal 10 tekens bevatten.");
    return why;
}

bool isReminderKind(std::string_view kind) {
    return kind == "reminder_1" || kind == "reminder_2" || kind == "reminder_final";
}

}  // namespace zelvorin::InvoiceActionRules
