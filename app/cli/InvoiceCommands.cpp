#include <memory>
#include <ostream>

#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "domain/Money.h"
#include "screens/InvoiceHeaderModel.h"
#include "screens/InvoiceOverview.h"
#include "screens/ListFilters.h"

namespace zelvorin::cli {
namespace {

struct ListOptions {
    std::string segment = "alle";
    std::string search;
    int year = 0;
};

void listInvoices(CliContext& context, const ListOptions& options) {
    const InvoiceSegment segment = typedInvoiceSegment(options.segment, "--segment");
    const std::vector<InvoiceListItem> items = context.environment().repositories().invoices.list(
        {segment, options.search, options.year ? std::optional(options.year) : std::nullopt});
    if (context.json) {
        Json list = Json::array();
        for (const InvoiceListItem& item : items)
            list.push_back(listItemJson(item));
        return printJson(context, Json{{"invoices", list}});
    }
    if (items.empty()) {
        context.out() << "Geen facturen gevonden.\n";
        return;
    }
    for (const InvoiceListItem& item : items) {
        context.out() << column(invoiceLabel(item), 16) << column(item.issueDate, 12)
                      << column(item.customerName.value_or("—"), 28) << column(item.status, 15)
                      << rightColumn(formatEuro(item.totalCents), 14) << "  " << item.id << '\n';
    }
    context.out() << items.size() << " factu" << (items.size() == 1 ? "ur" : "ren") << '\n';
}

Json overviewJson(const InvoiceOverview& overview) {
    const InvoiceDetail& detail = overview.detail;
    const std::optional<NextAction>& next = overview.nextAction;
    Json body{{"invoice", recordJson(detail.invoice)},
              {"customer", detail.customer ? recordJson(*detail.customer) : Json()},
              {"lines", recordsJson(detail.lines)},
              {"vatGroups", Json::array()},
              {"payments", recordsJson(detail.payments)},
              {"reminders", recordsJson(detail.reminders)},
              {"nextAction", next ? Json{{"kind", rawValue(next->kind)}, {"label", next->label}} : Json()}};
    for (const auto& [treatment, totals] : overview.vatGroups)
        body["vatGroups"].push_back({{"treatment", rawValue(treatment)},
                                     {"exclCents", totals.exclCents},
                                     {"vatCents", totals.vatCents}});
    return body;
}

void showInvoice(CliContext& context, const std::string& id) {
    AppEnvironment& environment = context.environment();
    const InvoiceOverview overview =
        loadInvoiceOverview(environment.repositories().invoices, *environment.clock(), id);
    if (context.json) return printJson(context, overviewJson(overview));
    const InvoiceDetail& detail = overview.detail;
    const DraftInvoiceRecord& invoice = detail.invoice;
    std::ostream& out = context.out();
    out << "Factuur " << invoiceLabel(invoice) << (invoice.deletedAt ? " (verwijderd)" : "") << '\n'
        << "Klant:        " << (detail.customer ? detail.customer->companyName : "—") << '\n'
        << "Status:       " << invoice.status << "  (synchronisatie: " << invoice.syncState << ")\n"
        << "Factuurdatum: " << invoice.issueDate << "   vervaldatum: " << invoice.dueDate.value_or("—")
        << '\n';
    if (invoice.referenceNumber) out << "Referentie:   " << *invoice.referenceNumber << '\n';
    if (invoice.projectDescription) out << "Project:      " << *invoice.projectDescription << '\n';
    out << "\nRegels:\n";
    if (detail.lines.empty()) out << "  (geen regels)\n";
    for (std::size_t i = 0; i < detail.lines.size(); ++i) {
        const InvoiceLineRecord& line = detail.lines[i];
        out << "  " << column(line.description, 34) << column(lineQuantityText(line), 26)
            << rightColumn(formatEuro(overview.lineExclCents[i]), 14) << "  " << line.id << '\n';
    }
    out << "\nSubtotaal:    " << formatEuro(invoice.subtotalCents) << '\n';
    for (const auto& [treatment, totals] : overview.vatGroups)
        out << "  " << column(vatGroupLabel(treatment), 12) << formatEuro(totals.vatCents) << " over "
            << formatEuro(totals.exclCents) << '\n';
    out << "Totaal:       " << formatEuro(invoice.totalCents) << '\n';
    for (const InvoicePaymentRecord& payment : detail.payments)
        out << "Betaling:     " << payment.paymentDate << "  " << formatEuro(payment.amountCents) << '\n';
    for (const InvoiceReminderRecord& reminder : detail.reminders)
        out << "Herinnering:  " << reminder.sentAt.substr(0, 10) << "  " << reminder.level.value_or("—")
            << '\n';
    out << "Volgende stap: " << (overview.nextAction ? overview.nextAction->label : "—") << '\n';
}

InvoiceHeaderModel headerModel(CliContext& context) {
    AppEnvironment& environment = context.environment();
    return InvoiceHeaderModel(environment.repositories().invoices, environment.repositories().customers,
                              *environment.clock());
}

void newInvoice(CliContext& context, const std::string& customerId, const std::string& date) {
    InvoiceHeaderModel header = headerModel(context);
    const DraftInvoiceRecord draft = header.createDraft(customerId, date);
    if (context.json) return printJson(context, recordJson(draft));
    context.out() << draft.id << '\n';
}

void setInvoiceField(CliContext& context, const std::string& id, const std::string& field,
                     const std::string& value) {
    InvoiceHeaderModel header = headerModel(context);
    header.load(id);
    header.set(field, value);
    const DraftInvoiceRecord saved = header.save();
    if (context.json) return printJson(context, recordJson(saved));
    context.out() << "Factuur " << id << ": " << field << " bijgewerkt.\n";
}

void removeInvoice(CliContext& context, const std::string& id) {
    context.environment().repositories().invoices.deleteInvoice(id);
    if (context.json) return printJson(context, Json{{"deleted", id}});
    context.out() << "Factuur " << id << " verwijderd.\n";
}

}  // namespace

void addInvoiceCommands(CLI::App& app, CliContext& context) {
    auto list = std::make_shared<ListOptions>();
    auto* invoices = app.add_subcommand("invoices", "Toon de facturen van de lokale database");
    invoices->add_option("--segment", list->segment, "alle, concept, verzonden, betaald of achterstallig");
    invoices->add_option("--search", list->search, "Zoek in nummer, klant, project en referentie");
    invoices->add_option("--year", list->year, "Alleen facturen met deze factuurdatum-jaar");
    invoices->callback([&context, list] { listInvoices(context, *list); });

    auto* invoice = app.add_subcommand("invoice", "Eén factuur bekijken of bewerken");
    invoice->require_subcommand(1);
    auto id = std::make_shared<std::string>();
    auto* show = invoice->add_subcommand("show", "Regels, totalen, btw, betalingen en de volgende stap");
    show->add_option("id", *id, "Id van de factuur")->required();
    show->callback([&context, id] { showInvoice(context, *id); });

    auto customer = std::make_shared<std::string>();
    auto date = std::make_shared<std::string>();
    auto* create = invoice->add_subcommand("new", "Nieuwe conceptfactuur; toont het nieuwe id");
    create->add_option("--customer", *customer, "Id van de klant")->required();
    create->add_option("--date", *date, "Factuurdatum (JJJJ-MM-DD, standaard vandaag)");
    create->callback([&context, customer, date] { newInvoice(context, *customer, *date); });

    auto field = std::make_shared<std::string>();
    auto value = std::make_shared<std::string>();
    auto* set = invoice->add_subcommand("set", "Eén veld van de factuurkop wijzigen (leeg = wissen)");
    set->add_option("id", *id, "Id van de factuur")->required();
    set->add_option("field", *field,
                    "customerId, issueDate, dueDate, referenceNumber, projectDescription, ...")
        ->required();
    set->add_option("value", *value, "Nieuwe waarde")->required();
    set->callback([&context, id, field, value] { setInvoiceField(context, *id, *field, *value); });

    auto* remove = invoice->add_subcommand("rm", "Factuur verwijderen");
    remove->add_option("id", *id, "Id van de factuur")->required();
    remove->callback([&context, id] { removeInvoice(context, *id); });
}

}  // namespace zelvorin::cli
