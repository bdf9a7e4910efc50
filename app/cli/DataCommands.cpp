#include <memory>
#include <ostream>

#include "api-client/DataActions.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "screens/DataTransfer.h"

namespace zelvorin::cli {
namespace {

struct ImportOptions {
    std::string file;
    std::string mode = "merge";
    std::string password;
};

std::string megabytes(std::int64_t bytes) {
    const std::int64_t tenths = (bytes * 10 + 512 * 1024) / (1024 * 1024);
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " MB";
}

void showStats(CliContext& context) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const dataactions::NativeDataStats stats = dataactions::dataStats(client);
    const auto& prefix = stats.storage.byPrefix;
    if (context.json) {
        return printJson(context, Json{{"storage",
                                        {{"total", stats.storage.total},
                                         {"byPrefix",
                                          {{"kvitra", prefix.kvitra},
                                           {"invoices", prefix.invoices},
                                           {"logos", prefix.logos},
                                           {"fonts", prefix.fonts}}}}},
                                       {"records",
                                        {{"invoices", stats.records.invoices},
                                         {"contacts", stats.records.contacts},
                                         {"transactions", stats.records.transactions},
                                         {"total", stats.records.total}}}});
    }
    std::ostream& out = context.out();
    out << "Opslag: " << megabytes(stats.storage.total) << " (Kvitra " << megabytes(prefix.kvitra)
        << ", facturen " << megabytes(prefix.invoices) << ", logo's " << megabytes(prefix.logos)
        << ", lettertypen " << megabytes(prefix.fonts) << ")\n";
    out << "Gegevens: " << stats.records.total << " in totaal, waarvan " << stats.records.invoices
        << " facturen, " << stats.records.contacts << " contacten en " << stats.records.transactions
        << " banktransacties\n";
}

void saveExport(CliContext& context, const ExportedFile& file, std::string out, const char* what) {
    if (out.empty()) out = file.fileName;
    writeOutputFile(out, file.data);
    if (context.json) return printJson(context, Json{{"file", out}, {"bytes", file.data.size()}});
    context.out() << what << " opgeslagen in " << out << ".\n";
}

void importBundle(CliContext& context, const ImportOptions& options) {
    const std::string bundle = readWholeFile(options.file);
    context.requireSignedIn();
    const std::string fileName = std::filesystem::path(options.file).filename().string();
    const dataactions::NativeImportResult result = importDataBundle(
        context.environment(), DataImportRequest{options.mode, options.password, fileName, bundle});
    const std::int64_t rows = result.result ? result.result->rowsInserted : 0;
    const std::int64_t files = result.result ? result.result->assetsRestored : 0;
    const std::vector<std::string> warnings =
        result.result ? result.result->warnings : std::vector<std::string>{};
    if (context.json) {
        return printJson(
            context, Json{{"ok", result.ok},
                          {"orgName", result.manifest ? Json(result.manifest->orgName.value_or("")) : Json()},
                          {"rowsInserted", rows},
                          {"assetsRestored", files},
                          {"warnings", warnings}});
    }
    context.out() << "Import voltooid: " << rows << " gegevens en " << files
                  << " bestanden. De gegevens komen bij de volgende synchronisatie op dit apparaat.\n";
    for (const std::string& warning : warnings)
        context.out() << "- " << warning << '\n';
}

void deleteOrganisation(CliContext& context, const std::string& confirmation) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    dataactions::deleteOrganization(client, confirmation);
    // The service has ended every session of the organisation; its data on this device goes too.
    context.environment().signOut();
    if (context.json) return printJson(context, Json{{"deleted", true}});
    context.out() << "De organisatie is verwijderd. Meld je opnieuw aan om verder te werken.\n";
}

// The "org" command when another family registered it already, else a new one.
CLI::App* orgCommand(CLI::App& app) {
    for (CLI::App* sub :
         app.get_subcommands([](const CLI::App* candidate) { return candidate->get_name() == "org"; }))
        return sub;
    return app.add_subcommand("org", "De organisatie");
}

}  // namespace

void addDataCommands(CLI::App& app, CliContext& context) {
    auto* data = app.add_subcommand("data", "De gegevens van de organisatie: omvang, export en import");
    data->require_subcommand(1);
    data->add_subcommand("stats", "Hoeveel gegevens en bestanden de organisatie heeft")->callback([&context] {
        showStats(context);
    });

    auto password = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    auto* exported =
        data->add_subcommand("export", "Alle gegevens en bestanden, versleuteld met een wachtwoord");
    exported->add_option("--password", *password, "Wachtwoord van de export (minstens 8 tekens)")->required();
    exported->add_option("--out", *out, "Bestand (standaard de naam die de dienst geeft)");
    exported->callback([&context, password, out] {
        context.requireSignedIn();
        SyncAPIClient client = context.apiClient();
        saveExport(context, dataactions::exportData(client, *password), *out, "Export");
    });

    auto avgOut = std::make_shared<std::string>();
    auto* avg = data->add_subcommand("avg-export", "Je eigen gegevens als ZIP met leesbare JSON (AVG)");
    avg->add_option("--out", *avgOut, "Bestand (standaard de naam die de dienst geeft)");
    avg->callback([&context, avgOut] {
        context.requireSignedIn();
        SyncAPIClient client = context.apiClient();
        saveExport(context, dataactions::exportPersonalData(client), *avgOut, "AVG-export");
    });

    auto options = std::make_shared<ImportOptions>();
    auto* imported = data->add_subcommand("import", "Een export terugzetten in deze organisatie");
    imported->add_option("bestand", options->file, "Het exportbestand")->required();
    imported->add_option("--mode", options->mode, "merge (aanvullen) of replace (vervangen)");
    imported->add_option("--password", options->password, "Wachtwoord van de export")->required();
    imported->callback([&context, options] { importBundle(context, *options); });

    auto confirmation = std::make_shared<std::string>();
    auto* removal =
        orgCommand(app)->add_subcommand("delete", "De organisatie met al haar gegevens verwijderen");
    removal->add_option("--confirm", *confirmation, "De naam van de organisatie, precies")->required();
    removal->callback([&context, confirmation] { deleteOrganisation(context, *confirmation); });
}

}  // namespace zelvorin::cli
