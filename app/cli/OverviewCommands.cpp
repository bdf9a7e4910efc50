#include <array>
#include <memory>
#include <ostream>

#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "domain/Money.h"
#include "screens/ListFilters.h"
#include "screens/TypedInput.h"

namespace zelvorin::cli {
namespace {

std::string customerName(CliContext& context, const std::string& id) {
    const auto customer = context.environment().repositories().customers.customer(id);
    return customer ? customer->companyName : id;
}

void listSchedules(CliContext& context) {
    const std::vector<InvoiceScheduleRecord> schedules =
        context.environment().repositories().schedules.schedules();
    if (context.json) return printJson(context, Json{{"schedules", recordsJson(schedules)}});
    if (schedules.empty()) {
        context.out() << "Geen terugkerende facturen.\n";
        return;
    }
    for (const InvoiceScheduleRecord& schedule : schedules) {
        context.out() << column(customerName(context, schedule.customerId), 28)
                      << column(schedule.scheduleType, 10) << column(schedule.billingFrequency, 14)
                      << column("dag " + std::to_string(schedule.billingDay), 8)
                      << column(schedule.billingTime, 7) << rightColumn(formatEuro(schedule.rateCents), 12)
                      << "  " << (schedule.active ? "actief  " : "gepauzeerd  ") << schedule.id << '\n';
    }
}

struct InboxOptions {
    std::string status = "alle";
    std::string category = "alle";
};

void listInbox(CliContext& context, const InboxOptions& options) {
    const auto status = typedInboxStatus(options.status, "--status");
    const auto category = typedInboxCategory(options.category, "--category");
    KvitraRepository& inbox = context.environment().repositories().inbox;
    const std::vector<IncomingInvoiceRecord> items = inbox.inbox(status, category);
    if (context.json)
        return printJson(context, Json{{"items", recordsJson(items)}, {"newCount", inbox.newItemCount()}});
    for (const IncomingInvoiceRecord& item : items) {
        const std::string sender = item.extractedSenderCompany.value_or(item.senderName.value_or("—"));
        context.out() << column(item.receivedAt.value_or("").substr(0, 10), 12) << column(sender, 30)
                      << column(item.status, 16) << column(item.category.value_or(""), 10)
                      << rightColumn(item.extractedAmount ? formatEuro(*item.extractedAmount) : "—", 14)
                      << "  " << item.id << '\n';
    }
    context.out() << items.size() << " stuk(s) in de inbox, " << inbox.newItemCount() << " nieuw\n";
}

struct BankOptions {
    bool unmatched = false;
    std::string account;
    int page = 1;
};

void listBank(CliContext& context, const BankOptions& options) {
    const BankPage shown = bankPage(options.page, "--page");
    BankRepository& bank = context.environment().repositories().bank;
    const auto filter = options.unmatched ? BankRepository::TransactionFilter::onbekend
                                          : BankRepository::TransactionFilter::alle;
    const std::optional<std::string> account = optionalText(options.account);
    const BankRepository::TransactionPage page =
        bank.transactionPage(filter, account, kBankPageSize, shown.offset());
    const std::int64_t count = bank.transactionCount(filter, account);
    if (context.json) {
        return printJson(context, Json{{"accounts", recordsJson(bank.accounts())},
                                       {"transactions", recordsJson(page.items)},
                                       {"page", options.page},
                                       {"hasMore", page.hasMore},
                                       {"count", count}});
    }
    for (const BankAccountRecord& a : bank.accounts())
        context.out() << "Rekening: " << a.name.value_or("—") << "  " << a.iban.value_or("") << "  " << a.id
                      << '\n';
    for (const BankTransactionRecord& t : page.items) {
        const std::int64_t signedCents = t.direction == "in" ? t.amountCents : -t.amountCents;
        const bool matched = t.matchedInvoiceId || t.matchedIncomingInvoiceId;
        context.out() << column(t.transactionDate.substr(0, 10), 12)
                      << column(t.counterpartyName.value_or("—"), 26)
                      << column(t.description.value_or(""), 30) << rightColumn(formatEuro(signedCents), 14)
                      << "  " << (matched ? "gekoppeld" : "onbekend ") << "  " << t.id << '\n';
    }
    context.out() << "Pagina " << options.page << " (" << page.items.size() << " van " << count
                  << " transacties)"
                  << (page.hasMore ? "; meer met --page " + std::to_string(options.page + 1) : "") << '\n';
}

constexpr std::array<std::pair<ChartPeriod, const char*>, 5> kPeriods{
    {{ChartPeriod::laatsteZesMaanden, "laatsteZesMaanden"},
     {ChartPeriod::kwartaal, "kwartaal"},
     {ChartPeriod::jaar, "jaar"},
     {ChartPeriod::vorigJaar, "vorigJaar"},
     {ChartPeriod::alles, "alles"}}};

Json monthlyJson(const std::vector<MonthlyPoint>& points) {
    Json list = Json::array();
    for (const MonthlyPoint& p : points)
        list.push_back({{"monthKey", p.monthKey}, {"label", p.label}, {"cents", p.cents}});
    return list;
}

void showDashboard(CliContext& context) {
    Repositories& repositories = context.environment().repositories();
    const DashboardSummary summary = repositories.dashboard.summary();
    DashboardChartsRepository& charts = repositories.dashboardCharts;
    if (context.json) {
        Json series = Json::object();
        for (const auto& [period, name] : kPeriods) {
            Json cashflow = Json::array(), incomeExpenses = Json::array(), vat = Json::array();
            for (const CashflowPoint& p : charts.cashflow(period))
                cashflow.push_back({{"dateKey", p.dateKey}, {"saldoCents", p.saldoCents}});
            for (const InkomstenUitgavenPoint& p : charts.incomeAndExpenses(period))
                incomeExpenses.push_back({{"monthKey", p.monthKey},
                                          {"label", p.label},
                                          {"inkomstenCents", p.inkomstenCents},
                                          {"uitgavenCents", p.uitgavenCents}});
            for (const BtwQuarterPoint& p : charts.vatPerQuarter(period))
                vat.push_back({{"kwartaalLabel", p.kwartaalLabel},
                               {"teBetalenCents", p.teBetalenCents},
                               {"teVorderenCents", p.teVorderenCents},
                               {"perSaldoCents", p.perSaldoCents}});
            series[name] = {{"revenuePerMonth", monthlyJson(charts.revenuePerMonth(period))},
                            {"cashflow", cashflow},
                            {"incomeAndExpenses", incomeExpenses},
                            {"vatPerQuarter", vat}};
        }
        Json recent = Json::array();
        for (const InvoiceListItem& item : repositories.dashboard.recentInvoices())
            recent.push_back(listItemJson(item));
        return printJson(
            context, Json{{"summary",
                           {{"revenueThisMonthCents", summary.revenueThisMonthCents},
                            {"outstandingCents", summary.outstandingCents},
                            {"outstandingCount", summary.outstandingCount},
                            {"overdueCents", summary.overdueCents},
                            {"overdueCount", summary.overdueCount},
                            {"lastSuccessfulSyncAt",
                             summary.lastSuccessfulSyncAt ? Json(*summary.lastSuccessfulSyncAt) : Json()}}},
                          {"recentInvoices", recent},
                          {"charts", series}});
    }
    std::ostream& out = context.out();
    out << "Omzet deze maand:  " << formatEuro(summary.revenueThisMonthCents) << " (excl. btw)\n"
        << "Openstaand:        " << formatEuro(summary.outstandingCents) << " in " << summary.outstandingCount
        << " factu" << (summary.outstandingCount == 1 ? "ur" : "ren") << '\n'
        << "Te laat:           " << formatEuro(summary.overdueCents) << " in " << summary.overdueCount
        << " factu" << (summary.overdueCount == 1 ? "ur" : "ren") << '\n'
        << "Laatste sync:      " << summary.lastSuccessfulSyncAt.value_or("nog niet") << '\n';
    for (const auto& [period, name] : kPeriods) {
        const DayRange range = charts.range(period);
        out << '\n' << name << " (" << range.start << " tot " << range.end << "), omzet per maand:\n";
        for (const MonthlyPoint& p : charts.revenuePerMonth(period))
            out << "  " << column(p.label + " " + p.monthKey.substr(0, 4), 10)
                << rightColumn(formatEuro(p.cents), 16) << '\n';
    }
}

}  // namespace

void addOverviewCommands(CLI::App& app, CliContext& context) {
    app.add_subcommand("schedules", "Toon de terugkerende facturen")->callback([&context] {
        listSchedules(context);
    });

    auto inbox = std::make_shared<InboxOptions>();
    auto* inboxCommand = app.add_subcommand("inbox", "Toon de inkomende facturen en bonnen");
    inboxCommand->add_option("--status", inbox->status,
                             "alle, nieuw, verwerken, gecategoriseerd of gearchiveerd");
    inboxCommand->add_option("--category", inbox->category, "alle, zakelijk, prive of gemengd");
    inboxCommand->callback([&context, inbox, inboxCommand] {
        if (inboxCommand->get_subcommands().empty()) listInbox(context, *inbox);  // not after "inbox show"
    });

    auto bank = std::make_shared<BankOptions>();
    auto* bankCommand = app.add_subcommand("bank", "Toon bankrekeningen en transacties (50 per pagina)");
    bankCommand->add_flag("--unmatched", bank->unmatched, "Alleen transacties die nog niet gekoppeld zijn");
    bankCommand->add_option("--account", bank->account, "Id van de rekening");
    bankCommand->add_option("--page", bank->page, "Paginanummer, vanaf 1");
    // "bank import" and the other verbs under it do their own work instead of the list.
    bankCommand->callback([&context, bank, bankCommand] {
        if (bankCommand->get_subcommands().empty()) listBank(context, *bank);
    });

    auto* dashboard = app.add_subcommand("dashboard", "Samenvatting en grafiekreeksen per periode");
    // dashboard summary|briefing (DashboardCommands) ask the service instead.
    dashboard->callback([&context, dashboard] {
        if (dashboard->get_subcommands().empty()) showDashboard(context);
    });
}

}  // namespace zelvorin::cli
