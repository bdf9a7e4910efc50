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
    if (mode == SendMode::resend) return "Opnieuw versturen";
    return defaultMessageSubject(templateTypeFor(mode, reminderKind));
}

std::string defaultBody(const std::optional<std::string>& customerName) {
    return defaultMessageBody(customerName);
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

std::string substituteVariables(std::string text, const MessageVariables& values) {
    return substituteMessageVariables(std::move(text), values);
}

std::string templateTypeFor(SendMode mode, std::string_view reminderKind) {
    switch (mode) {
        case SendMode::invoice:
        case SendMode::resend:
            return "invoice";
        case SendMode::creditnote:
            return "credit_note";
        case SendMode::reminder:
            return std::string(reminderKind);
    }
    return "invoice";
}

std::vector<std::string> templatesForMode(const std::vector<std::pair<std::string, std::string>>& types,
                                          SendMode mode, std::string_view reminderKind) {
    const std::string wanted = templateTypeFor(mode, reminderKind);
    std::vector<std::string> fitting, all;
    for (const auto& [id, type] : types) {
        all.push_back(id);
        if (type == wanted) fitting.push_back(id);
    }
    return fitting.empty() ? all : fitting;
}

bool canAddAttachment(std::size_t attached) {
    return attached < kMaxAttachments;
}

void checkAttachments(const std::vector<Attachment>& attached, const std::vector<Attachment>& chosen) {
    if (attached.size() + chosen.size() > kMaxAttachments)
        throw InputError(InputError::Kind::invalidValue, "Je kunt maximaal 3 bestanden bijvoegen.");
    std::int64_t total = 0;
    for (const auto* files : {&attached, &chosen})
        for (const Attachment& file : *files)
            total += file.sizeBytes;
    if (total > kMaxAttachmentBytes)
        throw InputError(InputError::Kind::invalidValue,
                         "Totale bestandsgrootte mag niet groter zijn dan 10 MB");
}

bool isReminderKind(std::string_view kind) {
    return kind == "reminder_1" || kind == "reminder_2" || kind == "reminder_final";
}

}  // namespace zelvorin::InvoiceActionRules
