#include <memory>
#include <ostream>

#include "api-client/InvoiceActions.h"
#include "app/cli/CliError.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "domain/Money.h"
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

void sendInvoice(CliContext& context, const SendOptions& options) {
    context.requireSignedIn();
    syncForAction(context, rules::ServerAction::send);
    AppEnvironment& environment = context.environment();
    const std::optional<InvoiceDetail> detail = environment.repositories().invoices.detail(options.id);
    if (!detail) throw PersistenceError::notFound("Factuur '" + options.id + "'");
    invoiceactions::SendBody body;
    body.recipientEmail = options.to;
    body.subject = options.subject.empty() ? rules::sendTitle(rules::SendMode::invoice) : options.subject;
    body.body = options.body.empty()
                    ? rules::defaultBody(detail->customer ? std::optional(detail->customer->companyName)
                                                          : std::nullopt)
                    : options.body;
    if (!options.from.empty()) body.fromEmail = options.from;
    SyncAPIClient client = context.apiClient();
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
    sendCommand->callback([&context, send] { sendInvoice(context, *send); });

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
}

}  // namespace zelvorin::cli
