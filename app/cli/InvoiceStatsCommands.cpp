#include <memory>
#include <ostream>

#include "api-client/InvoiceStats.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "domain/Money.h"

namespace zelvorin::cli {
namespace {

Json optionalJson(const std::optional<std::string>& value) {
    return value ? Json(*value) : Json(nullptr);
}

Json statsJson(const invoicestats::InvoiceStats& stats) {
    Json days = Json::array();
    for (const auto& day : stats.sessionsByDay)
        days.push_back(Json{{"day", day.day}, {"sessions", day.sessions}});
    Json payments = Json::array();
    for (const auto& row : stats.payment.payments)
        payments.push_back(Json{{"amountCents", row.amountCents},
                                {"method", row.method},
                                {"paymentDate", row.paymentDate},
                                {"createdAt", row.createdAt}});
    return Json{{"totalOpens", stats.totalOpens},
                {"uniqueSessions", stats.uniqueSessions},
                {"lastViewedAt", optionalJson(stats.lastViewedAt)},
                {"deviceBreakdown", Json{{"desktop", stats.deviceBreakdown.desktop},
                                         {"tablet", stats.deviceBreakdown.tablet},
                                         {"mobile", stats.deviceBreakdown.mobile}}},
                {"sessionsByDay", std::move(days)},
                {"bounceRate", stats.bounceRate},
                {"mail", Json{{"delivered", stats.mail.delivered},
                              {"opened", stats.mail.opened},
                              {"clicked", stats.mail.clicked},
                              {"bounced", stats.mail.bounced}}},
                {"mailTrackingAvailable", stats.mailTrackingAvailable},
                {"payment", Json{{"status", stats.payment.status},
                                 {"paidCents", stats.payment.paidCents},
                                 {"outstandingCents", stats.payment.outstandingCents},
                                 {"method", optionalJson(stats.payment.method)},
                                 {"paidAt", optionalJson(stats.payment.paidAt)},
                                 {"payments", std::move(payments)}}}};
}

void printStats(CliContext& context, const std::string& id) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const invoicestats::InvoiceStats stats = invoicestats::stats(client, id);
    if (context.json) return printJson(context, statsJson(stats));
    std::ostream& out = context.out();
    out << "E-mails verstuurd: " << stats.mail.delivered << " (teruggestuurd: " << stats.mail.bounced
        << ")\n";
    out << "Bekeken: " << stats.totalOpens << " keer"
        << (stats.lastViewedAt ? ", laatst " + *stats.lastViewedAt : std::string()) << '\n';
    if (!stats.mailTrackingAvailable) out << "Openen en klikken in e-mails wordt niet bijgehouden.\n";
    out << "Status: " << stats.payment.status << "; betaald " << formatEuro(stats.payment.paidCents)
        << ", openstaand " << formatEuro(stats.payment.outstandingCents) << '\n';
    for (const auto& row : stats.payment.payments)
        out << "  " << row.paymentDate << "  " << rightColumn(formatEuro(row.amountCents), 14) << "  "
            << row.method << '\n';
}

void printAliases(CliContext& context) {
    context.requireSignedIn();
    SyncAPIClient client = context.apiClient();
    const invoicestats::NativeGmailAliasInfo info = invoicestats::gmailAliases(client);
    if (context.json) {
        Json aliases = Json::array();
        for (const auto& alias : info.aliases)
            aliases.push_back(Json{{"email", alias.email}, {"isDefault", alias.isDefault}});
        return printJson(context, Json{{"isGmail", info.isGmail},
                                       {"gmailAddress", optionalJson(info.gmailAddress)},
                                       {"aliases", std::move(aliases)}});
    }
    if (info.aliases.empty())
        context.out() << "Geen e-mailaccount gekoppeld: er zijn geen afzenderaliassen.\n";
    for (const auto& alias : info.aliases)
        context.out() << alias.email << (alias.isDefault ? " (standaard)" : "") << '\n';
}

}  // namespace

void addInvoiceStatsCommands(CLI::App& app, CliContext& context) {
    CLI::App* invoice = app.get_subcommand("invoice");
    auto id = std::make_shared<std::string>();
    auto* stats = invoice->add_subcommand(
        "stats", "Verstuurde e-mails en betalingen van een factuur (vereist verbinding)");
    stats->add_option("id", *id, "Id van de factuur")->required();
    stats->callback([&context, id] { printStats(context, *id); });
    invoice->add_subcommand("gmail-aliases", "Afzenderadressen van het gekoppelde e-mailaccount")
        ->callback([&context] { printAliases(context); });
}

}  // namespace zelvorin::cli
