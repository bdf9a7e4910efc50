#include <ostream>

#include <nlohmann/json.hpp>

#include "app/AppUpdater.h"
#include "app/cli/CliError.h"
#include "app/cli/Commands.h"

namespace zelvorin::cli {

namespace {

void printStatus(CliContext& context) {
    AppEnvironment& environment = context.environment();
    environment.resumeStoredSession();
    const std::optional<std::string> lastSync = environment.lastSuccessfulSync();
    std::vector<std::string> migrations = environment.database().appliedMigrations();
    std::string databaseText =
        environment.databaseInMemory() ? "(in het geheugen)" : environment.databasePath().string();
    if (context.json) {
        nlohmann::ordered_json body;
        body["deviceId"] = environment.deviceId();
        body["baseURL"] = environment.baseURL().text();
        body["databasePath"] = environment.databaseInMemory() ? nlohmann::ordered_json(nullptr)
                                                              : nlohmann::ordered_json(databaseText);
        body["migrations"] = migrations;
        body["sessionState"] = std::string(rawValue(environment.sessionState()));
        body["syncStatus"] = describe(environment.syncStatus());
        body["lastSuccessfulSync"] =
            lastSync ? nlohmann::ordered_json(*lastSync) : nlohmann::ordered_json(nullptr);
        context.out() << body.dump(2) << '\n';
        return;
    }
    std::ostream& out = context.out();
    out << "Apparaat-id:  " << environment.deviceId() << '\n'
        << "Dienst:       " << environment.baseURL().text() << '\n'
        << "Database:     " << databaseText << '\n'
        << "Migraties:    " << migrations.size() << " toegepast\n";
    for (const auto& identifier : migrations)
        out << "  " << identifier << '\n';
    out << "Sessie:       " << rawValue(environment.sessionState()) << '\n'
        << "Sync:         " << describe(environment.syncStatus()) << '\n'
        << "Laatste sync: " << lastSync.value_or("nog nooit") << '\n';
}

// Reads the configured update feed and says whether a newer version exists.
void checkForUpdate(CliContext& context) {
    AppEnvironment& environment = context.environment();
    AppUpdater updater = AppUpdater::fromConfiguration(environment.defaults(), environment.httpSession());
    if (!updater.canCheckForUpdates()) throw CliError(CliError::Kind::noUpdateFeed, {});
    const std::optional<AppcastRelease> newer = updater.checkForUpdates();
    if (context.json) {
        nlohmann::ordered_json body{{"currentVersion", kAppVersion}, {"updateAvailable", newer.has_value()}};
        if (newer) {
            body["version"] = newer->displayVersion;
            body["downloadURL"] = newer->downloadURL;
        }
        context.out() << body.dump(2) << '\n';
        return;
    }
    if (!newer) {
        context.out() << "Zelvorin " << kAppVersion << " is de nieuwste versie.\n";
        return;
    }
    context.out() << "Nieuwe versie beschikbaar: Zelvorin " << newer->displayVersion
                  << (newer->downloadURL.empty() ? std::string() : " (" + newer->downloadURL + ")") << '\n';
}

}  // namespace

void addStatusCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("status", "Toon apparaat, database, migraties en sessie");
    command->callback([&context] { printStatus(context); });
    app.add_subcommand("update-check", "Kijk of er een nieuwere versie is")->callback([&context] {
        checkForUpdate(context);
    });
}

}  // namespace zelvorin::cli
