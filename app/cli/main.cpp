#include <iostream>

#include "app/cli/CliError.h"
#include "app/cli/Commands.h"

int main(int argc, char** argv) {
    using namespace zelvorin::cli;
    CliContext context(std::cout, std::cerr);
    CLI::App app{"Zelvorin — facturen en boekhouding, zonder vensters"};
    app.require_subcommand(1);
    app.fallthrough();  // --json may follow the command: "zelvorin-cli status --json"
    app.add_flag("--json", context.json, "Machineleesbare uitvoer (JSON)");
    addStatusCommand(app, context);
    addAccountCommands(app, context);
    addSyncCommand(app, context);
    addRenderCommand(app, context);
    addReadReceiptCommand(app, context);
    addReceiptCommands(app, context);
    addInvoiceCommands(app, context);
    addInvoiceActionCommands(app, context);
    addTemplateCommands(app, context);
    addInvoiceStatsCommands(app, context);
    addLineCommands(app, context);
    addCustomerCommands(app, context);
    addOverviewCommands(app, context);
    addInboxCommands(app, context);
    addBankCommands(app, context);
    addBtwCommands(app, context);
    addDashboardCommands(app, context);
    addScheduleCommands(app, context);
    addTeamCommands(app, context);
    addProposalCommands(app, context);
    addOrgCommands(app, context);
    addProfileCommands(app, context);
    addDataCommands(app, context);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error);
    } catch (...) {
        return reportFailure(std::cerr, context.json);
    }
    return 0;
}
