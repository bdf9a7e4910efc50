#include <memory>
#include <ostream>

#include "app/cli/CliInput.h"
#include "app/cli/CliLookup.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "domain/Money.h"

namespace zelvorin::cli {
namespace {

struct LineOptions {
    std::string invoiceId;
    std::string description;
    std::string mode;
    std::string quantity;
    std::string price;
    std::string amount;
    std::string vat;
};

void printLine(CliContext& context, const InvoiceLineRecord& line, const std::string& verb) {
    if (context.json) return printJson(context, recordJson(line));
    if (verb.empty()) {
        context.out() << line.id << '\n';
        return;
    }
    context.out() << "Factuurregel " << line.id << ' ' << verb << " ("
                  << formatEuro(line.lineTotalCents.value_or(0)) << " excl. btw).\n";
}

void addLine(CliContext& context, const LineOptions& options) {
    const DraftInvoiceRecord invoice = requireInvoice(context, options.invoiceId);
    InvoiceLineRecord line;
    line.invoiceId = invoice.id;
    line.description = options.description;
    line.lineMode = requireLineMode(options.mode);
    if (!options.quantity.empty()) line.quantityHundredths = requireHundredths(options.quantity, "--qty");
    if (!options.price.empty()) line.unitPriceCents = requireAmountCents(options.price, "--price");
    if (!options.amount.empty()) line.amountCents = requireAmountCents(options.amount, "--amount");
    if (!options.vat.empty()) line.vatTreatmentOverride = requireVatTreatment(options.vat);
    if (line.lineMode == "fixed" && !line.amountCents)
        throw CliError(CliError::Kind::usage, "Een regel met een vast bedrag heeft --amount nodig.");
    if (line.lineMode != "fixed" && !line.unitPriceCents)
        throw CliError(CliError::Kind::usage, "Deze regel heeft --price nodig (bijvoorbeeld 85,00).");
    if (line.lineMode != "fixed" && !line.quantityHundredths) line.quantityHundredths = 100;
    const auto detail = context.environment().repositories().invoices.detail(invoice.id);
    for (const InvoiceLineRecord& existing : detail->lines)
        line.sortOrder = std::max(line.sortOrder, existing.sortOrder + 1);
    printLine(context, context.environment().repositories().invoices.addLine(line, invoice.vatTreatment), "");
}

const FieldSetters<InvoiceLineRecord>& lineFields() {
    static const FieldSetters<InvoiceLineRecord> setters{
        {"description", [](InvoiceLineRecord& r, const std::string& v) { r.description = v; }},
        {"mode", [](InvoiceLineRecord& r, const std::string& v) { r.lineMode = requireLineMode(v); }},
        {"qty", [](InvoiceLineRecord& r,
                   const std::string& v) { r.quantityHundredths = requireHundredths(v, "qty"); }},
        {"price", [](InvoiceLineRecord& r,
                     const std::string& v) { r.unitPriceCents = requireAmountCents(v, "price"); }},
        {"amount",
         [](InvoiceLineRecord& r, const std::string& v) { r.amountCents = requireAmountCents(v, "amount"); }},
        {"vat",
         [](InvoiceLineRecord& r, const std::string& v) {
             r.vatTreatmentOverride = v.empty() ? std::nullopt : std::optional(requireVatTreatment(v));
         }},
        {"sort",
         [](InvoiceLineRecord& r, const std::string& v) { r.sortOrder = requireWholeNumber(v, "sort"); }},
    };
    return setters;
}

void setLineField(CliContext& context, const std::string& id, const std::string& field,
                  const std::string& value) {
    InvoiceLineRecord line = requireLine(context, id);
    applyField(lineFields(), line, field, value);
    const DraftInvoiceRecord invoice = requireInvoice(context, line.invoiceId);
    printLine(context, context.environment().repositories().invoices.updateLine(line, invoice.vatTreatment),
              "bijgewerkt");
}

void removeLine(CliContext& context, const std::string& id) {
    const InvoiceLineRecord line = requireLine(context, id);
    context.environment().repositories().invoices.deleteLine(line);
    if (context.json) return printJson(context, Json{{"deleted", id}});
    context.out() << "Factuurregel " << id << " verwijderd.\n";
}

}  // namespace

void addLineCommands(CLI::App& app, CliContext& context) {
    auto* line = app.add_subcommand("line", "Factuurregels toevoegen, wijzigen en verwijderen");
    line->require_subcommand(1);

    auto options = std::make_shared<LineOptions>();
    auto* add = line->add_subcommand("add", "Regel toevoegen; toont het nieuwe id");
    add->add_option("invoice", options->invoiceId, "Id van de factuur")->required();
    add->add_option("--description", options->description, "Omschrijving")->required();
    add->add_option("--mode", options->mode, "hours_rate, qty_price of fixed")->required();
    add->add_option("--qty", options->quantity, "Aantal of uren, bijvoorbeeld 1,5");
    add->add_option("--price", options->price, "Tarief of stukprijs, bijvoorbeeld 85,00");
    add->add_option("--amount", options->amount, "Vast bedrag, bijvoorbeeld 100,00");
    add->add_option("--vat", options->vat, "nl_21, nl_9, nl_0 of verlegd (standaard die van de factuur)");
    add->callback([&context, options] { addLine(context, *options); });

    auto id = std::make_shared<std::string>();
    auto field = std::make_shared<std::string>();
    auto value = std::make_shared<std::string>();
    auto* set = line->add_subcommand("set", "Eén veld van een regel wijzigen");
    set->add_option("id", *id, "Id van de regel")->required();
    set->add_option("field", *field, "description, mode, qty, price, amount, vat of sort")->required();
    set->add_option("value", *value, "Nieuwe waarde")->required();
    set->callback([&context, id, field, value] { setLineField(context, *id, *field, *value); });

    auto* remove = line->add_subcommand("rm", "Regel verwijderen");
    remove->add_option("id", *id, "Id van de regel")->required();
    remove->callback([&context, id] { removeLine(context, *id); });
}

}  // namespace zelvorin::cli
