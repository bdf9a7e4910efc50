#include "service/org/OrgSettingsActions.h"

#include <array>
#include <string_view>

#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;

enum class Kind { text, integer, boolean };

struct PatchMember {
    std::string_view key;
    Kind kind;
    bool clearable = false;
};

constexpr std::array<PatchMember, 34> kPatchMembers{{
    {"orgName", Kind::text},
    {"addressStreet", Kind::text},
    {"addressPostal", Kind::text},
    {"addressCity", Kind::text},
    {"orgPhone", Kind::text},
    {"orgEmail", Kind::text},
    {"kvkNumber", Kind::text},
    {"vatNumber", Kind::text},
    {"iban", Kind::text},
    {"bic", Kind::text},
    {"invoicePrefix", Kind::text},
    {"invoiceTemplate", Kind::text},
    {"invoiceSeqNum", Kind::integer},
    {"invoiceSeqPadding", Kind::integer},
    {"paymentTermsDays", Kind::integer},
    {"defaultHourlyRate", Kind::integer, true},
    {"vatRateDefault", Kind::integer},
    {"footerText", Kind::text},
    {"verlegdNote", Kind::text},
    {"dateFormat", Kind::text},
    {"defaultLanguage", Kind::text},
    {"currency", Kind::text},
    {"numberFormat", Kind::text},
    {"timezone", Kind::text},
    {"emailProvider", Kind::text},
    {"emailProviderFallback", Kind::text, true},
    {"replyToEmail", Kind::text, true},
    {"kvitraScanEnabled", Kind::boolean},
    {"googleFontsEnabled", Kind::boolean},
    {"portalLinkEnabled", Kind::boolean},
    {"idealEnabledDefault", Kind::boolean},
    {"invoiceEmailStyle", Kind::text},
    {"portalShowLogo", Kind::boolean},
    {"portalShowOrgName", Kind::boolean},
}};

// A text longer than this is no setting but a paste gone wrong (the footer is the longest).
constexpr std::size_t kMaxTextLength = 2000;

[[noreturn]] void refuse(const std::string& text) {
    throw ServiceError(ErrorKind::unprocessable, text);
}

const PatchMember& memberOf(const std::string& key) {
    for (const PatchMember& member : kPatchMembers)
        if (member.key == key) return member;
    refuse("Onbekende instelling '" + key + "'.");
}

void checkType(const PatchMember& member, const Json& value) {
    const std::string key(member.key);
    if (value.is_null()) {
        if (!member.clearable) refuse("De instelling '" + key + "' kan niet worden leeggemaakt.");
        return;
    }
    switch (member.kind) {
        case Kind::text:
            if (!value.is_string()) refuse("De instelling '" + key + "' moet tekst zijn.");
            if (value.get_ref<const std::string&>().size() > kMaxTextLength)
                refuse("De instelling '" + key + "' is te lang.");
            return;
        case Kind::integer:
            if (!value.is_number_integer()) refuse("De instelling '" + key + "' moet een geheel getal zijn.");
            return;
        case Kind::boolean:
            if (!value.is_boolean()) refuse("De instelling '" + key + "' moet true of false zijn.");
            return;
    }
}

void checkValue(const std::string& key, const Json& value) {
    if (value.is_null()) return;
    if (key == "orgName" && value.get<std::string>().find_first_not_of(" \t") == std::string::npos)
        refuse("De organisatienaam mag niet leeg zijn.");
    if ((key == "orgEmail" || key == "replyToEmail") && !value.get<std::string>().empty() &&
        value.get<std::string>().find('@') == std::string::npos)
        refuse("'" + value.get<std::string>() + "' is geen e-mailadres.");
    if (key == "vatRateDefault") {
        const auto rate = value.get<std::int64_t>();
        if (rate != 0 && rate != 9 && rate != 21) refuse("Het standaard btw-tarief moet 0, 9 of 21 zijn.");
    }
    if (key == "paymentTermsDays" && (value.get<std::int64_t>() < 0 || value.get<std::int64_t>() > 365))
        refuse("De betaaltermijn moet tussen 0 en 365 dagen liggen.");
    if (key == "defaultHourlyRate" && value.get<std::int64_t>() < 0)
        refuse("Het standaard uurtarief mag niet negatief zijn.");
    if (key == "invoiceSeqNum" && value.get<std::int64_t>() < 1)
        refuse("Het volgende factuurnummer moet minstens 1 zijn.");
    if (key == "invoiceSeqPadding" && (value.get<std::int64_t>() < 0 || value.get<std::int64_t>() > 10))
        refuse("Het aantal cijfers van het factuurnummer moet tussen 0 en 10 liggen.");
    if (key == "defaultLanguage" && value != "nl" && value != "en")
        refuse("De standaardtaal moet nl of en zijn.");
}

}  // namespace

namespace orgsettings {

std::optional<StoredRecord> current(Connection& db, const std::string& organizationId) {
    for (StoredRecord& record : records::all(db, organizationId, std::string("orgSettings")))
        if (!record.deleted) return std::move(record);
    return std::nullopt;
}

StoredRecord write(Connection& db, const Caller& caller, Json payload, TimePoint now) {
    std::string id = payload.value("id", "");
    if (id.empty()) {
        id = randomUuid();
        payload["id"] = id;
    }
    payload["organizationId"] = caller.organizationId;
    payload["updatedAt"] = formatTimestampMillis(now);
    return invoicerecords::put(db, caller, SyncEntityType::orgSettings, id, std::move(payload), now);
}

}  // namespace orgsettings

Json orgSettings(const ServiceDatabase& database, const Caller& caller) {
    std::optional<StoredRecord> settings =
        database.read([&](Connection& db) { return orgsettings::current(db, caller.organizationId); });
    if (!settings) throw ServiceError(ErrorKind::notFound, "De organisatie heeft nog geen instellingen.");
    Json answer = std::move(settings->payload);
    answer.erase("revision");
    answer.erase("serverModifiedAt");
    return answer;
}

void patchOrgSettings(const ServiceDatabase& database, const Caller& caller, const Json& patch,
                      TimePoint now) {
    for (const auto& [key, value] : patch.items()) {
        checkType(memberOf(key), value);
        checkValue(key, value);
    }
    if (patch.empty()) return;  // nothing asked, nothing written
    database.write([&](Connection& db) {
        std::optional<StoredRecord> settings = orgsettings::current(db, caller.organizationId);
        Json payload = settings ? std::move(settings->payload) : Json::object();
        // A cleared member stays in the record as null: a device applies the members a pulled
        // record carries, so a member left out would keep its old value there.
        for (const auto& [key, value] : patch.items())
            payload[key] = value;
        orgsettings::write(db, caller, std::move(payload), now);
    });
}

}  // namespace zelvorin::service
