#include "service/store/Accounts.h"

#include "persistence/ScalarStatements.h"
#include "persistence/sqlite/Connection.h"

namespace zelvorin::service::accounts {

namespace {

constexpr const char* kMembershipColumns =
    "SELECT organization_id, user_id, role, created_at FROM membership ";
constexpr const char* kUserColumns = "SELECT id, email, name, created_at FROM user_account ";

Organization readOrganization(const Statement& row) {
    return {row.text(0), row.text(1), row.text(2)};
}

UserAccount readUser(const Statement& row) {
    return {row.text(0), row.text(1), row.text(2), row.text(3)};
}

Membership readMembership(const Statement& row) {
    return {row.text(0), row.text(1), row.text(2), row.text(3)};
}

template <class T, class Read>
std::vector<T> all(Statement& rows, Read read) {
    std::vector<T> result;
    while (rows.step())
        result.push_back(read(rows));
    return result;
}

template <class T, class Read>
std::optional<T> first(Statement& rows, Read read) {
    if (!rows.step()) return std::nullopt;
    return read(rows);
}

}  // namespace

void addOrganization(Connection& db, const Organization& organization) {
    db.cached("INSERT INTO organization (id, name, created_at) VALUES (?, ?, ?)")
        .bindAll(organization.id, organization.name, organization.createdAt)
        .run();
}

void addUser(Connection& db, const UserAccount& user) {
    db.cached("INSERT INTO user_account (id, email, name, created_at) VALUES (?, ?, ?, ?)")
        .bindAll(user.id, user.email, user.name, user.createdAt)
        .run();
}

void addMembership(Connection& db, const Membership& membership) {
    db.cached("INSERT INTO membership (organization_id, user_id, role, created_at) VALUES (?, ?, ?, ?)")
        .bindAll(membership.organizationId, membership.userId, membership.role, membership.createdAt)
        .run();
}

bool anyOrganization(Connection& db) {
    return db.cached("SELECT 1 FROM organization LIMIT 1").step();
}

std::vector<Organization> organizations(Connection& db) {
    return all<Organization>(db.cached("SELECT id, name, created_at FROM organization ORDER BY id"),
                             readOrganization);
}

std::optional<Organization> organization(Connection& db, const std::string& id) {
    return first<Organization>(
        db.cached("SELECT id, name, created_at FROM organization WHERE id = ?").bindAll(id),
        readOrganization);
}

std::vector<UserAccount> users(Connection& db) {
    return all<UserAccount>(db.cached(std::string(kUserColumns) + "ORDER BY id"), readUser);
}

std::optional<UserAccount> user(Connection& db, const std::string& id) {
    return first<UserAccount>(db.cached(std::string(kUserColumns) + "WHERE id = ?").bindAll(id), readUser);
}

std::optional<UserAccount> userByEmail(Connection& db, const std::string& email) {
    return first<UserAccount>(db.cached(std::string(kUserColumns) + "WHERE email = ?").bindAll(email),
                              readUser);
}

std::vector<Membership> memberships(Connection& db) {
    return all<Membership>(db.cached(std::string(kMembershipColumns) + "ORDER BY organization_id, user_id"),
                           readMembership);
}

std::vector<Membership> membershipsOfUser(Connection& db, const std::string& userId) {
    return all<Membership>(
        db.cached(std::string(kMembershipColumns) + "WHERE user_id = ? ORDER BY created_at, organization_id")
            .bindAll(userId),
        readMembership);
}

std::optional<Membership> membership(Connection& db, const std::string& organizationId,
                                     const std::string& userId) {
    return first<Membership>(
        db.cached(std::string(kMembershipColumns) + "WHERE organization_id = ? AND user_id = ?")
            .bindAll(organizationId, userId),
        readMembership);
}

std::vector<Membership> membersOf(Connection& db, const std::string& organizationId) {
    return all<Membership>(
        db.cached(std::string(kMembershipColumns) + "WHERE organization_id = ? ORDER BY created_at, user_id")
            .bindAll(organizationId),
        readMembership);
}

int ownerCount(Connection& db, const std::string& organizationId) {
    return static_cast<int>(countRows(
        db, "SELECT count(*) FROM membership WHERE organization_id = ? AND role = 'owner'", organizationId));
}

void setRole(Connection& db, const std::string& organizationId, const std::string& userId,
             const std::string& role) {
    db.cached("UPDATE membership SET role = ? WHERE organization_id = ? AND user_id = ?")
        .bindAll(role, organizationId, userId)
        .run();
}

void setUserName(Connection& db, const std::string& userId, const std::string& name) {
    db.cached("UPDATE user_account SET name = ? WHERE id = ?").bindAll(name, userId).run();
}

void removeMembership(Connection& db, const std::string& organizationId, const std::string& userId) {
    db.cached("DELETE FROM membership WHERE organization_id = ? AND user_id = ?")
        .bindAll(organizationId, userId)
        .run();
}

}  // namespace zelvorin::service::accounts
