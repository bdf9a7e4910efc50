#include <memory>
#include <ostream>

#include "api-client/DashboardActions.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "domain/Money.h"
#include "screens/InputError.h"

namespace zelvorin::cli {
namespace {

using namespace dashboardactions;

std::string optionalEuro(const std::optional<std::int64_t>& cents) {
    return cents ? formatEuro(*cents) : std::string("—");
}

void printSummary(CliContext& context, const std::string& periodText) {
    const std::optional<NativeDashboardPeriod> period = parseDashboardPeriod(periodText);
    if (!period) {
        throw InputError(
            InputError::Kind::invalidValue,
            "--period '" + periodText + "': kies kwartaal, jaar, vorig_jaar, aangepast of alles.");
    }
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const NativeDashboardSummary s = summary(client, *period);
    if (context.json) return printJson(context, s.toJson());
    std::ostream& out = context.out();
    out << "Omzet deze maand:     " << rightColumn(formatEuro(s.revenueThisMonthCents), 14)
        << " (excl. btw)\n"
        << "Openstaand:           " << rightColumn(formatEuro(s.outstandingCents), 14) << " ("
        << s.outstandingCount << " facturen)\n"
        << "Achterstallig:        " << rightColumn(formatEuro(s.overdueCents), 14) << " (" << s.overdueCount
        << " facturen)\n"
        << "Banksaldo:            " << rightColumn(optionalEuro(s.bankBalanceCents), 14) << '\n'
        << "Btw " << column(s.btwLabel.value_or("dit kwartaal"), 18)
        << rightColumn(optionalEuro(s.btwSaldoCents), 14) << " per saldo\n"
        << "Vrij te besteden:     " << rightColumn(optionalEuro(s.vrijTeBestedenCents), 14) << '\n';
    if (s.vrijTeBestedenOpbouw) {
        out << "  banksaldo " << formatEuro(s.vrijTeBestedenOpbouw->banksaldoCents) << " − btw "
            << formatEuro(s.vrijTeBestedenOpbouw->btwSchuldCents) << " − reserve inkomstenbelasting "
            << formatEuro(s.vrijTeBestedenOpbouw->ibReserveCents) << '\n';
    }
    out << "Nieuw in Kvitra: " << s.kvitraNewCount.value_or(0)
        << ", ontvangsten niet gekoppeld: " << s.unmatchedTransactionCount.value_or(0)
        << ", betalingen zonder document: " << s.missingInvoiceCount.value_or(0) << '\n';
    if (s.revenueByMonth && s.inkomstenUitgaven) {
        out << '\n'
            << column("Maand", 10) << rightColumn("Omzet", 14) << rightColumn("Inkomsten", 14)
            << rightColumn("Uitgaven", 14) << '\n';
        for (std::size_t n = 0; n < s.revenueByMonth->size() && n < s.inkomstenUitgaven->size(); ++n) {
            const auto& revenue = (*s.revenueByMonth)[n];
            const auto& money = (*s.inkomstenUitgaven)[n];
            out << column(revenue.month, 10) << rightColumn(formatEuro(revenue.totalCents), 14)
                << rightColumn(formatEuro(money.inkomsten), 14) << rightColumn(formatEuro(money.uitgaven), 14)
                << '\n';
        }
    }
    if (s.btwPerKwartaal && !s.btwPerKwartaal->empty()) {
        out << '\n'
            << column("Kwartaal", 10) << rightColumn("Te betalen", 14) << rightColumn("Te vorderen", 14)
            << rightColumn("Per saldo", 14) << '\n';
        for (const auto& quarter : *s.btwPerKwartaal)
            out << column(quarter.kwartaal, 10) << rightColumn(formatEuro(quarter.teBetalen), 14)
                << rightColumn(formatEuro(quarter.teVorderen), 14)
                << rightColumn(formatEuro(quarter.perSaldo), 14) << '\n';
    }
}

void printBriefing(CliContext& context) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const NativeDashboardBriefing b = briefing(client);
    if (context.json) return printJson(context, b.toJson());
    std::ostream& out = context.out();
    if (!b.enabled) {
        out << "De weekbriefing staat uit.\n";
        return;
    }
    out << b.greetingTitle.value_or("Briefing") << " — " << b.kickerLine.value_or("") << '\n';
    if (b.contextLine) out << *b.contextLine << '\n';
    if (b.narrative) out << '\n' << *b.narrative << '\n';
    for (const NativeAiActionItem& action : b.actions.value_or(std::vector<NativeAiActionItem>{})) {
        out << "\n* " << action.title << "\n";
        if (action.body) out << "  " << *action.body << '\n';
        out << "  actie: " << action.id << '\n';
    }
}

}  // namespace

void addDashboardCommands(CLI::App& app, CliContext& context) {
    CLI::App* dashboard = app.get_subcommand("dashboard");
    auto period = std::make_shared<std::string>("kwartaal");
    auto* summaryCommand = dashboard->add_subcommand(
        "summary", "De cijfers van de dienst over de hele administratie (vereist verbinding)");
    summaryCommand->add_option("--period", *period, "kwartaal, jaar, vorig_jaar, aangepast of alles");
    summaryCommand->callback([&context, period] { printSummary(context, *period); });
    dashboard
        ->add_subcommand("briefing", "De briefing van deze week met voorgestelde acties (vereist verbinding)")
        ->callback([&context] { printBriefing(context); });
}

}  // namespace zelvorin::cli
