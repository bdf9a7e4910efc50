#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "api-client/InvoiceActions.h"
#include "app/AppEnvironment.h"
#include "app/SyncDisplayStatus.h"
#include "persistence/repositories/InvoiceRepository.h"
#include "screens/InvoiceActionRules.h"

namespace zelvorin {

// The state of the editor's sheets that call the service. Each sheet checks what was typed and the
// connection before it hands out the call to make; while a call runs (busy) it hands out nothing,
// so a second click cannot send or pay twice. `finished` ends the call with its failure text, if any.
//
// busy: idle --submit() gives a call--> busy --finished()--> idle (error set on failure)

// The payment methods the service knows, as raw value and label.
const std::vector<std::pair<std::string, std::string>>& paymentMethods();

struct PaymentSheet {
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
    bool busy = false;
    std::string error;

    std::int64_t openCents() const { return totalCents - paidCents; }
    std::optional<invoiceactions::PaymentBody> submit(const SyncDisplayStatus& status);
    void finished(std::optional<std::string> failure);
};

struct SendSheet {
    static constexpr std::string_view kFailed =
        "Versturen is niet gelukt. Controleer je verbinding en probeer het opnieuw.";
    static constexpr std::string_view kScheduleFailed =
        "Inplannen is niet gelukt. Controleer je verbinding en probeer het opnieuw.";
    static constexpr std::string_view kLater = "Later versturen";
    static constexpr std::string_view kSendAt = "Verzenddatum";

    // The recipient is the invoice's own address, else the customer's billing address.
    static SendSheet open(const InvoiceDetail& detail, InvoiceActionRules::SendMode mode,
                          std::string reminderKind = {});

    std::string invoiceId;
    InvoiceActionRules::SendMode mode = InvoiceActionRules::SendMode::invoice;
    std::string reminderKind;
    std::string recipient;
    std::string subject;
    std::string body;
    bool later = false;
    std::string sendAt;  // internet date-time, used when `later`
    bool busy = false;
    std::string error;

    std::string title() const { return InvoiceActionRules::sendTitle(mode, reminderKind); }
    struct Call {
        invoiceactions::SendBody body;
        std::optional<std::string> scheduledAt;  // schedule instead of sending now
    };
    std::optional<Call> submit(const SyncDisplayStatus& status);
    void finished(std::optional<std::string> failure);
};

// Runs one call of a sheet: pushes the device's edits first (the service acts on what it holds),
// makes the call and pulls what it changed. Blocking; for the worker. Returns the failure text,
// nothing on success: the offline notice without a connection (no call is made), the service's own
// words for a refusal, `fallback` for anything else.
std::optional<std::string> runServerAction(AppEnvironment& environment,
                                           InvoiceActionRules::ServerAction action, std::string_view fallback,
                                           const std::function<void(SyncAPIClient&)>& call);

}  // namespace zelvorin
