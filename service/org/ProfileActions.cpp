#include "service/org/ProfileActions.h"

#include "domain/Uuid.h"
#include "service/ServiceTunables.h"
#include "service/http/JsonBody.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/org/UploadedImage.h"
#include "service/store/ServiceDatabase.h"
#include "service/store/StoredFiles.h"
#include "service/store/UserProfiles.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::size_t kMaxNameLength = 200;
constexpr std::size_t kMaxPhoneLength = 32;

Json profileJson(const UserProfile& user) {
    Json answer{{"id", user.id}, {"name", user.name}, {"email", user.email}};
    if (user.phone) answer["phone"] = *user.phone;
    if (user.image) answer["image"] = *user.image;
    answer["createdAt"] = user.createdAt;
    return answer;
}

UserProfile requireProfile(Connection& db, const Caller& caller) {
    std::optional<UserProfile> user = userprofiles::find(db, caller.userId);
    if (!user) throw ServiceError(ErrorKind::notFound, "Gebruiker niet gevonden.");
    return std::move(*user);
}

std::optional<std::string> checkedPhone(const Json& body) {
    const auto found = body.find("phone");
    if (found == body.end() || found->is_null()) return std::nullopt;
    if (!found->is_string())
        throw ServiceError(ErrorKind::unprocessable, "Het telefoonnummer moet tekst zijn.");
    const std::string phone = found->get<std::string>();
    if (phone.empty()) return std::nullopt;
    if (phone.size() > kMaxPhoneLength || phone.find_first_not_of("0123456789 +-()") != std::string::npos)
        throw ServiceError(ErrorKind::unprocessable, "'" + phone + "' is geen telefoonnummer.");
    return phone;
}

ImageRules portraitRules(const char* what) {
    return {tunables::kMaxPortraitBytes, tunables::kMaxPortraitSide, /*svgAllowed=*/false, what};
}

}  // namespace

Json profile(const ServiceDatabase& database, const Caller& caller) {
    return profileJson(database.read([&](Connection& db) { return requireProfile(db, caller); }));
}

Json patchProfile(const ServiceDatabase& database, const Caller& caller, const Json& body) {
    for (const auto& [key, value] : body.items())
        if (key != "name" && key != "phone")
            throw ServiceError(ErrorKind::unprocessable,
                               "Onbekend veld '" + key + "': alleen name en phone.");
    const std::string name = requiredText(body, "name");
    if (name.find_first_not_of(" \t") == std::string::npos || name.size() > kMaxNameLength)
        throw ServiceError(ErrorKind::unprocessable, "Geef een naam van 1 tot 200 tekens.");
    const std::optional<std::string> phone = checkedPhone(body);
    return profileJson(database.write([&](Connection& db) {
        requireProfile(db, caller);
        userprofiles::setNameAndPhone(db, caller.userId, name, phone);
        return requireProfile(db, caller);
    }));
}

Json uploadProfilePhoto(const ServiceDatabase& database, const Caller& caller, std::string_view bytes,
                        TimePoint now) {
    const UploadedImage image = checkUploadedImage(bytes, portraitRules("De foto"));
    const std::string fileName = "profile." + image.extension;
    const std::string key = "profiles/" + caller.userId + "/" + randomUuid() + "/" + fileName;
    const std::string address = "api/uploads/" + key;
    database.write([&](Connection& db) {
        requireProfile(db, caller);
        storedfiles::put(db, caller.organizationId, {key, fileName, image.contentType, std::string(bytes)},
                         now);
        userprofiles::setImage(db, caller.userId, address);
    });
    return Json{{"image", address}};
}

Json uploadAvatar(const ServiceDatabase& database, const Caller& caller, const std::string& entity,
                  const std::string& entityId, std::string_view bytes, TimePoint now) {
    SyncEntityType type = SyncEntityType::customer;
    if (entity == "contact" || entity == "contactPerson" || entity == "contact_person")
        type = SyncEntityType::contact;
    else if (entity != "customer")
        throw ServiceError(ErrorKind::badRequest,
                           "Een avatar hoort bij een klant (customer) of contactpersoon "
                           "(contact), niet bij '" +
                               entity + "'.");
    const UploadedImage image = checkUploadedImage(bytes, portraitRules("De avatar"));
    return database.write([&](Connection& db) {
        std::optional<StoredRecord> record =
            records::find(db, caller.organizationId, std::string(rawValue(type)), entityId);
        if (!record || record->deleted)
            throw ServiceError(ErrorKind::notFound, type == SyncEntityType::customer
                                                        ? "Klant niet gevonden."
                                                        : "Contactpersoon niet gevonden.");
        const std::string fileName = "avatar." + image.extension;
        const std::string key = "avatars/" + entityId + "/" + randomUuid() + "/" + fileName;
        storedfiles::put(db, caller.organizationId, {key, fileName, image.contentType, std::string(bytes)},
                         now);
        Json payload = std::move(record->payload);
        payload["avatarUrl"] = "api/uploads/" + key;
        const StoredRecord written = invoicerecords::put(db, caller, type, entityId, std::move(payload), now);
        return Json{{"avatarUrl", "api/uploads/" + key}, {"serverRevision", written.revision}};
    });
}

}  // namespace zelvorin::service
