#include "service/team/MemberActions.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>

#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "service/ServiceTunables.h"
#include "service/http/ServiceError.h"
#include "service/invoices/MailMessage.h"
#include "service/invoices/MessageTransaction.h"
#include "service/store/RequestAudit.h"
#include "service/store/ServiceDatabase.h"
#include "service/team/TeamMail.h"

namespace zelvorin::service {

namespace {

constexpr std::string_view kRoles[] = {"owner", "admin", "member"};
constexpr std::size_t kMaxNameLength = 200;

void requireRole(const std::string& role) {
    if (std::find(std::begin(kRoles), std::end(kRoles), role) == std::end(kRoles))
        throw ServiceError(ErrorKind::badRequest,
                           "Onbekende rol '" + role + "'; kies owner, admin of member.");
}

void requireAdministrator(const Caller& caller) {
    if (!caller.membership || !caller.membership->isAdministrator())
        throw ServiceError(ErrorKind::forbidden, "Alleen eigenaren en beheerders kunnen dit doen.");
}

bool callerIsOwner(const Caller& caller) {
    return caller.membership && caller.membership->role == "owner";
}

TeamMember memberOf(Connection& db, const Caller& caller, const std::string& userId) {
    std::optional<Membership> membership = accounts::membership(db, caller.organizationId, userId);
    std::optional<UserAccount> user = membership ? accounts::user(db, userId) : std::nullopt;
    if (!user) throw ServiceError(ErrorKind::notFound, "Dit lid hoort niet bij deze organisatie.");
    return {std::move(*membership), std::move(*user), std::nullopt};
}

std::string lowered(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Addresses are compared without case: "Eva@X.nl" is the member eva@x.nl.
bool isMemberAddress(Connection& db, const std::string& organizationId, const std::string& email) {
    const std::string wanted = lowered(email);
    for (const Membership& membership : accounts::membersOf(db, organizationId)) {
        const std::optional<UserAccount> user = accounts::user(db, membership.userId);
        if (user && lowered(user->email) == wanted) return true;
    }
    return false;
}

std::string organizationName(Connection& db, const std::string& organizationId) {
    const std::optional<Organization> organization = accounts::organization(db, organizationId);
    return organization ? organization->name : "je organisatie";
}

std::string expiryFrom(TimePoint now) {
    return formatTimestampSeconds(now + std::chrono::hours(24 * tunables::kInviteLifetimeDays));
}

}  // namespace

Team listTeam(const ServiceDatabase& database, const Caller& caller) {
    return database.read([&](Connection& db) {
        Team team;
        std::vector<DeviceSession> sessions = signins::sessionsOf(db, caller.organizationId);
        for (Membership& membership : accounts::membersOf(db, caller.organizationId)) {
            std::optional<UserAccount> user = accounts::user(db, membership.userId);
            if (!user) continue;
            std::optional<std::string> lastActive;
            for (const DeviceSession& session : sessions) {
                if (session.userId == membership.userId && (!lastActive || session.lastSeenAt > *lastActive))
                    lastActive = session.lastSeenAt;
            }
            team.members.push_back({std::move(membership), std::move(*user), std::move(lastActive)});
        }
        team.invites = memberinvites::of(db, caller.organizationId);
        return team;
    });
}

MemberDetail memberDetail(const ServiceDatabase& database, const Caller& caller, const std::string& userId) {
    if (userId != caller.userId) requireAdministrator(caller);
    return database.read([&](Connection& db) {
        MemberDetail detail{memberOf(db, caller, userId), {}, {}};
        for (DeviceSession& session : signins::sessionsOf(db, caller.organizationId)) {
            if (session.userId == userId && !session.revoked) detail.sessions.push_back(std::move(session));
        }
        detail.activity =
            auditlog::newestOfUser(db, caller.organizationId, userId, tunables::kMemberActivityEntries);
        return detail;
    });
}

MemberInvite inviteMember(const ServiceDatabase& database, const MailOutbox& outbox, const Caller& caller,
                          const InviteRequest& request, TimePoint now) {
    requireAdministrator(caller);
    if (!isDeliverableAddress(request.email))
        throw ServiceError(ErrorKind::badRequest, "'" + request.email + "' is geen e-mailadres.");
    requireRole(request.role);
    if (request.role == "owner" && !callerIsOwner(caller))
        throw ServiceError(ErrorKind::forbidden, "Alleen een eigenaar kan iemand als eigenaar uitnodigen.");
    if (request.firstName.size() > kMaxNameLength || request.lastName.size() > kMaxNameLength)
        throw ServiceError(ErrorKind::badRequest, "Een naam is hoogstens 200 tekens lang.");
    return inTransactionWithMessage(database, [&](Connection& db, std::filesystem::path& written) {
        if (isMemberAddress(db, caller.organizationId, request.email))
            throw ServiceError(ErrorKind::conflict, request.email + " is al lid van deze organisatie.");
        if (memberinvites::findByEmail(db, caller.organizationId, request.email))
            throw ServiceError(ErrorKind::conflict,
                               request.email + " is al uitgenodigd; stuur de uitnodiging zo nodig opnieuw.");
        const MemberInvite invite{randomUuid(),  caller.organizationId,       request.email,
                                  request.role,  request.firstName,           request.lastName,
                                  caller.userId, formatTimestampSeconds(now), expiryFrom(now)};
        memberinvites::add(db, invite);
        RequestAudit::describe("memberInvite", invite.id);
        const std::optional<UserAccount> inviter = accounts::user(db, caller.userId);
        written = mailInvitation(outbox, invite, organizationName(db, caller.organizationId),
                                 inviter ? inviter->name : "Een collega", now);
        return invite;
    });
}

void resendInvite(const ServiceDatabase& database, const MailOutbox& outbox, const Caller& caller,
                  const std::string& inviteId, TimePoint now) {
    requireAdministrator(caller);
    inTransactionWithMessage(database, [&](Connection& db, std::filesystem::path& written) {
        std::optional<MemberInvite> invite = memberinvites::find(db, caller.organizationId, inviteId);
        if (!invite) throw ServiceError(ErrorKind::notFound, "Deze uitnodiging bestaat niet.");
        invite->expiresAt = expiryFrom(now);
        memberinvites::renew(db, caller.organizationId, inviteId, invite->expiresAt);
        RequestAudit::describe("memberInvite", inviteId);
        const std::optional<UserAccount> inviter = accounts::user(db, caller.userId);
        written = mailInvitation(outbox, *invite, organizationName(db, caller.organizationId),
                                 inviter ? inviter->name : "Een collega", now);
        return 0;
    });
}

void removeInvite(const ServiceDatabase& database, const Caller& caller, const std::string& inviteId) {
    requireAdministrator(caller);
    database.write([&](Connection& db) {
        RequestAudit::describe("memberInvite", inviteId);
        if (!memberinvites::remove(db, caller.organizationId, inviteId))
            throw ServiceError(ErrorKind::notFound, "Deze uitnodiging bestaat niet.");
    });
}

void changeRole(const ServiceDatabase& database, const Caller& caller, const std::string& userId,
                const std::string& role) {
    requireAdministrator(caller);
    requireRole(role);
    database.write([&](Connection& db) {
        const TeamMember member = memberOf(db, caller, userId);
        if (member.membership.role == role) return;
        if ((role == "owner" || member.membership.role == "owner") && !callerIsOwner(caller))
            throw ServiceError(ErrorKind::forbidden,
                               "Alleen een eigenaar kan iemand eigenaar maken of dat afnemen.");
        if (member.membership.role == "owner" && accounts::ownerCount(db, caller.organizationId) == 1)
            throw ServiceError(
                ErrorKind::conflict,
                "De laatste eigenaar kan geen andere rol krijgen; maak eerst iemand anders eigenaar.");
        accounts::setRole(db, caller.organizationId, userId, role);
        RequestAudit::describe("member", userId,
                               "{\"from\":\"" + member.membership.role + "\",\"to\":\"" + role + "\"}");
    });
}

void renameMember(const ServiceDatabase& database, const Caller& caller, const std::string& userId,
                  const std::string& name) {
    if (userId != caller.userId) requireAdministrator(caller);
    std::string trimmed = name;
    trimmed.erase(0, trimmed.find_first_not_of(" \t\r\n"));
    trimmed.erase(trimmed.find_last_not_of(" \t\r\n") + 1);
    if (trimmed.empty()) throw ServiceError(ErrorKind::badRequest, "Vul een naam in.");
    if (trimmed.size() > kMaxNameLength)
        throw ServiceError(ErrorKind::badRequest, "Een naam is hoogstens 200 tekens lang.");
    database.write([&](Connection& db) {
        memberOf(db, caller, userId);
        accounts::setUserName(db, userId, trimmed);
        RequestAudit::describe("member", userId);
    });
}

void sendPasswordReset(const ServiceDatabase& database, const MailOutbox& outbox, const Caller& caller,
                       const std::string& userId, TimePoint now) {
    requireAdministrator(caller);
    inTransactionWithMessage(database, [&](Connection& db, std::filesystem::path& written) {
        const TeamMember member = memberOf(db, caller, userId);
        written = mailPasswordReset(outbox, member.user, organizationName(db, caller.organizationId), now);
        // The change is the message, outside the database: the action is logged all the same.
        RequestAudit::describe("member", userId);
        RequestAudit::writeNow(db);
        return 0;
    });
}

void removeMember(const ServiceDatabase& database, const Caller& caller, const std::string& userId) {
    if (userId != caller.userId) requireAdministrator(caller);
    database.write([&](Connection& db) {
        const TeamMember member = memberOf(db, caller, userId);
        if (member.membership.role == "owner" && accounts::ownerCount(db, caller.organizationId) == 1)
            throw ServiceError(ErrorKind::conflict,
                               "De laatste eigenaar kan niet uit de organisatie worden verwijderd.");
        accounts::removeMembership(db, caller.organizationId, userId);
        signins::revokeUserSessions(db, userId, caller.organizationId);
        RequestAudit::describe("member", userId);
    });
}

}  // namespace zelvorin::service
