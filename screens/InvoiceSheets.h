#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "api-client/FileTransfers.h"
#include "api-client/InvoiceActions.h"
#include "api-client/InvoiceStats.h"
#include "api-client/TemplateActions.h"
#include "app/AppEnvironment.h"
#include "app/SyncDisplayStatus.h"
#include "domain/MessageVariables.h"
#include "persistence/repositories/InvoiceRepository.h"
#include "screens/InvoiceActionRules.h"

namespace zelvorin {

// The state of the editor's sheets that call the service. Each sheet checks what was typed and the
// connection before it hands out the call to make; while a call runs (busy) it hands out nothing,
// so a second click cannot send or pay twice. `finished` ends the call with its failure text, if any.
//
// busy: idle --submit() gives a call--> busy --finished()--> idle (error set on failure)

// What every sheet that calls the service holds: whether its call runs, and what went wrong.
struct SheetCall {
    bool busy = false;
    std::string error;

    // Ends the call; `failure` is its text, nothing when it went through.
    void finished(std::optional<std::string> failure);

protected:
    // Whether a call may start now: none runs and the device is online (else `error` says so).
    bool mayStart(InvoiceActionRules::ServerAction action, const SyncDisplayStatus& status);
    // The call starts: busy, and no error left from before.
    void start();
};

// The payment methods the service knows, as raw value and label.
const std::vector<std::pair<std::string, std::string>>& paymentMethods();

struct PaymentSheet : SheetCall {
    static constexpr std::string_view kTitle = "Betaling registreren";
    static constexpr std::string_view kAmountPlaceholder = "bijv. 1.234,56";
    static constexpr std::string_view kFailed =
        "Betaling registreren is niet gelukt. Controleer je verbinding en probeer het opnieuw.";

    static PaymentSheet open(const InvoiceDetail& detail, const std::string& today);

    std::string invoiceId;
    std::int64_t totalCents = 0;
    std::int64_t paidCents = 0;  // "Al betaald": the payments registered so far
    std::string amountText;      // the open amount to begin with
    std::string paymentDate;     // "yyyy-MM-dd"
    std::string method = "bank_transfer";
    std::string note;

    std::int64_t openCents() const { return totalCents - paidCents; }
    std::optional<invoiceactions::PaymentBody> submit(const SyncDisplayStatus& status);
};

struct SendSheet : SheetCall {
    static constexpr std::string_view kFailed =
        "Versturen is niet gelukt. Controleer je verbinding en probeer het opnieuw.";
    static constexpr std::string_view kScheduleFailed =
        "Inplannen is niet gelukt. Controleer je verbinding en probeer het opnieuw.";
    static constexpr std::string_view kLater = "Later versturen";
    static constexpr std::string_view kSendAt = "Verzenddatum";

    static constexpr std::string_view kOverwriteQuestion =
        "Je hebt de berichttekst bewerkt. Wil je die overschrijven met de nieuwe sjabloon?";
    static constexpr std::string_view kBodyEdited = "Berichttekst bewerkt";
    static constexpr std::string_view kAttachmentsLabel =
        "Bijlagen (optioneel, max 3 bestanden, 10 MB totaal)";
    static constexpr std::string_view kUploadFailed = "Uploaden mislukt. Probeer het opnieuw.";
    static constexpr std::string_view kPreview = "Voorbeeld bekijken";
    static constexpr std::string_view kPreviewFailed =
        "Voorbeeld laden is niet gelukt. Controleer je verbinding.";

    // The recipient is the invoice's own address, else the customer's billing address; the
    // variables of a template's text come from the invoice and the organisation's settings.
    static SendSheet open(const InvoiceDetail& detail, const std::optional<OrgSettingsRecord>& settings,
                          InvoiceActionRules::SendMode mode, std::string reminderKind = {});

    // The organisation's e-mail templates as the service gives them; the sheet offers those whose
    // type fits its mode, all of them when none fits. An untouched message takes the default
    // template of the mail's language when there is one.
    void setTemplates(const std::vector<templateactions::NativeEmailTemplate>& all);
    // The addresses of a connected mailbox the mail may be sent from, its default chosen; none
    // (the service's own sender) when the organisation has no such mailbox.
    void setSenderAliases(const invoicestats::NativeGmailAliasInfo& info);

    // Files about to be attached, checked with those already attached (at most three, 10 MB
    // together) before anything is uploaded; InputError with the Dutch refusal otherwise.
    void checkNewAttachments(const std::vector<InvoiceActionRules::Attachment>& chosen) const;
    bool canAttachMore() const { return InvoiceActionRules::canAddAttachment(attachments.size()); }
    void detach(const std::string& key);
    // "2.4 MB" as the list of attachments shows a size.
    static std::string sizeText(std::int64_t bytes);
    // The body was typed by hand: a template chosen later asks before it overwrites it.
    void editBody(std::string text);
    // Fills subject and body from the template with the variables put in. False, changing nothing,
    // when the body was edited by hand and `overwrite` was not confirmed (ask kOverwriteQuestion).
    bool chooseTemplate(const std::string& templateId, bool overwrite = false);

