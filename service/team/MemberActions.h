#pragma once

#include <optional>
#include <string>
#include <vector>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"
#include "service/store/Accounts.h"
#include "service/store/AuditLog.h"
#include "service/store/MemberInvites.h"
#include "service/store/SignIns.h"

namespace zelvorin::service {

class MailOutbox;
class ServiceDatabase;

// The members of an organisation and the invitations to join it. Each action is one transaction;
// a message it sends is taken back when the transaction does not commit. Roles are "owner",
// "admin" and "member"; owners and admins manage the team, only an owner makes or unmakes an
// owner, and an organisation always keeps at least one owner.

struct TeamMember {
    Membership membership;
    UserAccount user;
    std::optional<std::string> lastActive;  // the last time one of their sessions was seen
};

struct Team {
    std::vector<TeamMember> members;
    std::vector<MemberInvite> invites;
};

struct MemberDetail {
    TeamMember member;
    std::vector<DeviceSession> sessions;  // those that stand, oldest first
    std::vector<AuditEntry> activity;     // newest first
};

struct InviteRequest {
    std::string email;
    std::string role;
    std::string firstName;
    std::string lastName;
};

Team listTeam(const ServiceDatabase& database, const Caller& caller);
// An admin sees everyone; a member only themselves (forbidden otherwise); notFound for a user who
// is no member of the organisation.
MemberDetail memberDetail(const ServiceDatabase& database, const Caller& caller, const std::string& userId);

// Refused: an address that is no mailbox or an unknown role (badRequest), an owner invitation by a
// non-owner (forbidden), an address that is already a member or already invited (conflict).
MemberInvite inviteMember(const ServiceDatabase& database, const MailOutbox& outbox, const Caller& caller,
                          const InviteRequest& request, TimePoint now);
void resendInvite(const ServiceDatabase& database, const MailOutbox& outbox, const Caller& caller,
                  const std::string& inviteId, TimePoint now);
void removeInvite(const ServiceDatabase& database, const Caller& caller, const std::string& inviteId);

// Refused: an unknown role, a change to or from owner by a non-owner, the last owner demoted.
void changeRole(const ServiceDatabase& database, const Caller& caller, const std::string& userId,
                const std::string& role);
// A member renames themselves; an admin anyone of the organisation.
void renameMember(const ServiceDatabase& database, const Caller& caller, const std::string& userId,
                  const std::string& name);
// Mails the member a link to sign in again.
void sendPasswordReset(const ServiceDatabase& database, const MailOutbox& outbox, const Caller& caller,
                       const std::string& userId, TimePoint now);
// An admin removes anyone, a member themselves; never the last owner. Their sessions in the
// organisation are revoked with the membership.
void removeMember(const ServiceDatabase& database, const Caller& caller, const std::string& userId);

}  // namespace zelvorin::service
