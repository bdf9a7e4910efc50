#include <memory>
#include <ostream>

#include "app/cli/CliInput.h"
#include "app/cli/CliLookup.h"
#include "app/cli/CliOutput.h"
#include "app/cli/Commands.h"
#include "domain/Money.h"

namespace zelvorin::cli {
namespace {

struct ListOptions {
    std::string search;
    bool archived = false;
};

struct NewCustomer {
    std::string name, city, country, email, vat;
};

void listCustomers(CliContext& context, const ListOptions& options) {
    AppEnvironment& environment = context.environment();
    const std::vector<CustomerRecord> customers = environment.database().writer->read(
        [&](Connection& db) { return CustomerRepository::customers(db, options.archived, options.search); });
    if (context.json) {
        Json list = Json::array();
        for (const CustomerRecord& customer : customers)
            list.push_back(recordJson(customer));
        return printJson(context, Json{{"customers", list}});
    }
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

// New customers belong to the organisation the device synced; the service fills it in when the
// device has not synced yet.
std::string organisationId(CliContext& context) {
    return context.environment().database().writer->read([](Connection& db) {
        Statement& select = db.cached("SELECT organization_id FROM org_settings LIMIT 1");
        return select.step() ? select.text(0) : std::string();
    });
}

void addCustomer(CliContext& context, const NewCustomer& options) {
    if (options.name.empty())
        throw CliError(CliError::Kind::usage, "Een klant heeft een naam nodig (--name).");
    CustomerRecord fields;
    fields.organizationId = organisationId(context);
    fields.companyName = options.name;
    fields.city = optionalText(options.city);
    fields.country = optionalText(options.country);
    fields.billingEmail = optionalText(options.email);
    fields.vatNumber = optionalText(options.vat);
    const CustomerRecord customer = context.environment().repositories().customers.createCustomer(fields);
    if (context.json) return printJson(context, recordJson(customer));
    context.out() << customer.id << '\n';
}

const FieldSetters<CustomerRecord>& customerFields() {
    using R = CustomerRecord;
    using V = const std::string&;
    static const FieldSetters<CustomerRecord> setters{
        {"companyName",
         [](R& r, V v) {
             if (v.empty())
                 throw CliError(CliError::Kind::usage, "De naam van een klant kan niet leeg zijn.");
             r.companyName = v;
         }},
        {"vatNumber", [](R& r, V v) { r.vatNumber = optionalText(v); }},
        {"kvkNumber", [](R& r, V v) { r.kvkNumber = optionalText(v); }},
        {"street", [](R& r, V v) { r.street = optionalText(v); }},
        {"houseNumber", [](R& r, V v) { r.houseNumber = optionalText(v); }},
        {"postcode", [](R& r, V v) { r.postcode = optionalText(v); }},
        {"city", [](R& r, V v) { r.city = optionalText(v); }},
        {"country", [](R& r, V v) { r.country = optionalText(v); }},
        {"billingEmail", [](R& r, V v) { r.billingEmail = optionalText(v); }},
        {"knownIban", [](R& r, V v) { r.knownIban = optionalText(v); }},
        {"archived", [](R& r, V v) { r.archived = requireBoolean(v, "archived"); }},
        {"idealEnabled", [](R& r, V v) { r.idealEnabled = requireBoolean(v, "idealEnabled"); }},
        {"portalLinkEnabled",
         [](R& r, V v) { r.portalLinkEnabled = requireBoolean(v, "portalLinkEnabled"); }},
        {"paymentTermsOverride",
         [](R& r, V v) {
             r.paymentTermsOverride =
                 v.empty() ? std::nullopt : std::optional(requireWholeNumber(v, "paymentTermsOverride"));
         }},
        {"defaultHourlyRate",
         [](R& r, V v) {
             r.defaultHourlyRate =
                 v.empty() ? std::nullopt : std::optional(requireAmountCents(v, "defaultHourlyRate"));
         }},
    };
    return setters;
}

void setCustomerField(CliContext& context, const std::string& id, const std::string& field,
                      const std::string& value) {
    CustomerRecord customer = requireCustomer(context, id);
    applyField(customerFields(), customer, field, value);
    const CustomerRecord saved =
        context.environment().repositories().customers.updateCustomer(customer, {field});
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
    auto fields = std::make_shared<NewCustomer>();
    auto* add = customer->add_subcommand("add", "Nieuwe klant; toont het nieuwe id");
    add->add_option("--name", fields->name, "Bedrijfsnaam")->required();
    add->add_option("--city", fields->city, "Plaats");
    add->add_option("--country", fields->country, "Landcode, bijvoorbeeld NL");
    add->add_option("--email", fields->email, "Factuuradres (e-mail)");
    add->add_option("--vat", fields->vat, "Btw-nummer");
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
