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

namespace {

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// "2026-03-16" as "16-03-2026"; empty when absent or not a date.
std::string dutchDate(const std::optional<std::string>& date) {
    if (!date || date->size() != 10) return {};
    return date->substr(8, 2) + "-" + date->substr(5, 2) + "-" + date->substr(0, 4);
}

}  // namespace

std::string substituteVariables(std::string text, const MessageVariables& values) {
    const std::string customer = values.customerName.value_or("");
    const std::string org = values.orgName.value_or("");
    const std::pair<const char*, std::string> variables[] = {
        {"klant_naam", customer},
        {"klant_bedrijf", customer},
        {"factuurnummer", values.invoiceNumber.value_or("")},
        {"bedrag", formatEuro(values.totalCents)},
        {"vervaldatum", dutchDate(values.dueDate)},
        {"factuur_datum", dutchDate(values.issueDate)},
        {"org_naam", org},
        {"bedrijfsnaam", org},
        {"iban", values.iban.value_or("")},
        {"bic", values.bic.value_or("")},
        {"betaaltermijn", std::to_string(values.paymentTermDays.value_or(30))},
        {"betaallink", ""},
    };
    for (const auto& [key, value] : variables) {
        replaceAll(text, "{{" + std::string(key) + "}}", value);
        replaceAll(text, "{" + std::string(key) + "}", value);
    }
    return text;
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

std::string attachmentContentType(std::string_view fileName) {
    const std::size_t dot = fileName.rfind('.');
    std::string extension(dot == std::string_view::npos ? std::string_view() : fileName.substr(dot + 1));
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (extension == "pdf") return "application/pdf";
    if (extension == "jpg" || extension == "jpeg") return "image/jpeg";
    if (extension == "png") return "image/png";
    if (extension == "gif") return "image/gif";
    return "application/octet-stream";
}

bool isReminderKind(std::string_view kind) {
    return kind == "reminder_1" || kind == "reminder_2" || kind == "reminder_final";
}

}  // namespace zelvorin::InvoiceActionRules
