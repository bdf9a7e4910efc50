#include "service/org/FontActions.h"

#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "layout/FontFileFacts.h"
#include "service/ServiceTunables.h"
#include "service/http/ServiceError.h"
#include "service/store/OrgFonts.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char* kMissing = "Lettertype niet gevonden.";
constexpr std::size_t kMaxFamilyLength = 100;

Json variantJson(const OrgFont& font) {
    Json variant{
        {"id", font.id}, {"weight", font.weight}, {"style", font.style}, {"displayName", font.displayName}};
    if (font.subfamilyName) variant["subfamilyName"] = *font.subfamilyName;
    variant["storageKey"] = font.storageKey;
    if (font.postscriptName) variant["postscriptName"] = *font.postscriptName;
    return variant;
}

std::string checkedFamily(const std::optional<std::string>& family, const FontFileFacts& facts) {
    if (!family) return facts.family;
    const std::size_t start = family->find_first_not_of(" \t");
    if (start == std::string::npos)
        throw ServiceError(ErrorKind::badRequest, "Geef het lettertype een familienaam.");
    const std::string trimmed = family->substr(start, family->find_last_not_of(" \t") - start + 1);
    if (trimmed.size() > kMaxFamilyLength)
        throw ServiceError(ErrorKind::badRequest, "De familienaam is te lang (maximaal 100 tekens).");
    for (const char c : trimmed)
        if (static_cast<unsigned char>(c) < 0x20 || c == '"' || c == '\\')
            throw ServiceError(ErrorKind::badRequest,
                               "De familienaam bevat een teken dat niet is toegestaan.");
    return trimmed;
}

OrgFont requireFont(Connection& db, const Caller& caller, const std::string& id) {
    std::optional<OrgFont> font = orgfonts::find(db, caller.organizationId, id);
    if (!font) throw ServiceError(ErrorKind::notFound, kMissing);
    return std::move(*font);
}

}  // namespace

Json uploadFont(const ServiceDatabase& database, const Caller& caller, std::string_view bytes,
                const std::optional<std::string>& family, TimePoint now) {
    if (bytes.empty()) throw ServiceError(ErrorKind::badRequest, "Het lettertype is een leeg bestand.");
    if (bytes.size() > tunables::kMaxFontBytes)
        throw ServiceError(ErrorKind::payloadTooLarge, "Het lettertype is te groot: maximaal 20 MB.");
    const std::optional<FontFileFacts> facts = readFontFile(bytes);
    if (!facts)
        throw ServiceError(ErrorKind::unsupportedMediaType,
                           "Dit bestand is geen lettertype dat gelezen kan worden: alleen TrueType (.ttf) of "
                           "OpenType (.otf) met één letterstijl.");
    OrgFont font;
    font.id = randomUuid();
    font.family = checkedFamily(family, *facts);
    font.weight = facts->weight;
    font.style = facts->italic ? "italic" : "normal";
    font.subfamilyName = facts->subfamily.empty() ? std::nullopt : std::optional(facts->subfamily);
    font.displayName = font.family + (facts->subfamily.empty() ? "" : " " + facts->subfamily);
    font.postscriptName = facts->postscriptName.empty() ? std::nullopt : std::optional(facts->postscriptName);
    font.storageKey = "fonts/" + font.id + "." + facts->format;
    font.createdAt = formatTimestampMillis(now);
    database.write([&](Connection& db) {
        if (!orgfonts::add(db, caller.organizationId, font))
            throw ServiceError(ErrorKind::conflict, "De organisatie heeft al een lettertype " + font.family +
                                                        " in deze dikte en stijl.");
        storedfiles::put(
            db, caller.organizationId,
            {font.storageKey, font.id + "." + facts->format, "font/" + facts->format, std::string(bytes)},
            now);
    });
    Json result{{"id", font.id},         {"displayName", font.displayName},
                {"family", font.family}, {"weight", font.weight},
                {"style", font.style},   {"storageKey", font.storageKey}};
    if (font.postscriptName) result["postscriptName"] = *font.postscriptName;
    return result;
}

Json listFonts(const ServiceDatabase& database, const Caller& caller) {
    const std::vector<OrgFont> fonts =
        database.read([&](Connection& db) { return orgfonts::all(db, caller.organizationId); });
    Json families = Json::array();
    for (const OrgFont& font : fonts) {
        if (families.empty() || families.back()["family"] != font.family)
            families.push_back(Json{{"family", font.family}, {"variants", Json::array()}});
        families.back()["variants"].push_back(variantJson(font));
    }
    return Json{{"families", std::move(families)}};
}

void deleteFont(const ServiceDatabase& database, const Caller& caller, const std::string& id) {
    database.write([&](Connection& db) {
        const OrgFont font = requireFont(db, caller, id);
        orgfonts::remove(db, caller.organizationId, id);
        storedfiles::remove(db, caller.organizationId, font.storageKey);
    });
}

StoredFile fontFile(const ServiceDatabase& database, const Caller& caller, const std::string& id) {
    return database.read([&](Connection& db) {
        const OrgFont font = requireFont(db, caller, id);
        std::optional<StoredFile> file = storedfiles::find(db, caller.organizationId, font.storageKey);
        if (!file) throw ServiceError(ErrorKind::notFound, kMissing);
        return std::move(*file);
    });
}

}  // namespace zelvorin::service
