#include "service/templates/VariableActions.h"

#include "domain/MessageVariables.h"
#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/store/ServiceDatabase.h"
#include "service/templates/MessageValues.h"
#include "service/templates/TemplateRecords.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;
using invoicerecords::text;

constexpr const char* kMissing = "Variabele niet gevonden.";

struct BuiltinGroup {
    const char* category;
    std::vector<std::pair<const char*, const char*>> rows;  // key, label
};

const std::vector<BuiltinGroup>& builtinGroups() {
    static const std::vector<BuiltinGroup> groups{
        {"Klant", {{"klant_naam", "Klantnaam"}, {"klant_bedrijf", "Bedrijfsnaam klant"}}},
        {"Factuur",
         {{"factuurnummer", "Factuurnummer"},
          {"bedrag", "Bedrag"},
          {"factuur_datum", "Factuurdatum"},
          {"vervaldatum", "Vervaldatum"},
          {"betaaltermijn", "Betaaltermijn (dagen)"},
          {"betaallink", "Betaallink"}}},
        {"Organisatie",
         {{"org_naam", "Organisatienaam"},
          {"bedrijfsnaam", "Bedrijfsnaam"},
          {"iban", "IBAN"},
          {"bic", "BIC"}}},
    };
    return groups;
}

void checkKind(const std::string& kind) {
    if (kind != "text" && kind != "date" && kind != "money" && kind != "number")
        throw ServiceError(ErrorKind::unprocessable,
                           "Onbekende soort variabele '" + kind + "': text, date, money of number.");
}

void checkLabel(const std::string& label) {
    if (variableKeyOf(label).empty())
        throw ServiceError(ErrorKind::unprocessable, "Geef de variabele een naam met letters of cijfers.");
}

}  // namespace

std::string variableKeyOf(const std::string& label) {
    std::string key;
    bool gap = false;
    for (const char c : label) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        const bool upper = c >= 'A' && c <= 'Z';
        if (letter || upper) {
            if (gap && !key.empty()) key += '_';
            key += upper ? static_cast<char>(c - 'A' + 'a') : c;
            gap = false;
        } else {
            gap = true;
        }
    }
    return key;
}

Json builtinVariables(const ServiceDatabase& database, const Caller& caller) {
    const MessageVariables values =
        database.read([&](Connection& db) { return messagevalues::sample(db, caller); });
    Json groups = Json::array();
    for (const BuiltinGroup& group : builtinGroups()) {
        Json rows = Json::array();
        for (const auto& [key, label] : group.rows)
            rows.push_back(
                Json{{"key", key},
                     {"label", label},
                     {"sample", substituteMessageVariables("{" + std::string(key) + "}", values)}});
        groups.push_back(Json{{"category", group.category}, {"rows", std::move(rows)}});
    }
    return Json{{"groups", std::move(groups)}};
}

Json createOwnVariable(const ServiceDatabase& database, const Caller& caller, const OwnVariable& variable,
                       TimePoint now) {
    checkLabel(variable.label);
    checkKind(variable.kind);
    const std::string key = variableKeyOf(variable.label);
    if (isBuiltinVariableKey(key))
        throw ServiceError(ErrorKind::conflict,
                           "{" + key + "} is een ingebouwde variabele. Kies een andere naam.");
    return database.write([&](Connection& db) {
        for (const StoredRecord& other : templaterecords::live(db, caller, "orgVariable"))
            if (text(other.payload, "key") == key)
                throw ServiceError(ErrorKind::conflict, "Er bestaat al een variabele {" + key + "}.");
        const std::string id = randomUuid();
        Json payload{{"id", id},
                     {"organizationId", caller.organizationId},
                     {"key", key},
                     {"label", variable.label},
                     {"kind", variable.kind},
                     {"defaultValue", variable.defaultValue},
                     {"description", variable.description},
                     {"groupName", "Eigen"},
                     {"isBuiltin", false},
                     {"createdAt", formatTimestampMillis(now)},
                     {"updatedAt", formatTimestampMillis(now)}};
        return templaterecords::withoutBookkeeping(
            invoicerecords::put(db, caller, SyncEntityType::orgVariable, id, payload, now).payload);
    });
}

void changeOwnVariable(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                       const std::optional<std::string>& label, const std::optional<std::string>& description,
                       TimePoint now) {
    if (label) checkLabel(*label);
    database.write([&](Connection& db) {
        StoredRecord variable = templaterecords::require(db, caller, "orgVariable", id, kMissing);
        // The key stays: templates already written with it keep working.
        if (label) variable.payload["label"] = *label;
        if (description) variable.payload["description"] = *description;
        variable.payload["updatedAt"] = formatTimestampMillis(now);
        invoicerecords::put(db, caller, SyncEntityType::orgVariable, id, variable.payload, now);
    });
}

void deleteOwnVariable(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                       TimePoint now) {
    database.write([&](Connection& db) {
        const StoredRecord variable = templaterecords::require(db, caller, "orgVariable", id, kMissing);
        if (variable.payload.value("isBuiltin", false))
            throw ServiceError(ErrorKind::conflict, "Een ingebouwde variabele kan niet worden verwijderd.");
        templaterecords::remove(db, caller, SyncEntityType::orgVariable, id, now);
    });
}

}  // namespace zelvorin::service
