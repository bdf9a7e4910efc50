#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "api-client/BankActions.h"
#include "api-client/FileTransfers.h"
#include "app/AppEnvironment.h"
#include "app/cli/CliError.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"

namespace zelvorin::cli {
namespace {

std::string statementBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in || std::filesystem::is_directory(path)) throw CliError(CliError::Kind::fileNotFound, path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The service makes the transactions (and the payments it matched); the pull that follows brings
// them to this device.
void importStatement(CliContext& context, const std::string& path) {
    const std::string bytes = statementBytes(path);
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const bank::BankImportResult result =
        uploadBankStatement(client, std::filesystem::path(path).filename().string(), bytes);
    context.environment().syncNow();
    if (context.json)
        return printJson(context, Json{{"imported", result.imported}, {"skipped", result.skipped}});
    context.out() << "Bankafschrift ingelezen: " << result.imported
                  << (result.imported == 1 ? " nieuwe transactie" : " nieuwe transacties") << ", "
                  << result.skipped << " al bekend en overgeslagen.\n";
}

void fetchFromBank(CliContext& context) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const bank::BankSyncResult result = bank::syncNow(client);
    context.environment().syncNow();
    if (context.json)
        return printJson(context, Json{{"imported", result.imported}, {"skipped", result.skipped}});
    if (result.imported == 0 && result.skipped == 0) {
        context.out() << "Niets opgehaald: er is geen bankkoppeling; importeer een bankafschrift met "
                         "'bank import BESTAND'.\n";
        return;
    }
    context.out() << result.imported << " nieuwe transacties opgehaald, " << result.skipped
                  << " overgeslagen.\n";
}

Json optionalJson(const std::optional<std::string>& value) {
    return value ? Json(*value) : Json(nullptr);
}

void suggest(CliContext& context, const std::string& transactionId) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const bank::BankMatchSuggestion found = bank::suggestion(client, transactionId);
    if (context.json)
        return printJson(context, Json{{"invoiceId", optionalJson(found.invoiceId)},
                                       {"incomingInvoiceId", optionalJson(found.incomingInvoiceId)},
                                       {"confidence", optionalJson(found.confidence)},
                                       {"matchReason", found.matchReason},
                                       {"isPartial", found.isPartial}});
    if (!found.invoiceId && !found.incomingInvoiceId) {
        context.out() << "Geen voorstel: " << found.matchReason << '\n';
        return;
    }
    context.out() << "Voorstel: factuur " << found.invoiceId.value_or(found.incomingInvoiceId.value_or(""))
                  << " (zekerheid: " << found.confidence.value_or("onbekend") << ")"
                  << (found.isPartial ? ", een deelbetaling" : "") << '\n'
                  << found.matchReason << '\n';
}

// The service registers the payment; the pull brings the invoice's new status and the link here.
void link(CliContext& context, const std::string& transactionId,
          const std::optional<std::string>& invoiceId) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    if (invoiceId)
        bank::match(client, transactionId, *invoiceId, std::string("invoice"));
    else
        bank::unmatch(client, transactionId);
    context.environment().syncNow();
    if (context.json)
        return printJson(context,
                         Json{{"transactionId", transactionId}, {"invoiceId", optionalJson(invoiceId)}});
    context.out() << (invoiceId ? "Gekoppeld: de betaling is op de factuur geboekt.\n"
                                : "Koppeling ongedaan gemaakt: de betaling is van de factuur gehaald.\n");
}

}  // namespace

void addBankCommands(CLI::App& app, CliContext& context) {
    CLI::App* bankCommand = app.get_subcommand("bank");
    auto path = std::make_shared<std::string>();
    auto* importCommand = bankCommand->add_subcommand(
        "import", "Lees een bankafschrift in: CAMT.053, MT940 of CSV van de bank (vereist verbinding)");
    importCommand->add_option("file", *path, "Het afschrift")->required();
    importCommand->callback([&context, path] { importStatement(context, *path); });
    auto transaction = std::make_shared<std::string>();
    auto invoice = std::make_shared<std::string>();
    auto* suggestCommand = bankCommand->add_subcommand(
        "suggest", "Welke factuur past bij een banktransactie (vereist verbinding)");
    suggestCommand->add_option("transaction", *transaction, "Id van de transactie")->required();
    suggestCommand->callback([&context, transaction] { suggest(context, *transaction); });
    auto* matchCommand = bankCommand->add_subcommand(
        "match", "Koppel een transactie aan een factuur en boek de betaling (vereist verbinding)");
    matchCommand->add_option("transaction", *transaction, "Id van de transactie")->required();
    matchCommand->add_option("invoice", *invoice, "Id van de factuur")->required();
    matchCommand->callback([&context, transaction, invoice] { link(context, *transaction, *invoice); });
    auto* unmatchCommand = bankCommand->add_subcommand(
        "unmatch", "Maak een koppeling ongedaan en haal de betaling van de factuur (vereist verbinding)");
    unmatchCommand->add_option("transaction", *transaction, "Id van de transactie")->required();
    unmatchCommand->callback([&context, transaction] { link(context, *transaction, std::nullopt); });
    bankCommand->add_subcommand("sync-now", "Haal nieuwe transacties bij de bank op (vereist verbinding)")
        ->callback([&context] { fetchFromBank(context); });
    addBankRuleCommands(*bankCommand, context);
}

}  // namespace zelvorin::cli