    std::string invoiceId;
    InvoiceActionRules::SendMode mode = InvoiceActionRules::SendMode::invoice;
    std::string reminderKind;
    std::string recipient;
    std::string subject;
    std::string body;
    bool later = false;
    std::string sendAt;  // internet date-time, used when `later`
    bool bodyEdited = false;
    MessageVariables variables;
    std::vector<templateactions::NativeEmailTemplate> templates;  // those offered
    std::optional<std::string> selectedTemplateId;
    std::string language = "nl";  // of the mail: the customer's language or country, else the organisation's
    std::vector<std::string> senderAddresses;
    std::optional<std::string> fromEmail;  // the chosen sender address, when there is a choice
    std::vector<UploadedAttachment> attachments;

    std::string title() const { return InvoiceActionRules::sendTitle(mode, reminderKind); }
    struct Call {
        invoiceactions::SendBody body;
        std::optional<std::string> scheduledAt;  // schedule instead of sending now
    };
    std::optional<Call> submit(const SyncDisplayStatus& status);
};

// "Maak credit factuur": the amount to credit, at least one cent.
struct CreditSheet : SheetCall {
    static constexpr std::string_view kTitle = "Maak credit factuur";
    static constexpr std::string_view kQuestion = "Voer het te crediteren bedrag in euro in.";
    static constexpr std::string_view kCreated =
        "Creditnota aangemaakt — verschijnt na synchronisatie in je facturen.";
    static constexpr std::string_view kFailed = "Creditnota maken mislukt. Probeer het opnieuw.";

    std::string invoiceId;
    std::string amountText;

    std::optional<std::int64_t> submit(const SyncDisplayStatus& status);
};

// "Factuur annuleren": a reason of ten characters and the confirmation ANNULEER.
struct CancelSheet : SheetCall {
    static constexpr std::string_view kTitle = "Factuur annuleren";
    static constexpr std::string_view kExplanation =
        "Status wordt geannuleerd; het factuurnummer blijft behouden.";
    static constexpr std::string_view kReasonLabel = "Reden (min. 10 tekens)";
    static constexpr std::string_view kFailed =
        "Annuleren is niet gelukt. Controleer je verbinding en probeer het opnieuw.";
    // Cancelling is not offered for an invoice that is cancelled already.
    static bool offered(const std::string& status) { return status != "cancelled"; }

    std::string invoiceId;
    std::string reason;
    std::string confirmText;

    std::optional<InvoiceActionRules::CancelInput> submit(const SyncDisplayStatus& status);
};

// "Heropenen": back to draft, only for someone who administers the organisation.
struct ReopenSheet : SheetCall {
    static constexpr std::string_view kTitle = "Heropenen";
    static constexpr std::string_view kExplanation = "Zet de status terug naar concept.";
    static constexpr std::string_view kFailed =
        "Heropenen is niet gelukt. Controleer je verbinding en probeer het opnieuw.";

    std::string invoiceId;
    bool isOrgAdmin = false;
    std::string reason;

    // The trimmed reason to send.
    std::optional<std::string> submit(const SyncDisplayStatus& status);
};

// The service's PDF of the invoice in a sheet of its own; for a sent invoice the very file that was sent.
struct PdfPreviewSheet {
    static constexpr std::string_view kTitle = "Factuur voorbeeld";
    static constexpr std::string_view kNotBuilt =
        "De PDF kon niet worden samengesteld. Controleer of er een factuurtemplate is.";
    static std::string fileName(const std::string& invoiceId) {
        return "factuur-preview-" + invoiceId + ".pdf";
    }
    // Pushes the device's edits (a draft must be on the service to be drawn) and downloads the PDF.
    // Blocking; for the worker. The PDF's bytes, or the text the sheet shows instead.
    static std::variant<std::string, std::string> download(AppEnvironment& environment,
                                                           const std::string& invoiceId);
};

// "Sjabloon wijzigen": the template the service draws the invoice with.
struct TemplateChange {
    static constexpr std::string_view kTitle = "Sjabloon wijzigen";
    static constexpr std::string_view kFailed = "Sjabloon wijzigen mislukt. Controleer je verbinding.";

    // The organisation's templates that fit the invoice's kind (made for it, or for no kind), by name.
    static std::vector<InvoiceTemplateRecord> choices(const DraftInvoiceRecord& invoice,
                                                      std::vector<InvoiceTemplateRecord> all);
    // Sets it on the service (the device's edits pushed first, the change pulled after). Blocking;
    // for the worker. kFailed when it did not happen, for whatever reason.
    static std::optional<std::string> apply(AppEnvironment& environment, const std::string& invoiceId,
                                            const std::string& templateId);
};

// Runs one call of a sheet: pushes the device's edits first (the service acts on what it holds),
// makes the call and pulls what it changed. Blocking; for the worker. Returns the failure text,
// nothing on success: the offline notice without a connection (no call is made), the service's own
// words for a refusal, `fallback` for anything else.
std::optional<std::string> runServerAction(AppEnvironment& environment,
                                           InvoiceActionRules::ServerAction action, std::string_view fallback,
                                           const std::function<void(SyncAPIClient&)>& call);

}  // namespace zelvorin
