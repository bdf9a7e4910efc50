#include <ostream>

#include <nlohmann/json.hpp>

#include "app/cli/Commands.h"

namespace zelvorin::cli {

namespace {

void printStatus(CliContext& context) {
    AppEnvironment& environment = context.environment();
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
        << "Sync:         " << describe(environment.syncStatus()) << '\n';
}

}  // namespace

void addStatusCommand(CLI::App& app, CliContext& context) {
    auto* command = app.add_subcommand("status", "Toon apparaat, database, migraties en sessie");
    command->callback([&context] { printStatus(context); });
}

}  // namespace zelvorin::cli
