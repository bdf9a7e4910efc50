#include "api-client/OrgRecords.h"

#include <charconv>
#include <utility>
#include <variant>

#include "api-client/ResponseFields.h"

namespace zelvorin::org {

namespace fields = responsefields;
using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

namespace {

// A record's optional members in their order, each by key and member pointer, so that decoding,
// encoding and setting by name walk one list.
template <class Record>
using Member =
    std::variant<std::optional<std::string> Record::*, std::optional<std::int64_t> Record::*,
                 std::optional<bool> Record::*, std::optional<std::optional<std::string>> Record::*,
                 std::optional<std::optional<std::int64_t>> Record::*>;
template <class Record>
using MemberList = std::vector<std::pair<const char*, Member<Record>>>;

const MemberList<NativeOrgSettings>& settingsMembers() {
    using S = NativeOrgSettings;
    static const MemberList<S> members{
        {"orgName", &S::orgName},
        {"addressStreet", &S::addressStreet},
        {"addressPostal", &S::addressPostal},
        {"addressCity", &S::addressCity},
        {"orgPhone", &S::orgPhone},
        {"orgEmail", &S::orgEmail},
        {"kvkNumber", &S::kvkNumber},
        {"vatNumber", &S::vatNumber},
        {"iban", &S::iban},
        {"bic", &S::bic},
        {"invoicePrefix", &S::invoicePrefix},
        {"invoiceTemplate", &S::invoiceTemplate},
        {"invoiceSeqNum", &S::invoiceSeqNum},
        {"invoiceSeqPadding", &S::invoiceSeqPadding},
        {"paymentTermsDays", &S::paymentTermsDays},
        {"defaultHourlyRate", &S::defaultHourlyRate},
        {"vatRateDefault", &S::vatRateDefault},
        {"footerText", &S::footerText},
        {"verlegdNote", &S::verlegdNote},
        {"dateFormat", &S::dateFormat},
        {"defaultLanguage", &S::defaultLanguage},
        {"googleFontsEnabled", &S::googleFontsEnabled},
        {"updatedAt", &S::updatedAt},
        {"emailProvider", &S::emailProvider},
        {"emailProviderFallback", &S::emailProviderFallback},
        {"replyToEmail", &S::replyToEmail},
        {"googleConnected", &S::googleConnected},
        {"kvitraScanEnabled", &S::kvitraScanEnabled},
        {"portalLinkEnabled", &S::portalLinkEnabled},
        {"idealEnabledDefault", &S::idealEnabledDefault},
        {"invoiceEmailStyle", &S::invoiceEmailStyle},
        {"portalShowLogo", &S::portalShowLogo},
        {"portalShowOrgName", &S::portalShowOrgName},
    };
    return members;
}

const MemberList<OrgSettingsPatch>& patchMembers() {
    using P = OrgSettingsPatch;
    static const MemberList<P> members{
        {"orgName", &P::orgName},
        {"addressStreet", &P::addressStreet},
        {"addressPostal", &P::addressPostal},
        {"addressCity", &P::addressCity},
        {"orgPhone", &P::orgPhone},
        {"orgEmail", &P::orgEmail},
        {"kvkNumber", &P::kvkNumber},
        {"vatNumber", &P::vatNumber},
        {"iban", &P::iban},
        {"bic", &P::bic},
        {"invoicePrefix", &P::invoicePrefix},
        {"invoiceTemplate", &P::invoiceTemplate},
        {"invoiceSeqNum", &P::invoiceSeqNum},
        {"invoiceSeqPadding", &P::invoiceSeqPadding},
        {"paymentTermsDays", &P::paymentTermsDays},
        {"defaultHourlyRate", &P::defaultHourlyRate},
        {"vatRateDefault", &P::vatRateDefault},
        {"footerText", &P::footerText},
        {"verlegdNote", &P::verlegdNote},
        {"dateFormat", &P::dateFormat},
        {"defaultLanguage", &P::defaultLanguage},
        {"currency", &P::currency},
        {"numberFormat", &P::numberFormat},
        {"timezone", &P::timezone},
        {"emailProvider", &P::emailProvider},
        {"emailProviderFallback", &P::emailProviderFallback},
        {"replyToEmail", &P::replyToEmail},
        {"kvitraScanEnabled", &P::kvitraScanEnabled},
        {"googleFontsEnabled", &P::googleFontsEnabled},
        {"portalLinkEnabled", &P::portalLinkEnabled},
        {"idealEnabledDefault", &P::idealEnabledDefault},
        {"invoiceEmailStyle", &P::invoiceEmailStyle},
        {"portalShowLogo", &P::portalShowLogo},
        {"portalShowOrgName", &P::portalShowOrgName},
    };
    return members;
}

std::optional<std::int64_t> optionalInteger(const Json& body, const char* key) {
    const auto found = body.find(key);
    if (found == body.end() || found->is_null()) return std::nullopt;
    return fields::integer(body, key);
}

template <class T>
std::optional<T> decoded(const Json& body, const char* key) {
    if constexpr (std::is_same_v<T, std::string>) return fields::optionalText(body, key);
    if constexpr (std::is_same_v<T, std::int64_t>) return optionalInteger(body, key);
    if constexpr (std::is_same_v<T, bool>) return fields::optionalFlag(body, key);
}

template <class T>
void decodeInto(std::optional<T>& member, const Json& body, const char* key) {
    member = decoded<T>(body, key);
}
// A three-state member is only ever sent, never received.
template <class T>
void decodeInto(std::optional<std::optional<T>>&, const Json&, const char*) {}

template <class T>
void encode(OrderedJson& json, const char* key, const std::optional<T>& value) {
    if (value) json[key] = *value;
}
template <class T>
void encode(OrderedJson& json, const char* key, const std::optional<std::optional<T>>& value) {
    if (value) json[key] = *value ? OrderedJson(**value) : OrderedJson();
}

template <class Record>
OrderedJson encodeMembers(const Record& record, const MemberList<Record>& members) {
    OrderedJson json = OrderedJson::object();
    // Named, not bound: clang 14 cannot capture a structured binding in a lambda.
    for (const auto& entry : members) {
        const char* key = entry.first;
        std::visit([&](auto pointer) { encode(json, key, record.*pointer); }, entry.second);
    }
    return json;
}

std::optional<std::int64_t> parseInteger(const std::string& text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

template <class T>
std::optional<T> parsed(const std::string& text) {
    if constexpr (std::is_same_v<T, std::string>) return text;
    if constexpr (std::is_same_v<T, std::int64_t>) return parseInteger(text);
    if constexpr (std::is_same_v<T, bool>) {
        if (text == "true") return true;
        if (text == "false") return false;
        return std::nullopt;
    }
}

template <class T>
bool assign(std::optional<T>& member, const std::string& text) {
    std::optional<T> value = parsed<T>(text);
    if (!value) return false;
    member = std::move(value);
    return true;
}
template <class T>
bool assign(std::optional<std::optional<T>>& member, const std::string& text) {
    if (text == "null") {
        member = std::optional<T>();
        return true;
    }
    std::optional<T> value = parsed<T>(text);
    if (!value) return false;
    member = std::move(value);
    return true;
}

OrderedJson oauthJson(const OAuth& oauth) {
    OrderedJson json{{"connected", oauth.connected}, {"tokenExpired", oauth.tokenExpired}};
    if (oauth.email) json["email"] = *oauth.email;
    json["autoUpload"] = oauth.autoUpload;
    json["folderTemplate"] = oauth.folderTemplate;
    return json;
}

OAuth oauthOf(const Json& body) {
    fields::object(body);
    return {fields::flag(body, "connected"), fields::flag(body, "tokenExpired"),
            fields::optionalText(body, "email"), fields::flag(body, "autoUpload"),
            fields::text(body, "folderTemplate")};
}

}  // namespace

NativeOrgSettings NativeOrgSettings::fromJson(const Json& body) {
    fields::object(body);
    NativeOrgSettings settings;
    settings.id = fields::text(body, "id");
    settings.organizationId = fields::text(body, "organizationId");
    for (const auto& [key, member] : settingsMembers())
        std::visit([&, key = key](auto pointer) { decodeInto(settings.*pointer, body, key); }, member);
    return settings;
}

OrderedJson NativeOrgSettings::toJson() const {
    OrderedJson json{{"id", id}, {"organizationId", organizationId}};
    json.update(encodeMembers(*this, settingsMembers()));
    return json;
}

OrderedJson OrgSettingsPatch::toJson() const {
    return encodeMembers(*this, patchMembers());
}

bool OrgSettingsPatch::set(const std::string& key, const std::string& value) {
    for (const auto& [name, member] : patchMembers())
        if (key == name)
            return std::visit([&](auto pointer) { return assign(this->*pointer, value); }, member);
    return false;
}

NativeProfile NativeProfile::fromJson(const Json& body) {
    fields::object(body);
    return {fields::text(body, "id"),
            fields::text(body, "name"),
            fields::text(body, "email"),
            fields::optionalText(body, "phone"),
            fields::optionalText(body, "image"),
            fields::text(body, "createdAt")};
}

OrderedJson NativeProfile::toJson() const {
    OrderedJson json{{"id", id}, {"name", name}, {"email", email}};
    encode(json, "phone", phone);
    encode(json, "image", image);
    json["createdAt"] = createdAt;
    return json;
}

NativeFontVariant NativeFontVariant::fromJson(const Json& body) {
    fields::object(body);
    return {fields::text(body, "id"),
            fields::integer(body, "weight"),
            fields::text(body, "style"),
            fields::text(body, "displayName"),
            fields::optionalText(body, "subfamilyName"),
            fields::text(body, "storageKey"),
            fields::optionalText(body, "postscriptName")};
}

OrderedJson NativeFontVariant::toJson() const {
    OrderedJson json{{"id", id}, {"weight", weight}, {"style", style}, {"displayName", displayName}};
    encode(json, "subfamilyName", subfamilyName);
    json["storageKey"] = storageKey;
    encode(json, "postscriptName", postscriptName);
    return json;
}

NativeFontFamily NativeFontFamily::fromJson(const Json& body) {
    NativeFontFamily family{fields::text(body, "family"), {}};
    for (const Json& variant : fields::array(body, "variants"))
        family.variants.push_back(NativeFontVariant::fromJson(variant));
    return family;
}

OrderedJson NativeFontFamily::toJson() const {
    OrderedJson list = OrderedJson::array();
    for (const NativeFontVariant& variant : variants)
        list.push_back(variant.toJson());
    return {{"family", family}, {"variants", std::move(list)}};
}

NativeFontUploadResult NativeFontUploadResult::fromJson(const Json& body) {
    fields::object(body);
    return {fields::text(body, "id"),
            fields::text(body, "displayName"),
            fields::text(body, "family"),
            fields::integer(body, "weight"),
            fields::text(body, "style"),
            fields::text(body, "storageKey"),
            fields::optionalText(body, "postscriptName")};
}

OrderedJson NativeFontUploadResult::toJson() const {
    OrderedJson json{{"id", id},       {"displayName", displayName}, {"family", family}, {"weight", weight},
                     {"style", style}, {"storageKey", storageKey}};
    encode(json, "postscriptName", postscriptName);
    return json;
}

NativeIntegrationStatus NativeIntegrationStatus::fromJson(const Json& body) {
    fields::object(body);
    NativeIntegrationStatus status;
    status.google = oauthOf(fields::objectMember(body, "google"));
    status.dropbox = oauthOf(fields::objectMember(body, "dropbox"));
    const Json& bunq = fields::objectMember(body, "bunq");
    status.bunq = {fields::flag(bunq, "connected"), fields::optionalText(bunq, "status"),
                   fields::optionalText(bunq, "userName")};
    const Json& folders = fields::objectMember(body, "kvitraFolders");
    status.kvitraFolders = {fields::text(folders, "zakelijk"), fields::text(folders, "prive"),
                            fields::text(folders, "gemengd")};
    status.mollieConfigured = fields::flag(body, "mollieConfigured");
    status.resendConfigured = fields::flag(body, "resendConfigured");
    status.postcodeConfigured = fields::flag(body, "postcodeConfigured");
    status.anthropicConfigured = fields::flag(body, "anthropicConfigured");
    return status;
}

OrderedJson NativeIntegrationStatus::toJson() const {
    OrderedJson bunqJson{{"connected", bunq.connected}};
    encode(bunqJson, "status", bunq.status);
    encode(bunqJson, "userName", bunq.userName);
    return {{"google", oauthJson(google)},
            {"dropbox", oauthJson(dropbox)},
            {"bunq", std::move(bunqJson)},
            {"kvitraFolders",
             {{"zakelijk", kvitraFolders.zakelijk},
              {"prive", kvitraFolders.prive},
              {"gemengd", kvitraFolders.gemengd}}},
            {"mollieConfigured", mollieConfigured},
            {"resendConfigured", resendConfigured},
            {"postcodeConfigured", postcodeConfigured},
            {"anthropicConfigured", anthropicConfigured}};
}

OrderedJson IntegrationKeyBody::toJson() const {
    return {{"provider", provider}, {"value", value ? OrderedJson(*value) : OrderedJson()}};
}

NativeGoogleCalendars NativeGoogleCalendars::fromJson(const Json& body) {
    fields::object(body);
    NativeGoogleCalendars calendars{
        fields::flag(body, "connected"), {}, fields::optionalText(body, "driveCalendarId")};
    for (const Json& calendar : fields::array(body, "calendars"))
        calendars.calendars.push_back({fields::text(calendar, "id"), fields::text(calendar, "summary")});
    return calendars;
}

}  // namespace zelvorin::org
