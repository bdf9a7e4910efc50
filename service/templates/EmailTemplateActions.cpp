#include "service/templates/EmailTemplateActions.h"

#include <algorithm>

#include "domain/MessageVariables.h"
#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/store/ServiceDatabase.h"
#include "service/templates/TemplateRecords.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;
using invoicerecords::text;

constexpr const char* kBuiltinPrefix = "standaard-";
// The built-in defaults are part of the service, not records; they carry one fixed date.
constexpr const char* kBuiltinStamp = "2026-01-01T00:00:00.000Z";
constexpr const char* kMissing = "E-mailsjabloon niet gevonden.";

const char* builtinName(std::string_view type) {
    if (type == "invoice") return "Factuur (standaard)";
    if (type == "credit_note") return "Creditnota (standaard)";
    if (type == "reminder_1") return "1e herinnering (standaard)";
    if (type == "reminder_2") return "2e herinnering (standaard)";
    return "Aanmaning (standaard)";
}

Json builtinTemplate(const Caller& caller, std::string_view type) {
    return Json{{"id", kBuiltinPrefix + std::string(type)},
                {"organizationId", caller.organizationId},
                {"name", builtinName(type)},
                {"type", type},
                {"language", "nl"},
                {"subject", defaultMessageSubject(type)},
                {"body", defaultMessageBody("{klant_naam}")},
                {"isDefault", true},
                {"style", "plain"},
                {"createdAt", kBuiltinStamp},
                {"updatedAt", kBuiltinStamp}};
}

bool isBuiltinId(const std::string& id) {
    return id.starts_with(kBuiltinPrefix);
}

void refuseBuiltin(const std::string& id) {
    if (isBuiltinId(id))
        throw ServiceError(ErrorKind::conflict,
                           "Een ingebouwde standaardsjabloon kan niet worden gewijzigd of verwijderd. "
                           "Maak een eigen sjabloon.");
}

void checkType(const std::string& type) {
    if (!isEmailTemplateType(type))
        throw ServiceError(ErrorKind::unprocessable,
                           "Onbekend sjabloontype '" + type +
                               "': invoice, credit_note, reminder_1, reminder_2 of reminder_final.");
}

void checkLanguage(const std::string& language) {
    if (language != "nl" && language != "en")
        throw ServiceError(ErrorKind::unprocessable,
                           "Taal '" + language + "' wordt niet ondersteund: nl of en.");
}

void checkStyle(const std::optional<std::string>& style) {
    if (style && *style != "plain" && *style != "branded")
        throw ServiceError(ErrorKind::unprocessable,
                           "Opmaak '" + *style + "' bestaat niet: plain of branded.");
}

void checkName(const std::string& name) {
    if (name.find_first_not_of(" \t\r\n") == std::string::npos)
        throw ServiceError(ErrorKind::unprocessable, "Geef het e-mailsjabloon een naam.");
}

void checkInvoiceTemplate(Connection& db, const Caller& caller, const std::optional<std::string>& id) {
    if (!id) return;
    const std::optional<StoredRecord> found =
        records::find(db, caller.organizationId, "invoiceTemplate", *id);
    if (!found || found->deleted)
        throw ServiceError(ErrorKind::unprocessable, "Het documentsjabloon '" + *id + "' bestaat niet.");
}

bool sameKind(const Json& a, const Json& b) {
    return text(a, "type") == text(b, "type") && text(a, "language") == text(b, "language");
}

// Makes `chosen` the only default among the templates of its type and language.
Json makeDefault(Connection& db, const Caller& caller, StoredRecord chosen, TimePoint now) {
    for (StoredRecord& other : templaterecords::live(db, caller, "emailTemplate")) {
        if (other.id == chosen.id || !sameKind(other.payload, chosen.payload)) continue;
        if (other.payload.value("isDefault", false)) {
            other.payload["isDefault"] = false;
            other.payload["updatedAt"] = formatTimestampMillis(now);
            invoicerecords::put(db, caller, SyncEntityType::emailTemplate, other.id, other.payload, now);
        }
    }
    chosen.payload["isDefault"] = true;
    chosen.payload["updatedAt"] = formatTimestampMillis(now);
    return invoicerecords::put(db, caller, SyncEntityType::emailTemplate, chosen.id, chosen.payload, now)
        .payload;
}

// After `left` stopped being the default of its type and language, the oldest template that
// remains of that kind takes over, so a kind that has templates always has its default.
void handOverDefault(Connection& db, const Caller& caller, const StoredRecord& left, TimePoint now) {
    if (!left.payload.value("isDefault", false)) return;
    for (const StoredRecord& other : templaterecords::live(db, caller, "emailTemplate"))
        if (other.id != left.id && sameKind(other.payload, left.payload)) {
            makeDefault(db, caller, other, now);
            return;
        }
}

}  // namespace

