#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "api-client/InvoiceActions.h"
#include "domain/Clock.h"
#include "persistence/repositories/CustomerRepository.h"
#include "persistence/repositories/InvoiceRepository.h"
#include "screens/InvoiceOverview.h"
#include "screens/LineEditorModel.h"
#include "screens/SavedChangeHistory.h"

namespace zelvorin {

// The load state of a record a screen shows, in this order.
enum class RecordLoadState { found, failed, loading, notFound };

// The editor of one invoice: its header, its lines with their amounts and the totals beside them,
// and the inspector's status, next step and timeline. Every change is written at once through the
// repository and can be undone. A change that could not be saved leaves the field as it was typed
// (fieldText shows it) with the editor's text for that kind of change; Ongedaan maken then drops
// the typed value. What the customer received on a sent invoice is read-only: the model refuses
// before the repository would.
//
// State: loading --reload()--> found | notFound | failed; found --reload()--> any of them.
class InvoiceEditorModel {
public:
    static constexpr std::string_view kNotFoundTitle = "Factuur niet gevonden";
    static constexpr std::string_view kNotFoundText =
        "Dit kan gebeuren vlak na het aanmaken, terwijl de synchronisatie nog bezig is, of als de factuur is "
        "verwijderd.";
    static constexpr std::string_view kRetry = "Opnieuw proberen";
    static constexpr std::string_view kLoadFailed =
        "De factuur kon niet worden geladen. Controleer je verbinding en probeer het opnieuw.";
    static constexpr std::string_view kNumberFollows = "Nummer volgt bij verzenden";
    static constexpr std::string_view kContentOnly =
        "Layout en typografie pas je aan op het web — hier bewerk je inhoud.";
    static constexpr std::string_view kRateQuestionTitle = "Tarief overnemen?";

    struct Totals {
        std::int64_t subtotalCents = 0;
        std::int64_t vatCents = 0;
        std::int64_t totalCents = 0;
        std::int64_t paidCents = 0;
        VatGroups groups;
    };
    // After a change of customer to one with a default hourly rate.
    struct RateQuestion {
        std::string text;
        std::int64_t rateCents = 0;
    };

    InvoiceEditorModel(InvoiceRepository& invoices, CustomerRepository& customers, const Clock& clock,
                       std::string invoiceId);

    // Reads the invoice again (after a save, an observation's delivery, a sync).
    void reload();
    RecordLoadState loadState() const { return state_; }
    const std::string& invoiceId() const { return invoiceId_; }
    // Only while found.
    const InvoiceOverview& overview() const { return overview_; }
    const DraftInvoiceRecord& invoice() const { return overview_.detail.invoice; }
    const std::vector<InvoiceLineRecord>& lines() const { return overview_.detail.lines; }
    std::string numberText() const;
    std::string statusText() const;
    Totals totals() const;
    std::optional<NextAction> nextAction() const { return overview_.nextAction; }
    // The service's timeline, fetched by the window; oldest first as the service gives it.
    void setTimeline(std::vector<invoiceactions::NativeTimelineEvent> events);
    const std::vector<invoiceactions::NativeTimelineEvent>& timeline() const { return timeline_; }

    // Whether what the customer received may change (a draft), and whether one header field may.
    bool contentEditable() const;
    bool headerFieldEditable(const std::string& field) const;

    // Header fields by payload key (customerId, issueDate, dueDate, referenceNumber,
    // projectDescription, vatTreatment, invoiceEmail, idealEnabled, portalLinkEnabled, internalNote,
    // paymentTermsOverride, freeText). True when saved.
    bool setHeader(const std::string& field, const std::string& typed);
    // The text a field shows: what was typed when its save failed, else the stored value.
    std::string fieldText(const std::string& field) const;

    // A new line after the others. True when saved.
    bool addLine(LineEditorModel::TypedLine typed);
    // A line's field by the line editor's names; the id is taken by value, since a caller's
    // reference into lines() does not outlive the reload after the save. (description, mode, qty, price,
    // amount, vat).
    bool setLine(std::string lineId, const std::string& field, const std::string& typed);
    std::string lineText(const std::string& lineId, const std::string& field) const;
    bool deleteLine(std::string lineId);
    std::int64_t lineExclCents(std::size_t index) const { return overview_.lineExclCents.at(index); }

    // A draft only; asked first with kDeleteQuestion. True when deleted (the window closes).
    static constexpr std::string_view kDeleteQuestion = "Factuur verwijderen?";
    bool deleteInvoice();

    const std::optional<RateQuestion>& rateQuestion() const { return rateQuestion_; }
    // Yes: the rate on every hour line, as one change. No: the question goes away.
    bool applyCustomerRate();
    void declineCustomerRate();

    bool canUndo() const;
    bool canRedo() const { return history_.canRedo(); }
    bool undo();
    bool redo();

    // The last refusal or failure; empty after a change that went well.
    const std::string& message() const { return message_; }
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

private:
    template <class Write>
    bool save(std::string_view failureText, Write write);
    std::optional<InvoiceLineRecord> storedLine(const std::string& lineId) const;
    void askForCustomerRate();
    void changed();

    InvoiceRepository& invoices_;
    CustomerRepository& customers_;
    const Clock& clock_;
    std::string invoiceId_;
    RecordLoadState state_ = RecordLoadState::loading;
    InvoiceOverview overview_;
    std::vector<invoiceactions::NativeTimelineEvent> timeline_;
    SavedChangeHistory history_;
    // Typed values whose save failed, by header field and by line id and field.
    std::map<std::string, std::string> typedHeader_;
    std::map<std::pair<std::string, std::string>, std::string> typedLines_;
    std::optional<RateQuestion> rateQuestion_;
    std::string message_;
    std::function<void()> onChange_;
};

// The three ways a line states its amount and the VAT choices of a line, as raw value and label.
const std::vector<std::pair<std::string, std::string>>& lineModeChoices();
const std::vector<std::pair<std::string, std::string>>& lineVatChoices();  // "" = the invoice's

}  // namespace zelvorin
