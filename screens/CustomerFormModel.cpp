#include "screens/CustomerFormModel.h"

#include "persistence/PersistenceError.h"

namespace zelvorin {
namespace {

using R = CustomerRecord;
using V = const std::string&;

std::string requiredName(const std::string& typed) {
    if (typed.empty()) throw InputError(InputError::Kind::missingValue, "Een klant heeft een naam nodig.");
    return typed;
}

const RecordEditor<R>::Setters& customerSetters() {
    static const RecordEditor<R>::Setters setters{
        {"companyName", [](R& r, V v) { r.companyName = requiredName(v); }},
        {"vatNumber", [](R& r, V v) { r.vatNumber = optionalText(v); }},
        {"kvkNumber", [](R& r, V v) { r.kvkNumber = optionalText(v); }},
        {"street", [](R& r, V v) { r.street = optionalText(v); }},
        {"houseNumber", [](R& r, V v) { r.houseNumber = optionalText(v); }},
        {"postcode", [](R& r, V v) { r.postcode = optionalText(v); }},
        {"city", [](R& r, V v) { r.city = optionalText(v); }},
        {"country", [](R& r, V v) { r.country = optionalText(v); }},
        {"billingEmail", [](R& r, V v) { r.billingEmail = optionalEmail(v, "billingEmail"); }},
        {"knownIban", [](R& r, V v) { r.knownIban = optionalText(v); }},
        {"archived", [](R& r, V v) { r.archived = typedYesNo(v, "archived"); }},
        {"idealEnabled", [](R& r, V v) { r.idealEnabled = typedYesNo(v, "idealEnabled"); }},
        {"portalLinkEnabled", [](R& r, V v) { r.portalLinkEnabled = typedYesNo(v, "portalLinkEnabled"); }},
        {"paymentTermsOverride",
         [](R& r, V v) { r.paymentTermsOverride = optionalWholeNumber(v, "paymentTermsOverride"); }},
        {"defaultHourlyRate",
         [](R& r, V v) { r.defaultHourlyRate = optionalAmountCents(v, "defaultHourlyRate"); }},
    };
    return setters;
}

}  // namespace

CustomerFormModel::CustomerFormModel(CustomerRepository& customers, OrgRepository& organisation)
    : customers_(customers), organisation_(organisation), editor_(customerSetters()) {}

CustomerRecord CustomerFormModel::add(const TypedCustomer& typed) {
    CustomerRecord fields;
    fields.companyName = requiredName(typed.name);
    if (std::optional<OrgSettingsRecord> settings = organisation_.settings())
        fields.organizationId = settings->organizationId;
    fields.city = optionalText(typed.city);
    fields.country = optionalText(typed.country);
    fields.billingEmail = optionalEmail(typed.email, "e-mailadres");
    fields.vatNumber = optionalText(typed.vatNumber);
    CustomerRecord added = customers_.createCustomer(fields);
    editor_.begin(added);
    return added;
}

void CustomerFormModel::load(const std::string& customerId) {
    std::optional<CustomerRecord> stored = customers_.customer(customerId);
    if (!stored || stored->deletedAt) throw PersistenceError::notFound("Klant '" + customerId + "'");
    editor_.begin(std::move(*stored));
}

CustomerRecord CustomerFormModel::save() {
    CustomerRecord saved = customers_.updateCustomer(editor_.record(), editor_.changedFields());
    editor_.begin(saved);
    return saved;
}

}  // namespace zelvorin
