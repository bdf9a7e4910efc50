#include <chrono>
#include <memory>
#include <ostream>

#include "app/cli/CliInput.h"
#include "app/cli/CliLookup.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "domain/InvoiceTotals.h"
#include "domain/LineTotals.h"
#include "domain/Money.h"
#include "domain/NextActionAdvisor.h"
#include "domain/Timestamps.h"
#include "domain/VatTreatment.h"
#include "persistence/RecordStatements.h"

namespace zelvorin::cli {
namespace {

struct ListOptions {
    std::string segment = "alle";
    std::string search;
    int year = 0;
};

void listInvoices(CliContext& context, const ListOptions& options) {
    const std::optional<InvoiceSegment> segment = parseInvoiceSegment(options.segment);
    if (!segment) {
        throw CliError(CliError::Kind::usage, "Onbekend segment '" + options.segment +
                                                  "' (alle, concept, verzonden, betaald of achterstallig).");
    }
    const std::vector<InvoiceListItem> items = context.environment().repositories().invoices.list(
        {*segment, options.search, options.year ? std::optional(options.year) : std::nullopt});
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

std::optional<TimePoint> startOfDay(const std::optional<std::string>& date) {
    if (!date) return std::nullopt;
    const auto day = parseCalendarDate(*date);
    if (!day) return std::nullopt;
    return std::chrono::sys_days(*day);
}

std::optional<NextAction> adviceFor(CliContext& context, const InvoiceDetail& detail) {
    NextActionInput input;
    input.status = detail.invoice.status;
    input.dueDate = startOfDay(detail.invoice.dueDate);
    for (const InvoiceReminderRecord& reminder : detail.reminders) {
        if (auto sent = parseTimestamp(reminder.sentAt))
            input.reminders.push_back({reminder.level.value_or(""), *sent});
    }
    input.hasCreditNote = context.environment().database().writer->read([&](Connection& db) {
        Statement& credit = db.cached(
            "SELECT COUNT(*) FROM draft_invoice WHERE credited_invoice_id = ? AND deleted_at IS NULL");
        credit.bind(1, detail.invoice.id);
        credit.step();
        return credit.int64(0) > 0;
    });
    input.now = context.environment().clock()->now();
    return NextActionAdvisor::nextAction(input);
}

std::string vatLabel(VatTreatment treatment) {
    if (treatment == VatTreatment::verlegd) return "BTW verlegd";
    return "BTW " + std::to_string(vatRate(treatment)) + "%";
}

std::string lineQuantity(const InvoiceLineRecord& line) {
    if (line.lineMode == "fixed") return "vast bedrag";
    return formatHundredths(line.quantityHundredths.value_or(0)) + " × " +
           formatEuro(line.unitPriceCents.value_or(0));
}

std::vector<CalcLine> calcLines(const std::vector<InvoiceLineRecord>& lines) {
    std::vector<CalcLine> calc;
    for (const InvoiceLineRecord& line : lines)
        calc.push_back(calcLineFromStored({line.lineMode, line.quantityHundredths, line.unitPriceCents,
                                           line.amountCents, line.vatTreatmentOverride}));
    return calc;
}

void showInvoice(CliContext& context, const std::string& id) {
    const std::optional<InvoiceDetail> detail = context.environment().repositories().invoices.detail(id);
    if (!detail)
        throw CliError(CliError::Kind::notFound, "Onbekende factuur '" + id + "' in de lokale database.");
    const DraftInvoiceRecord& invoice = detail->invoice;
    const std::vector<CalcLine> calc = calcLines(detail->lines);
    const VatGroups groups = groupTotals(calc, invoiceTreatmentFromStored(invoice.vatTreatment));
    const std::optional<NextAction> next = adviceFor(context, *detail);
    if (context.json) {
        Json body{
            {"invoice", recordJson(invoice)},
            {"customer", detail->customer ? recordJson(*detail->customer) : Json()},
            {"lines", Json::array()},
            {"vatGroups", Json::array()},
            {"payments", Json::array()},
            {"reminders", Json::array()},
            {"nextAction", next ? Json{{"kind", rawValue(next->kind)}, {"label", next->label}} : Json()}};
        for (const InvoiceLineRecord& line : detail->lines)
            body["lines"].push_back(recordJson(line));
        for (const auto& [treatment, totals] : groups)
            body["vatGroups"].push_back({{"treatment", rawValue(treatment)},
                                         {"exclCents", totals.exclCents},
                                         {"vatCents", totals.vatCents}});
        for (const InvoicePaymentRecord& payment : detail->payments)
            body["payments"].push_back(recordJson(payment));
        for (const InvoiceReminderRecord& reminder : detail->reminders)
            body["reminders"].push_back(recordJson(reminder));
        return printJson(context, body);
    }
    std::ostream& out = context.out();
    out << "Factuur " << invoice.invoiceNumber.value_or(invoice.localDraftNumber.value_or(invoice.id))
        << (invoice.deletedAt ? " (verwijderd)" : "") << '\n'
        << "Klant:        " << (detail->customer ? detail->customer->companyName : "—") << '\n'
        << "Status:       " << invoice.status << "  (synchronisatie: " << invoice.syncState << ")\n"
        << "Factuurdatum: " << invoice.issueDate << "   vervaldatum: " << invoice.dueDate.value_or("—")
        << '\n';
    if (invoice.referenceNumber) out << "Referentie:   " << *invoice.referenceNumber << '\n';
    if (invoice.projectDescription) out << "Project:      " << *invoice.projectDescription << '\n';
    out << "\nRegels:\n";
    if (detail->lines.empty()) out << "  (geen regels)\n";
    for (std::size_t i = 0; i < detail->lines.size(); ++i) {
        const InvoiceLineRecord& line = detail->lines[i];
        const LineTotals totals = lineTotals(calc[i], invoiceTreatmentFromStored(invoice.vatTreatment));
        out << "  " << column(line.description, 34) << column(lineQuantity(line), 26)
            << rightColumn(formatEuro(totals.exclCents), 14) << "  " << line.id << '\n';
    }
    out << "\nSubtotaal:    " << formatEuro(invoice.subtotalCents) << '\n';
    for (const auto& [treatment, totals] : groups)
        out << "  " << column(vatLabel(treatment), 12) << formatEuro(totals.vatCents) << " over "
            << formatEuro(totals.exclCents) << '\n';
    out << "Totaal:       " << formatEuro(invoice.totalCents) << '\n';
    for (const InvoicePaymentRecord& payment : detail->payments)
        out << "Betaling:     " << payment.paymentDate << "  " << formatEuro(payment.amountCents) << '\n';
    for (const InvoiceReminderRecord& reminder : detail->reminders)
        out << "Herinnering:  " << reminder.sentAt.substr(0, 10) << "  " << reminder.level.value_or("—")
            << '\n';
    out << "Volgende stap: " << (next ? next->label : "—") << '\n';
}

void newInvoice(CliContext& context, const std::string& customerId, const std::string& date) {
    const std::string issueDate =
        date.empty() ? formatTimestampMillis(context.environment().clock()->now()).substr(0, 10)
                     : requireDate(date, "--date");
    requireCustomer(context, customerId);
    const DraftInvoiceRecord draft =
        context.environment().repositories().invoices.createDraft(customerId, issueDate);
    if (context.json) return printJson(context, recordJson(draft));
    context.out() << draft.id << '\n';
}

const FieldSetters<DraftInvoiceRecord>& headerFields() {
    static const FieldSetters<DraftInvoiceRecord> setters{
        {"customerId", [](DraftInvoiceRecord& r, const std::string& v) { r.customerId = optionalText(v); }},
        {"issueDate",
         [](DraftInvoiceRecord& r, const std::string& v) { r.issueDate = requireDate(v, "issueDate"); }},
        {"dueDate",
         [](DraftInvoiceRecord& r, const std::string& v) {
             r.dueDate = v.empty() ? std::nullopt : std::optional(requireDate(v, "dueDate"));
         }},
        {"referenceNumber",
         [](DraftInvoiceRecord& r, const std::string& v) { r.referenceNumber = optionalText(v); }},
        {"projectDescription",
         [](DraftInvoiceRecord& r, const std::string& v) { r.projectDescription = optionalText(v); }},
        {"vatTreatment",
         [](DraftInvoiceRecord& r, const std::string& v) { r.vatTreatment = requireVatTreatment(v); }},
        {"invoiceEmail",
         [](DraftInvoiceRecord& r, const std::string& v) { r.invoiceEmail = optionalText(v); }},
        {"idealEnabled", [](DraftInvoiceRecord& r,
                            const std::string& v) { r.idealEnabled = requireBoolean(v, "idealEnabled"); }},
        {"portalLinkEnabled",
         [](DraftInvoiceRecord& r, const std::string& v) {
             r.portalLinkEnabled = requireBoolean(v, "portalLinkEnabled");
         }},
        {"internalNote",
         [](DraftInvoiceRecord& r, const std::string& v) { r.internalNote = optionalText(v); }},
        {"paymentTermsOverride",
         [](DraftInvoiceRecord& r, const std::string& v) {
             r.paymentTermsOverride =
                 v.empty() ? std::nullopt : std::optional(requireWholeNumber(v, "paymentTermsOverride"));
         }},
        {"freeText", [](DraftInvoiceRecord& r, const std::string& v) { r.freeText = optionalText(v); }},
    };
    return setters;
}

void setInvoiceField(CliContext& context, const std::string& id, const std::string& field,
                     const std::string& value) {
    DraftInvoiceRecord invoice = requireInvoice(context, id);
    applyField(headerFields(), invoice, field, value);
    const DraftInvoiceRecord saved =
        context.environment().repositories().invoices.updateHeader(invoice, {field});
    if (context.json) return printJson(context, recordJson(saved));
    context.out() << "Factuur " << id << ": " << field << " bijgewerkt.\n";
}

void removeInvoice(CliContext& context, const std::string& id) {
    requireInvoice(context, id);
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
