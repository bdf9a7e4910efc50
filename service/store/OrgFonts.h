#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// One face an organisation uploaded; its file is the stored file under storageKey.
struct OrgFont {
    std::string id;
    std::string family;
    int weight = 400;
    std::string style;  // "normal" or "italic"
    std::string displayName;
    std::optional<std::string> subfamilyName;
    std::optional<std::string> postscriptName;
    std::string storageKey;
    std::string createdAt;
};

namespace orgfonts {

// Adds the face; false (nothing written) when the organisation has a face of that family, weight
// and style already.
bool add(Connection& db, const std::string& organizationId, const OrgFont& font);
// By family, then weight, then style.
std::vector<OrgFont> all(Connection& db, const std::string& organizationId);
std::optional<OrgFont> find(Connection& db, const std::string& organizationId, const std::string& id);
void remove(Connection& db, const std::string& organizationId, const std::string& id);

}  // namespace orgfonts
}  // namespace zelvorin::service
