#include <memory>
#include <ostream>

#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "screens/CustomerFormModel.h"

namespace zelvorin::cli {
namespace {

struct ListOptions {
    std::string search;
    bool archived = false;
};

void listCustomers(CliContext& context, const ListOptions& options) {
    const std::vector<CustomerRecord> customers =
        context.environment().repositories().customers.customers(options.archived, options.search);
    if (context.json) return printJson(context, Json{{"customers", recordsJson(customers)}});
    if (customers.empty()) {
        context.out() << "Geen klanten gevonden.\n";
        return;
    }
    for (const CustomerRecord& customer : customers) {
        context.out() << column(customer.companyName, 32) << column(customer.city.value_or(""), 18)
                      << column(customer.country.value_or(""), 4)
                      << column(customer.archived ? "gearchiveerd" : "", 14) << customer.id << '\n';
    }
    context.out() << customers.size() << (customers.size() == 1 ? " klant" : " klanten") << '\n';
}

CustomerFormModel customerForm(CliContext& context) {
    Repositories& repositories = context.environment().repositories();
    return CustomerFormModel(repositories.customers, repositories.organisation);
}

void addCustomer(CliContext& context, const CustomerFormModel::TypedCustomer& typed) {
    CustomerFormModel form = customerForm(context);
    const CustomerRecord customer = form.add(typed);
    if (context.json) return printJson(context, recordJson(customer));
    context.out() << customer.id << '\n';
}

void setCustomerField(CliContext& context, const std::string& id, const std::string& field,
                      const std::string& value) {
    CustomerFormModel form = customerForm(context);
    form.load(id);
    form.set(field, value);
    const CustomerRecord saved = form.save();
    if (context.json) return printJson(context, recordJson(saved));
    context.out() << "Klant " << id << ": " << field << " bijgewerkt.\n";
}

}  // namespace

void addCustomerCommands(CLI::App& app, CliContext& context) {
    auto list = std::make_shared<ListOptions>();
    auto* customers = app.add_subcommand("customers", "Toon de klanten van de lokale database");
    customers->add_option("--search", list->search, "Zoek in naam, plaats en contactpersonen");
    customers->add_flag("--archived", list->archived, "Ook gearchiveerde klanten");
    customers->callback([&context, list] { listCustomers(context, *list); });

    auto* customer = app.add_subcommand("customer", "Klanten toevoegen en wijzigen");
    customer->require_subcommand(1);
    auto fields = std::make_shared<CustomerFormModel::TypedCustomer>();
    auto* add = customer->add_subcommand("add", "Nieuwe klant; toont het nieuwe id");
    add->add_option("--name", fields->name, "Bedrijfsnaam")->required();
    add->add_option("--city", fields->city, "Plaats");
    add->add_option("--country", fields->country, "Landcode, bijvoorbeeld NL");
    add->add_option("--email", fields->email, "Factuuradres (e-mail)");
    add->add_option("--vat", fields->vatNumber, "Btw-nummer");
    add->callback([&context, fields] { addCustomer(context, *fields); });

    auto id = std::make_shared<std::string>();
    auto field = std::make_shared<std::string>();
    auto value = std::make_shared<std::string>();
    auto* set = customer->add_subcommand("set", "Eén veld van een klant wijzigen (leeg = wissen)");
    set->add_option("id", *id, "Id van de klant")->required();
    set->add_option("field", *field, "companyName, city, country, billingEmail, vatNumber, archived, ...")
        ->required();
    set->add_option("value", *value, "Nieuwe waarde")->required();
    set->callback([&context, id, field, value] { setCustomerField(context, *id, *field, *value); });
}

}  // namespace zelvorin::cli