Json listEmailTemplates(const ServiceDatabase& database, const Caller& caller) {
    return database.read([&](Connection& db) {
        std::vector<Json> found;
        for (const StoredRecord& record : templaterecords::live(db, caller, "emailTemplate"))
            found.push_back(templaterecords::withoutBookkeeping(record.payload));
        for (std::string_view type : kEmailTemplateTypes)
            if (std::ranges::none_of(found, [&](const Json& t) { return text(t, "type") == type; }))
                found.push_back(builtinTemplate(caller, type));
        const auto key = [](const Json& t) {
            const std::string type = text(t, "type").value_or("");
            const auto rank = std::ranges::find(kEmailTemplateTypes, type) - std::begin(kEmailTemplateTypes);
            return std::tuple(rank, text(t, "language").value_or(""), text(t, "name").value_or(""),
                              text(t, "id").value_or(""));
        };
        std::ranges::sort(found, [&](const Json& a, const Json& b) { return key(a) < key(b); });
        return Json(found);
    });
}

Json createEmailTemplate(const ServiceDatabase& database, const Caller& caller,
                         const EmailTemplateFields& fields, TimePoint now) {
    checkName(fields.name);
    checkType(fields.type);
    checkLanguage(fields.language);
    checkStyle(fields.style);
    return database.write([&](Connection& db) {
        checkInvoiceTemplate(db, caller, fields.invoiceTemplateId);
        const std::string id = randomUuid();
        Json payload{
            {"id", id},
            {"organizationId", caller.organizationId},
            {"name", fields.name},
            {"type", fields.type},
            {"language", fields.language},
            {"subject", fields.subject.empty() ? defaultMessageSubject(fields.type) : fields.subject},
            {"body", fields.body.empty() ? defaultMessageBody("{klant_naam}") : fields.body}};
        const bool first =
            std::ranges::none_of(templaterecords::live(db, caller, "emailTemplate"),
                                 [&](const StoredRecord& t) { return sameKind(t.payload, payload); });
        payload["isDefault"] = first;
        if (fields.invoiceTemplateId) payload["invoiceTemplateId"] = *fields.invoiceTemplateId;
        if (fields.style) payload["style"] = *fields.style;
        payload["createdAt"] = formatTimestampMillis(now);
        payload["updatedAt"] = formatTimestampMillis(now);
        return templaterecords::withoutBookkeeping(
            invoicerecords::put(db, caller, SyncEntityType::emailTemplate, id, payload, now).payload);
    });
}

Json changeEmailTemplate(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                         const EmailTemplateChange& change, TimePoint now) {
    refuseBuiltin(id);
    if (change.name) checkName(*change.name);
    if (change.type) checkType(*change.type);
    if (change.language) checkLanguage(*change.language);
    if (change.style) checkStyle(*change.style);
    return database.write([&](Connection& db) {
        StoredRecord record = templaterecords::require(db, caller, "emailTemplate", id, kMissing);
        const StoredRecord before = record;
        if (change.invoiceTemplateId) checkInvoiceTemplate(db, caller, *change.invoiceTemplateId);
        Json& payload = record.payload;
        const auto set = [&](const char* key, const std::optional<std::string>& value) {
            if (value) payload[key] = *value;
        };
        const auto setOrClear = [&](const char* key, const std::optional<std::optional<std::string>>& value) {
            // Cleared as null, not left out: a device applies only the members a pull names.
            if (value) payload[key] = *value ? Json(**value) : Json(nullptr);
        };
        set("name", change.name);
        set("type", change.type);
        set("language", change.language);
        set("subject", change.subject);
        set("body", change.body);
        setOrClear("invoiceTemplateId", change.invoiceTemplateId);
        setOrClear("style", change.style);
        payload["updatedAt"] = formatTimestampMillis(now);
        // Moved to another type or language, it is that kind's default only when it has none.
        const bool moved = !sameKind(before.payload, payload);
        if (moved) {
            payload["isDefault"] = std::ranges::none_of(
                templaterecords::live(db, caller, "emailTemplate"), [&](const StoredRecord& t) {
                    return t.id != id && sameKind(t.payload, payload) && t.payload.value("isDefault", false);
                });
        }
        Json changed =
            invoicerecords::put(db, caller, SyncEntityType::emailTemplate, id, payload, now).payload;
        if (moved) handOverDefault(db, caller, before, now);
        return templaterecords::withoutBookkeeping(std::move(changed));
    });
}

void deleteEmailTemplate(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                         TimePoint now) {
    refuseBuiltin(id);
    database.write([&](Connection& db) {
        const StoredRecord record = templaterecords::require(db, caller, "emailTemplate", id, kMissing);
        templaterecords::remove(db, caller, SyncEntityType::emailTemplate, id, now);
        handOverDefault(db, caller, record, now);
    });
}

Json setDefaultEmailTemplate(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                             TimePoint now) {
    if (isBuiltinId(id)) {
        // A built-in one is listed only while its type has no template of the organisation's own,
        // so it already is the default.
        const std::string type = id.substr(std::string_view(kBuiltinPrefix).size());
        if (!isEmailTemplateType(type)) throw ServiceError(ErrorKind::notFound, kMissing);
        for (const Json& listed : listEmailTemplates(database, caller))
            if (text(listed, "id") == id) return listed;
        throw ServiceError(ErrorKind::notFound, kMissing);
    }
    return database.write([&](Connection& db) {
        return templaterecords::withoutBookkeeping(makeDefault(
            db, caller, templaterecords::require(db, caller, "emailTemplate", id, kMissing), now));
    });
}

}  // namespace zelvorin::service
