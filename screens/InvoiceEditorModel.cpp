#include "screens/InvoiceEditorModel.h"

#include <algorithm>
#include <exception>

#include "domain/Money.h"
#include "domain/SentInvoiceContent.h"
#include "persistence/PersistenceError.h"
#include "screens/DisplayFormats.h"
#include "screens/InputError.h"
#include "screens/InvoiceHeaderModel.h"

namespace zelvorin {
namespace {

using Step = SavedChangeHistory::Step;

constexpr std::string_view kLineNotSaved =
    "De regelwijziging is niet opgeslagen. Probeer het opnieuw, of gebruik Ongedaan maken.";
constexpr std::string_view kLineNotDeleted =
    "De regel is niet verwijderd. Probeer het opnieuw, of gebruik Ongedaan maken.";
constexpr std::string_view kRateNotSaved =
    "Het uurtarief is niet op alle regels opgeslagen. Probeer het opnieuw, of gebruik Ongedaan maken.";
constexpr std::string_view kUndoIncomplete =
    "Ongedaan maken is niet volledig gelukt — niet alle wijzigingen zijn hersteld. Probeer het opnieuw.";
constexpr std::string_view kRedoIncomplete =
    "Opnieuw uitvoeren is niet volledig gelukt — niet alle wijzigingen zijn opnieuw opgeslagen. Probeer het "
    "opnieuw.";

// What a person is told when a header field could not be saved, by the kind of field.
std::string_view headerFailure(const std::string& field) {
    if (field == "customerId")
        return "De klantwissel is niet opgeslagen. Probeer het opnieuw, of gebruik Ongedaan maken.";
    if (field == "issueDate")
        return "De nieuwe factuurdatum is niet opgeslagen. Probeer het opnieuw, of gebruik Ongedaan maken.";
    if (field == "dueDate")
        return "De nieuwe vervaldatum is niet opgeslagen. Probeer het opnieuw, of gebruik Ongedaan maken.";
    if (field == "referenceNumber")
        return "De referentie is niet opgeslagen. Probeer het opnieuw, of gebruik Ongedaan maken.";
    if (field == "projectDescription" || field == "freeText" || field == "internalNote")
        return "De tekstwijziging is niet opgeslagen. Probeer het opnieuw, of gebruik Ongedaan maken.";
    return "De wijziging in de instellingen is niet opgeslagen. Probeer het opnieuw.";
}

std::string yesNo(const std::optional<bool>& value) {
    return value.value_or(false) ? "ja" : "nee";
}

std::string amountText(const std::optional<std::int64_t>& cents) {
    return cents ? formatEuroAmount(*cents) : std::string();
}

}  // namespace

const std::vector<std::pair<std::string, std::string>>& lineModeChoices() {
    static const std::vector<std::pair<std::string, std::string>> choices{
        {"hours_rate", "Uren × tarief"}, {"qty_price", "Aantal × prijs"}, {"fixed", "Vast bedrag"}};
    return choices;
}

const std::vector<std::pair<std::string, std::string>>& lineVatChoices() {
    static const std::vector<std::pair<std::string, std::string>> choices{
        {"", "Zoals de factuur"}, {"nl_21", "21%"}, {"nl_9", "9%"}, {"nl_0", "0%"}, {"verlegd", "Verlegd"}};
    return choices;
}

InvoiceEditorModel::InvoiceEditorModel(InvoiceRepository& invoices, CustomerRepository& customers,
                                       const Clock& clock, std::string invoiceId)
    : invoices_(invoices),
      customers_(customers),
      clock_(clock),
      invoiceId_(std::move(invoiceId)),
      history_(invoices) {}

void InvoiceEditorModel::changed() {
    if (onChange_) onChange_();
}

void InvoiceEditorModel::reload() {
    try {
        overview_ = loadInvoiceOverview(invoices_, clock_, invoiceId_);
        state_ = RecordLoadState::found;
    } catch (const PersistenceError& error) {
        state_ = error.kind() == PersistenceError::Kind::notFound ? RecordLoadState::notFound
                                                                  : RecordLoadState::failed;
    } catch (const std::exception&) {
        state_ = RecordLoadState::failed;
    }
    changed();
}

std::string InvoiceEditorModel::numberText() const {
    return invoice().invoiceNumber.value_or(std::string(kNumberFollows));
}

std::string InvoiceEditorModel::statusText() const {
    return invoiceStatusLabel(invoice().status);
}

InvoiceEditorModel::Totals InvoiceEditorModel::totals() const {
    Totals totals;
    totals.groups = overview_.vatGroups;
    for (const auto& [treatment, group] : totals.groups) {
        totals.subtotalCents += group.exclCents;
        totals.vatCents += group.vatCents;
    }
    totals.totalCents = totals.subtotalCents + totals.vatCents;
    for (const InvoicePaymentRecord& payment : overview_.detail.payments)
        totals.paidCents += payment.amountCents;
    return totals;
}

void InvoiceEditorModel::setTimeline(std::vector<invoiceactions::NativeTimelineEvent> events) {
    timeline_ = std::move(events);
    changed();
}

bool InvoiceEditorModel::contentEditable() const {
    return state_ == RecordLoadState::found && !invoice().deletedAt &&
           SentInvoiceContent::isEditable(invoice().status);
}

bool InvoiceEditorModel::headerFieldEditable(const std::string& field) const {
    if (state_ != RecordLoadState::found || invoice().deletedAt) return false;
    return contentEditable() || !SentInvoiceContent::isReceivedField(field);
}

// Runs one write; on failure the typed values stay and the message says what was not saved.
template <class Write>
bool InvoiceEditorModel::save(std::string_view failureText, Write write) {
    try {
        write();
        message_.clear();
        reload();
        return true;
    } catch (const InputError& refused) {
        message_ = refused.what();
    } catch (const PersistenceError& error) {
        // A refusal is worded by the store itself; a write that failed gets the editor's text.
        const bool refusal = error.kind() == PersistenceError::Kind::invalidInput ||
                             error.kind() == PersistenceError::Kind::notFound;
        message_ = refusal ? error.what() : std::string(failureText);
    } catch (const std::exception&) {
        message_ = failureText;
    }
    changed();
    return false;
}

bool InvoiceEditorModel::setHeader(const std::string& field, const std::string& typed) {
    if (state_ != RecordLoadState::found) return false;
    if (!headerFieldEditable(field)) {
        message_ = SentInvoiceContent::kRefusal;
        changed();
        return false;
    }
    const auto setter = invoiceHeaderSetters().find(field);
    if (setter == invoiceHeaderSetters().end()) throw std::invalid_argument("unknown header field " + field);
    const DraftInvoiceRecord before = invoice();
    typedHeader_[field] = typed;
    const bool saved = save(headerFailure(field), [&] {
        DraftInvoiceRecord after = before;
        setter->second(after, typed);
        if (after == before) return;
        if (field == "customerId" && after.customerId) {
            const std::optional<CustomerRecord> customer = customers_.customer(*after.customerId);
            if (!customer || customer->deletedAt)
                throw InputError(InputError::Kind::invalidValue, "Kies een bestaande klant.");
        }
        if (after.vatTreatment == "verlegd" && (field == "vatTreatment" || field == "customerId")) {
            const std::optional<CustomerRecord> customer =
                after.customerId ? customers_.customer(*after.customerId) : std::nullopt;
            if (!customer || !customer->vatNumber || customer->vatNumber->empty())
                throw InputError(InputError::Kind::invalidValue,
                                 "BTW verlegd kan alleen bij een klant met een btw-nummer.");
        }
        const DraftInvoiceRecord stored = invoices_.updateHeader(after, {field});
        history_.record({{Step{Step::Kind::header, before, stored, {field}, {}, {}}}});
    });
    if (saved) {
        typedHeader_.erase(field);
        if (field == "customerId") askForCustomerRate();
    }
    return saved;
}

std::string InvoiceEditorModel::fieldText(const std::string& field) const {
    if (const auto typed = typedHeader_.find(field); typed != typedHeader_.end()) return typed->second;
    const DraftInvoiceRecord& r = invoice();
    if (field == "customerId") return r.customerId.value_or("");
    if (field == "issueDate") return r.issueDate;
    if (field == "dueDate") return r.dueDate.value_or("");
    if (field == "referenceNumber") return r.referenceNumber.value_or("");
    if (field == "projectDescription") return r.projectDescription.value_or("");
    if (field == "vatTreatment") return r.vatTreatment;
    if (field == "invoiceEmail") return r.invoiceEmail.value_or("");
    if (field == "idealEnabled") return yesNo(r.idealEnabled);
    if (field == "portalLinkEnabled") return yesNo(r.portalLinkEnabled);
    if (field == "internalNote") return r.internalNote.value_or("");
    if (field == "paymentTermsOverride")
        return r.paymentTermsOverride ? std::to_string(*r.paymentTermsOverride) : "";
    if (field == "freeText") return r.freeText.value_or("");
    throw std::invalid_argument("unknown header field " + field);
}

std::optional<InvoiceLineRecord> InvoiceEditorModel::storedLine(const std::string& lineId) const {
    for (const InvoiceLineRecord& line : lines())
        if (line.id == lineId) return line;
    return std::nullopt;
}

bool InvoiceEditorModel::addLine(LineEditorModel::TypedLine typed) {
    if (!contentEditable()) {
        message_ = SentInvoiceContent::kRefusal;
        changed();
        return false;
    }
    typed.invoiceId = invoiceId_;
    return save(kLineNotSaved, [&] {
        if (typed.description.empty())
            throw InputError(InputError::Kind::missingValue, "Vul een omschrijving in.");
        LineEditorModel editor(invoices_);
        const InvoiceLineRecord added = editor.add(typed);
        history_.record({{Step{Step::Kind::lineAdded, {}, {}, {}, {}, added}}});
    });
}

bool InvoiceEditorModel::setLine(std::string lineId, const std::string& field, const std::string& typed) {
    const std::optional<InvoiceLineRecord> before = contentEditable() ? storedLine(lineId) : std::nullopt;
    if (!before) {
        message_ = contentEditable() ? "Deze regel bestaat niet meer." : SentInvoiceContent::kRefusal;
        changed();
        return false;
    }
    const auto setter = invoiceLineSetters().find(field);
    if (setter == invoiceLineSetters().end()) throw std::invalid_argument("unknown line field " + field);
    typedLines_[{lineId, field}] = typed;
    const bool saved = save(kLineNotSaved, [&] {
        InvoiceLineRecord after = *before;
        setter->second(after, typed);
        if (after == *before) return;
        if (after.description.empty())
            throw InputError(InputError::Kind::missingValue, "Vul een omschrijving in.");
        const InvoiceLineRecord stored = invoices_.updateLine(after, invoice().vatTreatment);
        history_.record({{Step{Step::Kind::lineChanged, {}, {}, {}, *before, stored}}});
    });
    if (saved) typedLines_.erase({lineId, field});
    return saved;
}

std::string InvoiceEditorModel::lineText(const std::string& lineId, const std::string& field) const {
    if (const auto typed = typedLines_.find({lineId, field}); typed != typedLines_.end())
        return typed->second;
    const std::optional<InvoiceLineRecord> line = storedLine(lineId);
    if (!line) return {};
    if (field == "description") return line->description;
    if (field == "mode") return line->lineMode;
    if (field == "qty") return line->quantityHundredths ? formatHundredths(*line->quantityHundredths) : "";
    if (field == "price") return amountText(line->unitPriceCents);
    if (field == "amount") return amountText(line->amountCents);
    if (field == "vat") return line->vatTreatmentOverride.value_or("");
    throw std::invalid_argument("unknown line field " + field);
}

bool InvoiceEditorModel::deleteLine(std::string lineId) {
    const std::optional<InvoiceLineRecord> line = contentEditable() ? storedLine(lineId) : std::nullopt;
    if (!line) {
        message_ = contentEditable() ? "Deze regel bestaat niet meer." : SentInvoiceContent::kRefusal;
        changed();
        return false;
    }
    return save(kLineNotDeleted, [&] {
        invoices_.deleteLine(*line);
        history_.record({{Step{Step::Kind::lineRemoved, {}, {}, {}, *line, {}}}});
    });
}

bool InvoiceEditorModel::deleteInvoice() {
    if (!contentEditable()) {
        message_ = SentInvoiceContent::kRefusal;
        changed();
        return false;
    }
    return save("De factuur is niet verwijderd. Probeer het opnieuw.",
                [&] { invoices_.deleteInvoice(invoiceId_); });
}

void InvoiceEditorModel::askForCustomerRate() {
    rateQuestion_.reset();
    const std::optional<CustomerRecord>& customer = overview_.detail.customer;
    if (!customer || !customer->defaultHourlyRate || !contentEditable()) return;
    const bool hasHourLines = std::any_of(lines().begin(), lines().end(),
                                          [](const auto& line) { return line.lineMode == "hours_rate"; });
    if (!hasHourLines) return;
    rateQuestion_ = RateQuestion{customer->companyName + " heeft een standaard uurtarief van " +
                                     formatEuro(*customer->defaultHourlyRate) +
                                     ". Wil je dit toepassen op de bestaande uren-regels?",
                                 *customer->defaultHourlyRate};
    changed();
}

bool InvoiceEditorModel::applyCustomerRate() {
    if (!rateQuestion_) return false;
    const std::int64_t rate = rateQuestion_->rateCents;
    rateQuestion_.reset();
    SavedChangeHistory::Change change;
    bool complete = true;
    for (const InvoiceLineRecord& line : lines()) {
        if (line.lineMode != "hours_rate" || line.unitPriceCents == rate) continue;
        InvoiceLineRecord after = line;
        after.unitPriceCents = rate;
        try {
            const InvoiceLineRecord stored = invoices_.updateLine(after, invoice().vatTreatment);
            change.steps.push_back(Step{Step::Kind::lineChanged, {}, {}, {}, line, stored});
        } catch (const std::exception&) {
            complete = false;
        }
    }
    // What was written can be undone, also when some lines failed.
    if (!change.steps.empty()) history_.record(std::move(change));
    message_ = complete ? std::string() : std::string(kRateNotSaved);
    reload();
    return complete;
}

void InvoiceEditorModel::declineCustomerRate() {
    rateQuestion_.reset();
    changed();
}

bool InvoiceEditorModel::canUndo() const {
    return history_.canUndo() || !typedHeader_.empty() || !typedLines_.empty();
}

bool InvoiceEditorModel::undo() {
    // A change that was not saved is undone by forgetting what was typed.
    if (!typedHeader_.empty() || !typedLines_.empty()) {
        typedHeader_.clear();
        typedLines_.clear();
        message_.clear();
        changed();
        return true;
    }
    if (!history_.canUndo()) return false;
    const bool complete = history_.undo();
    message_ = complete ? std::string() : std::string(kUndoIncomplete);
    reload();
    return complete;
}

bool InvoiceEditorModel::redo() {
    if (!history_.canRedo()) return false;
    const bool complete = history_.redo();
    message_ = complete ? std::string() : std::string(kRedoIncomplete);
    reload();
    return complete;
}

}  // namespace zelvorin
