#include <memory>
#include <ostream>

#include "api-client/FileTransfers.h"
#include "api-client/InvoiceActions.h"
#include "app/cli/AttachmentFiles.h"
#include "app/cli/CliError.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "domain/Money.h"
#include "domain/Timestamps.h"
#include "screens/InputError.h"
#include "screens/InvoiceActionRules.h"

namespace zelvorin::cli {
namespace {

namespace rules = InvoiceActionRules;

struct SendOptions {
    std::string id;
    std::string to;
    std::string subject;
    std::string body;
    std::string from;
    std::string at;  // send later, at this moment
    std::vector<std::string> attach;
};

// The service acts on what it holds: the device's own edits go first, and what the service did
// comes back by the pull of the same cycle. A cycle that found no connection is the action's
// refusal.
void syncForAction(CliContext& context, rules::ServerAction action) {
    AppEnvironment& environment = context.environment();
    environment.syncNow();
    if (auto refusal = rules::offlineRefusal(action, environment.syncStatus()))
        throw CliError(CliError::Kind::needsConnection, *refusal);
}

// Runs a call of the service; a call that found no connection after all gets the same words.
template <class Call>
auto callService(rules::ServerAction action, Call call) {
    try {
        return call();
    } catch (const TransportError& error) {
        if (!error.isOffline()) throw;
        throw CliError(CliError::Kind::needsConnection, rules::offlineNotice(action));
    }
}

Json responseJson(const invoiceactions::NativeInvoiceActionResponse& response) {
    Json body{{"id", response.id}, {"status", response.status}};
    body["invoiceNumber"] = response.invoiceNumber ? Json(*response.invoiceNumber) : Json(nullptr);
    body["sentAt"] = response.sentAt ? Json(*response.sentAt) : Json(nullptr);
    body["paidAt"] = response.paidAt ? Json(*response.paidAt) : Json(nullptr);
    body["totalCents"] = response.totalCents;
    return body;
}

// The message of a send or reminder: the options, else the sheet's defaults.
invoiceactions::SendBody messageBody(CliContext& context, const SendOptions& options, rules::SendMode mode,
                                     std::string_view reminderKind = {}) {
    const std::optional<InvoiceDetail> detail =
        context.environment().repositories().invoices.detail(options.id);
    if (!detail) throw PersistenceError::notFound("Factuur '" + options.id + "'");
    invoiceactions::SendBody body;
    body.recipientEmail = options.to;
    body.subject = options.subject.empty() ? rules::sendTitle(mode, reminderKind) : options.subject;
    body.body = options.body.empty()
                    ? rules::defaultBody(detail->customer ? std::optional(detail->customer->companyName)
                                                          : std::nullopt)
                    : options.body;
    if (!options.from.empty()) body.fromEmail = options.from;
    return body;
}

std::optional<std::vector<std::string>> uploadAttachments(SyncAPIClient& client,
                                                          const std::vector<AttachmentFile>& files) {
    if (files.empty()) return std::nullopt;
    return callService(rules::ServerAction::send, [&] { return uploadAttachmentFiles(client, files); });
}

// `invoice send --at WHEN`: the service sends it at that moment.
void scheduleInvoice(CliContext& context, const SendOptions& options,
                     const std::vector<AttachmentFile>& attachments) {
    const std::optional<TimePoint> at = parseTimestamp(options.at);
    if (!at)
        throw InputError(
            InputError::Kind::invalidValue,
            "--at '" + options.at + "' is geen tijdstip; schrijf bijvoorbeeld 2026-03-17T09:00:00+01:00.");
    context.requireSignedIn();
    syncForAction(context, rules::ServerAction::schedule);
    invoiceactions::SendBody body = messageBody(context, options, rules::SendMode::invoice);
    SyncAPIClient client = context.apiClient();
    body.attachmentKeys = uploadAttachments(client, attachments);  // kept by the service until it sends
    const auto scheduled = callService(rules::ServerAction::schedule, [&] {
        return invoiceactions::schedule(client, options.id, body, formatTimestampSeconds(*at));
    });
    context.environment().syncNow();
    if (context.json) {
        Json out{{"id", scheduled.id}};
        out["invoiceNumber"] = scheduled.invoiceNumber ? Json(*scheduled.invoiceNumber) : Json(nullptr);
        out["scheduledSendAt"] = scheduled.scheduledSendAt ? Json(*scheduled.scheduledSendAt) : Json(nullptr);
        out["status"] = scheduled.status;
        return printJson(context, out);
    }
    context.out() << "Factuur ingepland: de dienst verstuurt haar op "
                  << scheduled.scheduledSendAt.value_or(options.at) << " naar " << options.to << ".\n";
}

void unscheduleInvoice(CliContext& context, const std::string& id) {
    context.requireSignedIn();
    syncForAction(context, rules::ServerAction::schedule);
    SyncAPIClient client = context.apiClient();
    const auto kept = callService(rules::ServerAction::schedule,
                                  [&] { return invoiceactions::cancelSchedule(client, id); });
    context.environment().syncNow();
    if (context.json) return printJson(context, Json{{"id", kept.id}, {"status", kept.status}});
    context.out() << "Geplande verzending geannuleerd; de factuur blijft een concept.\n";
}

void sendInvoice(CliContext& context, const SendOptions& options) {
    const std::vector<AttachmentFile> attachments = readAttachmentFiles(options.attach);  // before any call
    if (!options.at.empty()) return scheduleInvoice(context, options, attachments);
    context.requireSignedIn();
    syncForAction(context, rules::ServerAction::send);
    AppEnvironment& environment = context.environment();
    invoiceactions::SendBody body = messageBody(context, options, rules::SendMode::invoice);
    SyncAPIClient client = context.apiClient();
    body.attachmentKeys = uploadAttachments(client, attachments);
    const auto sent = callService(rules::ServerAction::send,
                                  [&] { return invoiceactions::send(client, options.id, body); });
    environment.syncNow();
    if (context.json) return printJson(context, responseJson(sent));
    context.out() << "Factuur " << sent.invoiceNumber.value_or(sent.id) << " verstuurd naar " << options.to
                  << " (" << formatEuro(sent.totalCents) << ").\n";
}

struct PayOptions {
    std::string id;
    std::string amount;
    std::string date;
    std::string method = "bank_transfer";
    std::string note;
};

void payInvoice(CliContext& context, const PayOptions& options) {
    invoiceactions::PaymentBody body;
    body.amountCents = rules::positiveAmountCents(options.amount);  // refused before any call
    if (!options.date.empty()) body.paymentDate = options.date;
    body.method = options.method;
    if (!options.note.empty()) body.notes = options.note;
    context.requireSignedIn();
    syncForAction(context, rules::ServerAction::payment);
    SyncAPIClient client = context.apiClient();
    const auto paid = callService(rules::ServerAction::payment,
                                  [&] { return invoiceactions::addPayment(client, options.id, body); });
    context.environment().syncNow();
    if (context.json) return printJson(context, responseJson(paid));
    context.out() << "Betaling van " << formatEuro(body.amountCents) << " geregistreerd; factuur "
                  << paid.invoiceNumber.value_or(paid.id) << " is nu " << paid.status << ".\n";
}

// The whole open amount as one payment; `date` is the day it came in (today when empty).
void markPaid(CliContext& context, const std::string& id, const std::string& date) {
    if (!date.empty() && !parseCalendarDate(date))
        throw InputError(InputError::Kind::invalidValue, "--date '" + date + "' is geen datum (JJJJ-MM-DD).");
    context.requireSignedIn();
    syncForAction(context, rules::ServerAction::payment);
    const std::string paidAt =
        date.empty() ? formatTimestampMillis(context.environment().clock()->now()) : date;
    SyncAPIClient client = context.apiClient();
    const auto paid = callService(rules::ServerAction::payment,
                                  [&] { return invoiceactions::markPaid(client, id, paidAt); });
    context.environment().syncNow();
    if (context.json) return printJson(context, responseJson(paid));
    context.out() << "Factuur " << paid.invoiceNumber.value_or(paid.id) << " is betaald ("
                  << formatEuro(paid.totalCents) << ").\n";
}

void remindInvoice(CliContext& context, const SendOptions& options, const std::string& level) {
    if (!rules::isReminderKind(level))
        throw InputError(
            InputError::Kind::invalidValue,
            "--level '" + level + "' is geen herinnering: reminder_1, reminder_2 of reminder_final.");
    context.requireSignedIn();
    syncForAction(context, rules::ServerAction::send);
    const invoiceactions::SendBody body = messageBody(context, options, rules::SendMode::reminder, level);
    SyncAPIClient client = context.apiClient();
    const auto reminded = callService(
        rules::ServerAction::send, [&] { return invoiceactions::remind(client, options.id, level, body); });
    context.environment().syncNow();
    if (context.json)
        return printJson(
            context,
            Json{{"id", reminded.id}, {"level", reminded.level}, {"reminderId", reminded.reminderId}});
    context.out() << rules::sendTitle(rules::SendMode::reminder, level) << ": verstuurd naar " << options.to
                  << ".\n";
}

// Runs one state change of the service and prints its answer.
template <class Call>
void changeOnService(CliContext& context, rules::ServerAction action, const std::string& done, Call call) {
    context.requireSignedIn();
    syncForAction(context, action);
    SyncAPIClient client = context.apiClient();
    const auto answer = callService(action, [&] { return call(client); });
    context.environment().syncNow();
    if (context.json) return printJson(context, responseJson(answer));
    context.out() << done << " (" << answer.invoiceNumber.value_or(answer.id) << ", status " << answer.status
                  << ").\n";
}

// The service's PDF of the invoice: for a sent invoice the very file that was sent.
void previewPdf(CliContext& context, const std::string& id, std::string out) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const ConditionalDownload pdf = callService(rules::ServerAction::send, [&] {
        try {
            return downloadInvoicePreview(client, id);
        } catch (const APIError& error) {
            // An invoice the layout cannot draw: the preview sheet's words.
            if (!error.is<APIError::HttpError>() ||
                std::get<APIError::HttpError>(error.value()).status != 422)
                throw;
            throw APIError(APIError::Conflict{
                "De PDF kon niet worden samengesteld. Controleer of er een factuurtemplate is."});
        }
    });
    if (out.empty()) out = "factuur-preview-" + id + ".pdf";
    writeOutputFile(out, pdf.data);
    if (context.json) return printJson(context, Json{{"id", id}, {"file", out}, {"bytes", pdf.data.size()}});
    context.out() << "Factuurvoorbeeld opgeslagen in " << out << ".\n";
}

void printTimeline(CliContext& context, const std::string& id) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const auto timeline =
        callService(rules::ServerAction::send, [&] { return invoiceactions::timeline(client, id); });
    if (context.json) {
        Json events = Json::array();
        for (const auto& event : timeline.events) {
            Json item{{"id", event.id},
                      {"kind", event.kind},
                      {"occurredAt", event.occurredAt},
                      {"description", event.description}};
            item["detail"] = event.detail ? Json(*event.detail) : Json(nullptr);
            item["reminderLevel"] = event.reminderLevel ? Json(*event.reminderLevel) : Json(nullptr);
            item["reminderRecipient"] =
                event.reminderRecipient ? Json(*event.reminderRecipient) : Json(nullptr);
            events.push_back(std::move(item));
        }
        return printJson(context, Json{{"events", std::move(events)}});
    }
    for (const auto& event : timeline.events)
        context.out() << event.occurredAt.substr(0, 16) << "  " << event.description
                      << (event.detail ? " — " + *event.detail : std::string()) << '\n';
}

}  // namespace

