#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// An invitation to join an organisation, open until it expires or is withdrawn. At most one per
// address and organisation (addresses compared without case).
struct MemberInvite {
    std::string id;
    std::string organizationId;
    std::string email;
    std::string role;  // "owner", "admin" or "member"
    std::string firstName;
    std::string lastName;
    std::string invitedBy;  // user id
    std::string createdAt;
    std::string expiresAt;
};

namespace memberinvites {

void add(Connection& db, const MemberInvite& invite);
std::optional<MemberInvite> find(Connection& db, const std::string& organizationId, const std::string& id);
std::optional<MemberInvite> findByEmail(Connection& db, const std::string& organizationId,
                                        const std::string& email);
// The organisation's invitations, oldest first.
std::vector<MemberInvite> of(Connection& db, const std::string& organizationId);
void renew(Connection& db, const std::string& organizationId, const std::string& id,
           const std::string& expiresAt);
// Returns whether there was one.
bool remove(Connection& db, const std::string& organizationId, const std::string& id);

}  // namespace memberinvites
}  // namespace zelvorin::service
