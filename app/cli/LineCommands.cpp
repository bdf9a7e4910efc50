#include <memory>
#include <ostream>

#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "domain/Money.h"
#include "screens/LineEditorModel.h"

namespace zelvorin::cli {
namespace {

void printLine(CliContext& context, const InvoiceLineRecord& line, const std::string& verb) {
    if (context.json) return printJson(context, recordJson(line));
    if (verb.empty()) {
        context.out() << line.id << '\n';
        return;
    }
    context.out() << "Factuurregel " << line.id << ' ' << verb << " ("
                  << formatEuro(line.lineTotalCents.value_or(0)) << " excl. btw).\n";
}

void addLine(CliContext& context, const LineEditorModel::TypedLine& typed) {
    LineEditorModel editor(context.environment().repositories().invoices);
    printLine(context, editor.add(typed), "");
}

void setLineField(CliContext& context, const std::string& id, const std::string& field,
                  const std::string& value) {
    LineEditorModel editor(context.environment().repositories().invoices);
    editor.load(id);
    editor.set(field, value);
    printLine(context, editor.save(), "bijgewerkt");
}

void removeLine(CliContext& context, const std::string& id) {
    LineEditorModel(context.environment().repositories().invoices).remove(id);
    if (context.json) return printJson(context, Json{{"deleted", id}});
    context.out() << "Factuurregel " << id << " verwijderd.\n";
}

}  // namespace

void addLineCommands(CLI::App& app, CliContext& context) {
    auto* line = app.add_subcommand("line", "Factuurregels toevoegen, wijzigen en verwijderen");
    line->require_subcommand(1);

    auto options = std::make_shared<LineEditorModel::TypedLine>();
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
