#include "service/store/UserProfiles.h"

#include "persistence/sqlite/Connection.h"

namespace zelvorin::service::userprofiles {

std::optional<UserProfile> find(Connection& db, const std::string& userId) {
    Statement& row =
        db.cached("SELECT id, name, email, phone, image, created_at FROM user_account WHERE id = ?");
    row.bindAll(userId);
    if (!row.step()) return std::nullopt;
    return UserProfile{row.text(0),         row.text(1),         row.text(2),
                       row.optionalText(3), row.optionalText(4), row.text(5)};
}

void setNameAndPhone(Connection& db, const std::string& userId, const std::string& name,
                     const std::optional<std::string>& phone) {
    db.cached("UPDATE user_account SET name = ?, phone = ? WHERE id = ?").bindAll(name, phone, userId).run();
}

void setImage(Connection& db, const std::string& userId, const std::string& image) {
    db.cached("UPDATE user_account SET image = ? WHERE id = ?").bindAll(image, userId).run();
}

}  // namespace zelvorin::service::userprofiles
