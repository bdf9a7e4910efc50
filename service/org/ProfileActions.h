#pragma once

#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// The caller's own profile as NativeProfile.
nlohmann::ordered_json profile(const ServiceDatabase& database, const Caller& caller);

// Sets name and phone (null or empty clears the phone): a name that is empty or longer than 200
// characters, or a phone with other characters than digits, spaces and + - ( ), is unprocessable.
// Answers the new NativeProfile.
nlohmann::ordered_json patchProfile(const ServiceDatabase& database, const Caller& caller,
                                    const nlohmann::ordered_json& body);

// Keeps a profile photo (PNG, JPEG or WebP by content) under "profiles/<user>/<uuid>.<ext>" and
// makes it the profile's image. Answers {"image": "api/uploads/<key>"}.
nlohmann::ordered_json uploadProfilePhoto(const ServiceDatabase& database, const Caller& caller,
                                          std::string_view bytes, TimePoint now);

// Keeps a customer's or contact person's picture under "avatars/<entityId>/<uuid>.<ext>" and
// writes its address into the record's avatarUrl, in one transaction, so devices pull it.
// `entity` is "customer" or "contact" (also "contactPerson", "contact_person"); another entity is
// a badRequest, an id the organisation does not have a notFound. Answers AvatarUploadResponse.
nlohmann::ordered_json uploadAvatar(const ServiceDatabase& database, const Caller& caller,
                                    const std::string& entity, const std::string& entityId,
                                    std::string_view bytes, TimePoint now);

}  // namespace zelvorin::service
