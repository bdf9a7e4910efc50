#include "screens/InvoiceSheets.h"

#include <algorithm>

#include "api-client/FileTransfers.h"
#include "domain/InvoiceTemplateLanguage.h"
#include "domain/Money.h"
#include "persistence/repositories/InvoicePrintRecords.h"
#include "screens/InputError.h"
#include "screens/TypedInput.h"

namespace zelvorin {
namespace {

namespace rules = InvoiceActionRules;

// Runs a check of typed input; a refusal becomes the sheet's error.
template <class Check>
bool accepted(std::string& error, Check check) {
    try {
        check();
        return true;
    } catch (const InputError& refused) {
        error = refused.what();
        return false;
    }
}

}  // namespace

bool SheetCall::mayStart(rules::ServerAction action, const SyncDisplayStatus& status) {
    if (busy) return false;
    if (auto refusal = rules::offlineRefusal(action, status)) {
        error = *refusal;
        return false;
    }
    return true;
}

void SheetCall::start() {
    busy = true;
    error.clear();
}

void SheetCall::finished(std::optional<std::string> failure) {
    busy = false;
    error = failure.value_or("");
}

const std::vector<std::pair<std::string, std::string>>& paymentMethods() {
    static const std::vector<std::pair<std::string, std::string>> methods{{"bank_transfer", "Overboeking"},
                                                                          {"cash", "Contant"},
                                                                          {"ideal", "iDEAL"},
                                                                          {"stripe", "Stripe"},
                                                                          {"creditcard", "Creditcard"},
                                                                          {"paypal", "PayPal"},
                                                                          {"bancontact", "Bancontact"},
                                                                          {"wero", "Wero"},
                                                                          {"applepay", "Apple Pay"}};
    return methods;
}

PaymentSheet PaymentSheet::open(const InvoiceDetail& detail, const std::string& today) {
    PaymentSheet sheet;
    sheet.invoiceId = detail.invoice.id;
    sheet.totalCents = detail.invoice.totalCents;
    for (const InvoicePaymentRecord& payment : detail.payments)
        sheet.paidCents += payment.amountCents;
    if (sheet.openCents() > 0) sheet.amountText = formatEuroAmount(sheet.openCents());
    sheet.paymentDate = today;
    return sheet;
}

std::optional<invoiceactions::PaymentBody> PaymentSheet::submit(const SyncDisplayStatus& status) {
    if (!mayStart(rules::ServerAction::payment, status)) return std::nullopt;
    invoiceactions::PaymentBody body;
    if (!accepted(error, [&] {
            body.amountCents = rules::positiveAmountCents(amountText);
            body.paymentDate = typedDate(paymentDate, "datum");
        }))
        return std::nullopt;
    body.method = method;
    if (!note.empty()) body.notes = note;
    start();
    return body;
}

SendSheet SendSheet::open(const InvoiceDetail& detail, const std::optional<OrgSettingsRecord>& settings,
                          rules::SendMode mode, std::string reminderKind) {
    SendSheet sheet;
    MessageVariables& values = sheet.variables;
    if (detail.customer) values.customerName = detail.customer->companyName;
    values.invoiceNumber = detail.invoice.invoiceNumber;
    values.totalCents = detail.invoice.totalCents;
    values.dueDate = detail.invoice.dueDate;
    values.issueDate = detail.invoice.issueDate;
    if (settings) {
        values.orgName = settings->orgName;
        values.iban = settings->iban;
        values.bic = settings->bic;
        values.paymentTermDays = settings->paymentTermsDays;
    }
    sheet.invoiceId = detail.invoice.id;
    sheet.mode = mode;
    sheet.reminderKind = std::move(reminderKind);
    sheet.recipient = detail.invoice.invoiceEmail.value_or(
        detail.customer ? detail.customer->billingEmail.value_or("") : std::string());
    sheet.subject = sheet.title();
    sheet.body =
        rules::defaultBody(detail.customer ? std::optional(detail.customer->companyName) : std::nullopt);
    sheet.language = std::string(
        InvoiceTemplateLanguage::resolve(detail.customer ? detail.customer->language : std::nullopt,
                                         detail.customer ? detail.customer->country : std::nullopt,
                                         settings ? settings->defaultLanguage : std::nullopt));
    return sheet;
}

void SendSheet::setTemplates(const std::vector<templateactions::NativeEmailTemplate>& all) {
    std::vector<std::pair<std::string, std::string>> types;
    for (const auto& candidate : all)
        types.emplace_back(candidate.id, candidate.type.value_or(""));
    const std::vector<std::string> fitting = rules::templatesForMode(types, mode, reminderKind);
    templates.clear();
    for (const auto& candidate : all)
        if (std::find(fitting.begin(), fitting.end(), candidate.id) != fitting.end())
            templates.push_back(candidate);
    if (selectedTemplateId || bodyEdited) return;
    const auto preferred = std::find_if(templates.begin(), templates.end(), [&](const auto& candidate) {
        return candidate.isDefault.value_or(false) && candidate.language.value_or("nl") == language;
    });
    if (preferred != templates.end()) chooseTemplate(preferred->id);
}

void SendSheet::setSenderAliases(const invoicestats::NativeGmailAliasInfo& info) {
    senderAddresses.clear();
    fromEmail.reset();
    if (!info.isGmail) return;
    for (const invoicestats::NativeGmailAlias& alias : info.aliases) {
        senderAddresses.push_back(alias.email);
        if (alias.isDefault) fromEmail = alias.email;
    }
    if (!fromEmail && !senderAddresses.empty()) fromEmail = senderAddresses.front();
}

void SendSheet::checkNewAttachments(const std::vector<rules::Attachment>& chosen) const {
    std::vector<rules::Attachment> attached;
    for (const UploadedAttachment& file : attachments)
        attached.push_back({file.filename, file.size});
    rules::checkAttachments(attached, chosen);
}

void SendSheet::detach(const std::string& key) {
    std::erase_if(attachments, [&](const UploadedAttachment& file) { return file.key == key; });
}

std::string SendSheet::sizeText(std::int64_t bytes) {
    const std::int64_t tenths = (bytes * 10 + 524288) / 1048576;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
}

void SendSheet::editBody(std::string text) {
    if (text == body) return;
    body = std::move(text);
    bodyEdited = true;
}

bool SendSheet::chooseTemplate(const std::string& templateId, bool overwrite) {
    const auto chosen = std::find_if(templates.begin(), templates.end(),
                                     [&](const auto& candidate) { return candidate.id == templateId; });
    if (chosen == templates.end() || (bodyEdited && !overwrite)) return false;
    selectedTemplateId = templateId;
    body = rules::substituteVariables(chosen->body.value_or(""), variables);
    if (chosen->subject && !chosen->subject->empty())
        subject = rules::substituteVariables(*chosen->subject, variables);
    bodyEdited = false;
    return true;
}

std::optional<SendSheet::Call> SendSheet::submit(const SyncDisplayStatus& status) {
    const rules::ServerAction action = later ? rules::ServerAction::schedule : rules::ServerAction::send;
    if (!mayStart(action, status)) return std::nullopt;
    Call call;
    if (!accepted(error, [&] {
            call.body.recipientEmail = optionalEmail(recipient, "ontvanger").value_or("");
            if (call.body.recipientEmail.empty())
                throw InputError(InputError::Kind::missingValue, "Vul het e-mailadres van de ontvanger in.");
        }))
        return std::nullopt;
    call.body.subject = subject.empty() ? title() : subject;
    call.body.body = body;
    call.body.fromEmail = fromEmail;
    if (!attachments.empty()) {
        call.body.attachmentKeys.emplace();
        for (const UploadedAttachment& file : attachments)
            call.body.attachmentKeys->push_back(file.key);
    }
    if (later) call.scheduledAt = sendAt;
    start();
    return call;
}

std::variant<std::string, std::string> PdfPreviewSheet::download(AppEnvironment& environment,
                                                                 const std::string& invoiceId) {
    std::string pdf;
    const std::optional<std::string> failure =
        runServerAction(environment, rules::ServerAction::send, kNotBuilt,
                        [&](SyncAPIClient& client) { pdf = downloadInvoicePreview(client, invoiceId).data; });
    if (failure) return std::variant<std::string, std::string>(std::in_place_index<1>, *failure);
    return std::variant<std::string, std::string>(std::in_place_index<0>, std::move(pdf));
}

std::optional<std::string> runServerAction(AppEnvironment& environment, rules::ServerAction action,
                                           std::string_view fallback,
                                           const std::function<void(SyncAPIClient&)>& call) {
    environment.syncNow();
    if (auto refusal = rules::offlineRefusal(action, environment.syncStatus())) return refusal;
    try {
        call(environment.apiClient());
    } catch (const APIError& error) {
        if (const auto* conflict = std::get_if<APIError::Conflict>(&error.value())) return conflict->message;
        return std::string(fallback);
    } catch (const TransportError& error) {
        return error.isOffline() ? rules::offlineNotice(action) : std::string(fallback);
    } catch (const std::exception&) {
        return std::string(fallback);
    }
    environment.syncNow();
    return std::nullopt;
}

std::optional<std::int64_t> CreditSheet::submit(const SyncDisplayStatus& status) {
    if (!mayStart(rules::ServerAction::creditNote, status)) return std::nullopt;
    std::int64_t cents = 0;
    if (!accepted(error, [&] { cents = rules::positiveAmountCents(amountText); })) return std::nullopt;
    start();
    return cents;
}

std::optional<rules::CancelInput> CancelSheet::submit(const SyncDisplayStatus& status) {
    if (!mayStart(rules::ServerAction::cancel, status)) return std::nullopt;
    rules::CancelInput input;
    if (!accepted(error, [&] { input = rules::cancelInput(reason, confirmText); })) return std::nullopt;
    start();
    return input;
}

std::optional<std::string> ReopenSheet::submit(const SyncDisplayStatus& status) {
    if (!isOrgAdmin) {
        error = rules::kReopenNeedsAdmin;
        return std::nullopt;
    }
    if (!mayStart(rules::ServerAction::reopen, status)) return std::nullopt;
    std::string why;
    if (!accepted(error, [&] { why = rules::reopenReason(reason); })) return std::nullopt;
    start();
    return why;
}

std::vector<InvoiceTemplateRecord> TemplateChange::choices(const DraftInvoiceRecord& invoice,
                                                           std::vector<InvoiceTemplateRecord> all) {
    const std::string kind = invoiceTemplateKind(invoice);
    // A template made for another kind (a credit note's for an invoice) is left out; one made for
    // no kind in particular fits any.
    std::erase_if(all, [&](const InvoiceTemplateRecord& candidate) {
        return candidate.defaultFor && !candidate.defaultFor->empty() && *candidate.defaultFor != kind;
    });
    std::sort(all.begin(), all.end(),
              [](const InvoiceTemplateRecord& a, const InvoiceTemplateRecord& b) { return a.name < b.name; });
    return all;
}

std::optional<std::string> TemplateChange::apply(AppEnvironment& environment, const std::string& invoiceId,
                                                 const std::string& templateId) {
    const std::optional<std::string> failure = runServerAction(
        environment, rules::ServerAction::send, kFailed,
        [&](SyncAPIClient& client) { templateactions::setInvoiceTemplate(client, invoiceId, templateId); });
    return failure ? std::optional(std::string(kFailed)) : std::nullopt;
}

}  // namespace zelvorin
