#include "service/store/MemberInvites.h"

#include "persistence/sqlite/Connection.h"

namespace zelvorin::service::memberinvites {

namespace {

constexpr const char* kColumns =
    "id, organization_id, email, role, first_name, last_name, invited_by, created_at, expires_at";

MemberInvite inviteAt(const Statement& row) {
    return {row.text(0), row.text(1), row.text(2), row.text(3), row.text(4),
            row.text(5), row.text(6), row.text(7), row.text(8)};
}

std::optional<MemberInvite> first(Statement& rows) {
    if (!rows.step()) return std::nullopt;
    return inviteAt(rows);
}

}  // namespace

void add(Connection& db, const MemberInvite& invite) {
    db.cached(std::string("INSERT INTO member_invite (") + kColumns + ") VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)")
        .bindAll(invite.id, invite.organizationId, invite.email, invite.role, invite.firstName,
                 invite.lastName, invite.invitedBy, invite.createdAt, invite.expiresAt)
        .run();
}

std::optional<MemberInvite> find(Connection& db, const std::string& organizationId, const std::string& id) {
    Statement& rows = db.cached(std::string("SELECT ") + kColumns +
                                " FROM member_invite WHERE organization_id = ? AND id = ?");
    rows.bindAll(organizationId, id);
    return first(rows);
}

std::optional<MemberInvite> findByEmail(Connection& db, const std::string& organizationId,
                                        const std::string& email) {
    Statement& rows = db.cached(std::string("SELECT ") + kColumns +
                                " FROM member_invite WHERE organization_id = ? AND lower(email) = lower(?)");
    rows.bindAll(organizationId, email);
    return first(rows);
}

std::vector<MemberInvite> of(Connection& db, const std::string& organizationId) {
    Statement& rows = db.cached(std::string("SELECT ") + kColumns +
                                " FROM member_invite WHERE organization_id = ? ORDER BY created_at, id");
    rows.bindAll(organizationId);
    std::vector<MemberInvite> invites;
    while (rows.step())
        invites.push_back(inviteAt(rows));
    return invites;
}

void renew(Connection& db, const std::string& organizationId, const std::string& id,
           const std::string& expiresAt) {
    db.cached("UPDATE member_invite SET expires_at = ? WHERE organization_id = ? AND id = ?")
        .bindAll(expiresAt, organizationId, id)
        .run();
}

bool remove(Connection& db, const std::string& organizationId, const std::string& id) {
    db.cached("DELETE FROM member_invite WHERE organization_id = ? AND id = ?")
        .bindAll(organizationId, id)
        .run();
    return db.changes() > 0;
}

}  // namespace zelvorin::service::memberinvites
