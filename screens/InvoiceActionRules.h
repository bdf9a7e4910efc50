#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/SyncDisplayStatus.h"
#include "domain/AttachmentRule.h"
#include "domain/MessageVariables.h"

// The rules the invoice actions decide on the device before any call to the service, shared by
// the desktop's sheets and the command line: which actions need a connection and what is said
// without one, the default subject and body of a message, and the checks of typed amounts,
// reasons and confirmations. A refusal is an InputError (invalidValue) with the sheet's Dutch text.
namespace zelvorin::InvoiceActionRules {

// The modes of the send sheet; a reminder carries its kind ("reminder_1", "reminder_2",
// "reminder_final").
enum class SendMode { invoice, creditnote, resend, reminder };

// The service actions of the invoice editor, for their offline notices.
enum class ServerAction { send, schedule, payment, creditNote, cancel, reopen };

// What the sheet shows instead of calling while the sync status is offline; nothing otherwise.
std::optional<std::string> offlineRefusal(ServerAction action, const SyncDisplayStatus& status);
// The same text, for a call that found no connection after all.
std::string offlineNotice(ServerAction action);

// The sheet's title, and the subject of a message whose subject was left empty.
std::string sendTitle(SendMode mode, std::string_view reminderKind = {});
// "Beste <customer>,\n\nHierbij ontvang je de factuur.\n\nMet vriendelijke groet"; "klant" without
// a customer name.
std::string defaultBody(const std::optional<std::string>& customerName);

// A typed payment or credit amount ("123,45", "1.234,56"): at least one cent.
std::int64_t positiveAmountCents(const std::string& typed);

// The cancel sheet: the trimmed reason (at least 10 characters) and the trimmed confirmation
// (exactly "ANNULEER"), as the call sends them.
struct CancelInput {
    std::string reason;
    std::string confirmText;
};
CancelInput cancelInput(const std::string& reason, const std::string& confirmText);
// The reopen action is only for someone who administers the organisation; for others it is
// disabled with this text.
inline constexpr std::string_view kReopenNeedsAdmin = "Alleen owner/admin kan facturen heropenen";
// The trimmed reason of a reopen: at least 10 characters.
std::string reopenReason(const std::string& reason);

// The twelve message variables (domain/MessageVariables.h), filled in both brace forms.
using MessageVariables = zelvorin::MessageVariables;
std::string substituteVariables(std::string text, const MessageVariables& values);

// The e-mail template types that fit a send mode: "invoice" for invoice and resend, "credit_note"
// for a credit note, the reminder kind itself for a reminder.
std::string templateTypeFor(SendMode mode, std::string_view reminderKind = {});
// The ids of the templates whose type fits; all of them when none fits. `types` pairs id and type.
std::vector<std::string> templatesForMode(const std::vector<std::pair<std::string, std::string>>& types,
                                          SendMode mode, std::string_view reminderKind = {});

// An attachment as the sheet holds it.
struct Attachment {
    std::string fileName;
    std::int64_t sizeBytes = 0;
};
using zelvorin::kMaxAttachmentBytes;
using zelvorin::kMaxAttachments;
// Whether another file can be added (the add button disappears at three).
bool canAddAttachment(std::size_t attached);
// Checks the files about to be uploaded together with those already attached: at most three and
// 10 MB together ("Totale bestandsgrootte mag niet groter zijn dan 10 MB").
void checkAttachments(const std::vector<Attachment>& attached, const std::vector<Attachment>& chosen);
// The content type of a file by its lower-cased extension (domain/AttachmentRule.h).
using zelvorin::attachmentContentType;

// The reminder kinds of the advanced actions, by their raw value.
bool isReminderKind(std::string_view kind);

}  // namespace zelvorin::InvoiceActionRules
