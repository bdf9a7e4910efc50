#pragma once

#include <optional>
#include <string>

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// A user's own profile: the account's name and e-mail with the phone number and photo it adds.
struct UserProfile {
    std::string id;
    std::string name;
    std::string email;
    std::optional<std::string> phone;
    std::optional<std::string> image;  // the photo's address ("api/uploads/<key>")
    std::string createdAt;
};

namespace userprofiles {

std::optional<UserProfile> find(Connection& db, const std::string& userId);
void setNameAndPhone(Connection& db, const std::string& userId, const std::string& name,
                     const std::optional<std::string>& phone);
void setImage(Connection& db, const std::string& userId, const std::string& image);

}  // namespace userprofiles
}  // namespace zelvorin::service