void addInvoiceActionCommands(CLI::App& app, CliContext& context) {
    CLI::App* invoice = app.get_subcommand("invoice");

    auto send = std::make_shared<SendOptions>();
    auto* sendCommand = invoice->add_subcommand(
        "send", "Factuur versturen: definitief nummer, PDF en e-mail door de dienst (vereist verbinding)");
    sendCommand->add_option("id", send->id, "Id van de factuur")->required();
    sendCommand->add_option("--to", send->to, "E-mailadres van de ontvanger")->required();
    sendCommand->add_option("--subject", send->subject, "Onderwerp (standaard: Factuur versturen)");
    sendCommand->add_option("--body", send->body, "Berichttekst (standaard: Beste <klant>, ...)");
    sendCommand->add_option("--from", send->from, "Afzenderadres (standaard dat van de organisatie)");
    sendCommand->add_option(
        "--at", send->at,
        "Later versturen: de dienst verstuurt op dit moment, bijvoorbeeld 2026-03-17T09:00:00+01:00");
    sendCommand->add_option("--attach", send->attach, "Bijlagen (max 3 bestanden, 10 MB totaal)");
    sendCommand->callback([&context, send] { sendInvoice(context, *send); });

    auto unscheduledId = std::make_shared<std::string>();
    auto* unschedule =
        invoice->add_subcommand("unschedule", "Een geplande verzending annuleren (vereist verbinding)");
    unschedule->add_option("id", *unscheduledId, "Id van de factuur")->required();
    unschedule->callback([&context, unscheduledId] { unscheduleInvoice(context, *unscheduledId); });

    auto pay = std::make_shared<PayOptions>();
    auto* payCommand = invoice->add_subcommand(
        "pay", "Betaling registreren bij een verstuurde factuur (vereist verbinding)");
    payCommand->add_option("id", pay->id, "Id van de factuur")->required();
    payCommand->add_option("--amount", pay->amount, "Bedrag, bijvoorbeeld 123,45")->required();
    payCommand->add_option("--date", pay->date, "Betaaldatum JJJJ-MM-DD (standaard vandaag)");
    payCommand->add_option(
        "--method", pay->method,
        "bank_transfer, cash, ideal, stripe, creditcard, paypal, bancontact, wero of applepay");
    payCommand->add_option("--note", pay->note, "Notitie bij de betaling");
    payCommand->callback([&context, pay] { payInvoice(context, *pay); });

    auto paidId = std::make_shared<std::string>();
    auto paidDate = std::make_shared<std::string>();
    auto* markPaidCommand = invoice->add_subcommand(
        "mark-paid", "Het hele openstaande bedrag als betaald registreren (vereist verbinding)");
    markPaidCommand->add_option("id", *paidId, "Id van de factuur")->required();
    markPaidCommand->add_option("--date", *paidDate, "Betaaldatum JJJJ-MM-DD (standaard vandaag)");
    markPaidCommand->callback([&context, paidId, paidDate] { markPaid(context, *paidId, *paidDate); });

    auto remind = std::make_shared<SendOptions>();
    auto level = std::make_shared<std::string>();
    auto* remindCommand = invoice->add_subcommand("remind", "Herinnering versturen (vereist verbinding)");
    remindCommand->add_option("id", remind->id, "Id van de factuur")->required();
    remindCommand->add_option("--level", *level, "reminder_1, reminder_2 of reminder_final")->required();
    remindCommand->add_option("--to", remind->to, "E-mailadres van de ontvanger")->required();
    remindCommand->add_option("--subject", remind->subject, "Onderwerp");
    remindCommand->add_option("--body", remind->body, "Berichttekst");
    remindCommand->add_option("--from", remind->from, "Afzenderadres");
    remindCommand->callback([&context, remind, level] { remindInvoice(context, *remind, *level); });

    auto id = std::make_shared<std::string>();
    auto amount = std::make_shared<std::string>();
    auto* credit =
        invoice->add_subcommand("credit", "Creditnota maken voor een bedrag incl. btw (vereist verbinding)");
    credit->add_option("id", *id, "Id van de factuur")->required();
    credit->add_option("--amount", *amount, "Te crediteren bedrag, bijvoorbeeld 100,00")->required();
    credit->callback([&context, id, amount] {
        const std::int64_t cents = rules::positiveAmountCents(*amount);
        changeOnService(
            context, rules::ServerAction::creditNote,
            "Creditnota aangemaakt — verschijnt na synchronisatie in je facturen",
            [&](SyncAPIClient& client) { return invoiceactions::creditNote(client, *id, cents); });
    });

    auto reason = std::make_shared<std::string>();
    auto confirm = std::make_shared<std::string>();
    auto* cancel = invoice->add_subcommand("cancel", "Factuur annuleren; het nummer blijft behouden");
    cancel->add_option("id", *id, "Id van de factuur")->required();
    cancel->add_option("--reason", *reason, "Reden (min. 10 tekens)")->required();
    cancel->add_option("--confirm", *confirm, "Typ ANNULEER ter bevestiging")->required();
    cancel->callback([&context, id, reason, confirm] {
        const rules::CancelInput input = rules::cancelInput(*reason, *confirm);
        changeOnService(context, rules::ServerAction::cancel, "Factuur geannuleerd",
                        [&](SyncAPIClient& client) {
                            return invoiceactions::cancel(client, *id, input.reason, input.confirmText);
                        });
    });

    auto* reopen = invoice->add_subcommand("reopen", "Zet de status terug naar concept (alleen owner/admin)");
    reopen->add_option("id", *id, "Id van de factuur")->required();
    reopen->add_option("--reason", *reason, "Reden (min. 10 tekens)")->required();
    reopen->callback([&context, id, reason] {
        const std::string why = rules::reopenReason(*reason);
        // Whether the caller administers the organisation is the service's to say (a 403 with its text).
        changeOnService(context, rules::ServerAction::reopen, "Factuur heropend",
                        [&](SyncAPIClient& client) { return invoiceactions::reopen(client, *id, why); });
    });

    auto previewOut = std::make_shared<std::string>();
    auto* preview = invoice->add_subcommand(
        "preview-pdf",
        "De PDF van de dienst opslaan; van een verstuurde factuur precies het verstuurde bestand");
    preview->add_option("id", *id, "Id van de factuur")->required();
    preview->add_option("--out", *previewOut, "Bestand (standaard factuur-preview-<id>.pdf)");
    preview->callback([&context, id, previewOut] { previewPdf(context, *id, *previewOut); });

    auto* timeline =
        invoice->add_subcommand("timeline", "Wat er met de factuur gebeurde (vereist verbinding)");
    timeline->add_option("id", *id, "Id van de factuur")->required();
    timeline->callback([&context, id] { printTimeline(context, *id); });
}

}  // namespace zelvorin::cli
