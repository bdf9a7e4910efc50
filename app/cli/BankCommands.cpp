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
    if (context.json) return printJson(context, Json{{"imported", result.imported}, {"skipped", result.skipped}});
    context.out() << "Bankafschrift ingelezen: " << result.imported
                  << (result.imported == 1 ? " nieuwe transactie" : " nieuwe transacties") << ", " << result.skipped
                  << " al bekend en overgeslagen.\n";
}

void fetchFromBank(CliContext& context) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const bank::BankSyncResult result = bank::syncNow(client);
    context.environment().syncNow();
    if (context.json) return printJson(context, Json{{"imported", result.imported}, {"skipped", result.skipped}});
    if (result.imported == 0 && result.skipped == 0) {
        context.out() << "Niets opgehaald: er is geen bankkoppeling; importeer een bankafschrift met "
                         "'bank import BESTAND'.\n";
        return;
    }
    context.out() << result.imported << " nieuwe transacties opgehaald, " << result.skipped << " overgeslagen.\n";
}

}  // namespace

void addBankCommands(CLI::App& app, CliContext& context) {
    CLI::App* bankCommand = app.get_subcommand("bank");
    auto path = std::make_shared<std::string>();
    auto* import = bankCommand->add_subcommand(
        "import", "Lees een bankafschrift in: CAMT.053, MT940 of CSV van de bank (vereist verbinding)");
    import->add_option("file", *path, "Het afschrift")->required();
    import->callback([&context, path] { importStatement(context, *path); });
    bankCommand->add_subcommand("sync-now", "Haal nieuwe transacties bij de bank op (vereist verbinding)")
        ->callback([&context] { fetchFromBank(context); });
}

}  // namespace zelvorin::cli
