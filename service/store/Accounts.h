#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

struct Organization {
    std::string id;
    std::string name;
    std::string createdAt;
};

struct UserAccount {
    std::string id;
    std::string email;
    std::string name;
    std::string createdAt;
};

struct Membership {
    std::string organizationId;
    std::string userId;
    std::string role;  // "owner", "admin" or "member"
    std::string createdAt;

    bool isAdministrator() const { return role == "owner" || role == "admin"; }
};

// Users, organisations and memberships, on a connection of ServiceDatabase::read or write.
namespace accounts {

void addOrganization(Connection& db, const Organization& organization);
void addUser(Connection& db, const UserAccount& user);
void addMembership(Connection& db, const Membership& membership);

bool anyOrganization(Connection& db);
std::vector<Organization> organizations(Connection& db);  // by id
std::optional<Organization> organization(Connection& db, const std::string& id);
std::vector<UserAccount> users(Connection& db);  // by id
std::optional<UserAccount> user(Connection& db, const std::string& id);
std::optional<UserAccount> userByEmail(Connection& db, const std::string& email);
std::vector<Membership> memberships(Connection& db);  // by organisation, then user
std::vector<Membership> membershipsOfUser(Connection& db, const std::string& userId);  // oldest first
std::optional<Membership> membership(Connection& db, const std::string& organizationId,
                                     const std::string& userId);

// The organisation's memberships, oldest first.
std::vector<Membership> membersOf(Connection& db, const std::string& organizationId);
int ownerCount(Connection& db, const std::string& organizationId);
void setRole(Connection& db, const std::string& organizationId, const std::string& userId,
             const std::string& role);
void setUserName(Connection& db, const std::string& userId, const std::string& name);
void removeMembership(Connection& db, const std::string& organizationId, const std::string& userId);

}  // namespace accounts
}  // namespace zelvorin::service
