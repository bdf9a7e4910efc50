#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// The organisation's records: its settings and the patch that changes them, the caller's profile,
// the organisation's fonts and its integrations. Decoding follows the service's answer member by
// member (APIError::InvalidResponse when a member that must be there is missing or mistyped);
// encoding writes the keys exactly as named, leaving absent optionals out.
namespace zelvorin::org {

struct NativeOrgSettings {
    std::string id;
    std::string organizationId;
    std::optional<std::string> orgName, addressStreet, addressPostal, addressCity, orgPhone, orgEmail,
        kvkNumber, vatNumber, iban, bic, invoicePrefix, invoiceTemplate;
    std::optional<std::int64_t> invoiceSeqNum, invoiceSeqPadding, paymentTermsDays, defaultHourlyRate,
        vatRateDefault;
    std::optional<std::string> footerText, verlegdNote, dateFormat, defaultLanguage;
    std::optional<bool> googleFontsEnabled;
    std::optional<std::string> updatedAt, emailProvider, emailProviderFallback, replyToEmail;
    std::optional<bool> googleConnected, kvitraScanEnabled, portalLinkEnabled, idealEnabledDefault;
    std::optional<std::string> invoiceEmailStyle;
    std::optional<bool> portalShowLogo, portalShowOrgName;

    static NativeOrgSettings fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
    bool operator==(const NativeOrgSettings&) const = default;
};

// A change of the settings. A member left out is kept; defaultHourlyRate, emailProviderFallback and
// replyToEmail have a third state: set to an inner nothing, they are written as null (cleared).
struct OrgSettingsPatch {
    std::optional<std::string> orgName, addressStreet, addressPostal, addressCity, orgPhone, orgEmail,
        kvkNumber, vatNumber, iban, bic, invoicePrefix, invoiceTemplate;
    std::optional<std::int64_t> invoiceSeqNum, invoiceSeqPadding, paymentTermsDays;
    std::optional<std::optional<std::int64_t>> defaultHourlyRate;
    std::optional<std::int64_t> vatRateDefault;
    std::optional<std::string> footerText, verlegdNote, dateFormat, defaultLanguage, currency, numberFormat,
        timezone, emailProvider;
    std::optional<std::optional<std::string>> emailProviderFallback, replyToEmail;
    std::optional<bool> kvitraScanEnabled, googleFontsEnabled, portalLinkEnabled, idealEnabledDefault;
    std::optional<std::string> invoiceEmailStyle;
    std::optional<bool> portalShowLogo, portalShowOrgName;

    nlohmann::ordered_json toJson() const;
    // Sets the member named `key` from typed text: a whole number, "true"/"false", or "null" for
    // the three members that can be cleared. False for an unknown key or a value of the wrong
    // shape; the patch is then unchanged.
    bool set(const std::string& key, const std::string& value);
};

struct NativeProfile {
    std::string id;
    std::string name;
    std::string email;
    std::optional<std::string> phone;
    std::optional<std::string> image;
    std::string createdAt;
    static NativeProfile fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
};

struct NativeFontVariant {
    std::string id;
    std::int64_t weight = 400;
    std::string style;
    std::string displayName;
    std::optional<std::string> subfamilyName;
    std::string storageKey;
    std::optional<std::string> postscriptName;
    static NativeFontVariant fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
};

struct NativeFontFamily {
    std::string family;
    std::vector<NativeFontVariant> variants;
    static NativeFontFamily fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
};

struct NativeFontUploadResult {
    std::string id;
    std::string displayName;
    std::string family;
    std::int64_t weight = 400;
    std::string style;
    std::string storageKey;
    std::optional<std::string> postscriptName;
    static NativeFontUploadResult fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
};

struct OAuth {
    bool connected = false;
    bool tokenExpired = false;
    std::optional<std::string> email;
    bool autoUpload = false;
    std::string folderTemplate;
};
struct Bunq {
    bool connected = false;
    std::optional<std::string> status;
    std::optional<std::string> userName;
};
struct KvitraFolders {
    std::string zakelijk, prive, gemengd;
};
struct NativeIntegrationStatus {
    OAuth google, dropbox;
    Bunq bunq;
    KvitraFolders kvitraFolders;
    bool mollieConfigured = false, resendConfigured = false, postcodeConfigured = false,
         anthropicConfigured = false;
    static NativeIntegrationStatus fromJson(const nlohmann::json& body);
    nlohmann::ordered_json toJson() const;
};

// The key of an outside service; a value of nothing is written as null and removes the key.
struct IntegrationKeyBody {
    std::string provider;
    std::optional<std::string> value;
    nlohmann::ordered_json toJson() const;
};

struct NativeCalendar {
    std::string id;
    std::string summary;
};
struct NativeGoogleCalendars {
    bool connected = false;
    std::vector<NativeCalendar> calendars;
    std::optional<std::string> driveCalendarId;
    static NativeGoogleCalendars fromJson(const nlohmann::json& body);
};

}  // namespace zelvorin::org
