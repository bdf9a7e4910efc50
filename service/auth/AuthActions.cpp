#include "service/auth/AuthActions.h"

#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "service/http/ServiceError.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

namespace {

std::optional<UserAccount> chosenAccount(Connection& db, const HandoffChoice& choice) {
    if (choice.userId) {
        std::optional<UserAccount> user = accounts::user(db, *choice.userId);
        if (!user) throw ServiceError(ErrorKind::notFound, "Dit account bestaat niet.");
        return user;
    }
    if (!choice.automatic) return std::nullopt;
    if (choice.email) {
        std::optional<UserAccount> user = accounts::userByEmail(db, *choice.email);
        if (!user)
            throw ServiceError(ErrorKind::notFound,
                               "Geen account met het e-mailadres '" + *choice.email + "'.");
        return user;
    }
    std::vector<UserAccount> users = accounts::users(db);
    if (users.empty())
        throw ServiceError(ErrorKind::notFound, "Er zijn nog geen accounts om mee aan te melden.");
    return users.front();
}

// Runs a one-time credential's check on a write that commits even when the check refuses it: a
// code or refresh token tried by the wrong device is spent by the attempt, so it cannot be guessed
// at twice.
template <class Spend>
IssuedTokens spendingEvenWhenRefused(const ServiceDatabase& database, Spend spend) {
    std::optional<ServiceError> refused;
    IssuedTokens tokens = database.write([&](Connection& db) {
        try {
            return spend(db);
        } catch (const ServiceError& error) {
            if (error.kind() != ErrorKind::unauthorized) throw;  // anything else rolls back
            refused = error;
            return IssuedTokens{};
        }
    });
    if (refused) throw *refused;
    return tokens;
}

}  // namespace

HandoffOutcome handoff(const ServiceDatabase& database, const Authenticator& authenticator,
                       const DeviceDescription& device, const HandoffChoice& choice,
                       const std::string& codeChallenge, TimePoint now) {
    return database.write([&](Connection& db) {
        const std::optional<UserAccount> user = chosenAccount(db, choice);
        if (!user) return HandoffOutcome{HandoffOutcome::Kind::chooseAccount, accounts::users(db), ""};
        const std::vector<Membership> memberships = accounts::membershipsOfUser(db, user->id);
        if (memberships.empty()) {
            return HandoffOutcome{HandoffOutcome::Kind::onboarding,
                                  {},
                                  authenticator.issueOnboardingToken(db, user->id, device, now)};
        }
        return HandoffOutcome{HandoffOutcome::Kind::signIn,
                              {},
                              authenticator.issueCode(db, user->id, memberships.front().organizationId,
                                                      device, codeChallenge, now)};
    });
}

IssuedTokens redeemCode(const ServiceDatabase& database, const Authenticator& authenticator,
                        const std::string& code, const std::string& codeVerifier,
                        const DeviceDescription& device, TimePoint now) {
    return spendingEvenWhenRefused(
        database, [&](Connection& db) { return authenticator.redeem(db, code, codeVerifier, device, now); });
}

IssuedTokens refreshTokens(const ServiceDatabase& database, const Authenticator& authenticator,
                           const std::string& refreshToken, const std::string& deviceId, TimePoint now) {
    return spendingEvenWhenRefused(
        database, [&](Connection& db) { return authenticator.refresh(db, refreshToken, deviceId, now); });
}

void requestMagicLink(const ServiceDatabase& database, const std::string& email, TimePoint now) {
    if (email.find('@') == std::string::npos || email.front() == '@' || email.back() == '@')
        throw ServiceError(ErrorKind::badRequest, "'" + email + "' is geen e-mailadres.");
    database.write([&](Connection& db) {
        if (accounts::userByEmail(db, email)) return;
        accounts::addUser(
            db, {randomUuid(), email, email.substr(0, email.find('@')), formatTimestampSeconds(now)});
    });
}

std::vector<OrganizationChoice> organizationsOf(const ServiceDatabase& database, const Caller& caller) {
    return database.read([&](Connection& db) {
        std::vector<OrganizationChoice> choices;
        for (const Membership& membership : accounts::membershipsOfUser(db, caller.userId)) {
            std::optional<Organization> organization = accounts::organization(db, membership.organizationId);
            if (!organization) continue;
            const bool current = organization->id == caller.organizationId;
            choices.push_back({std::move(*organization), membership.role, current});
        }
        return choices;
    });
}

SwitchedOrganization switchOrganization(const ServiceDatabase& database, const Authenticator& authenticator,
                                        const Caller& caller, const std::string& organizationId,
                                        const std::string& userAgent, const std::string& ip, TimePoint now) {
    return database.write([&](Connection& db) {
        if (!accounts::organization(db, organizationId))
            throw ServiceError(ErrorKind::notFound, "Deze organisatie bestaat niet.");
        if (!accounts::membership(db, organizationId, caller.userId))
            throw ServiceError(ErrorKind::forbidden, "Je bent geen lid (meer) van deze organisatie.");
        DeviceDescription device{caller.deviceId, "", "", "", userAgent, ip};
        if (const std::optional<DeviceSession> current = signins::session(db, caller.sessionId)) {
            device.platform = current->platform;
            device.appVersion = current->appVersion;
            device.deviceName = current->label;
        }
        SwitchedOrganization switched{
            authenticator.startSession(db, caller.userId, organizationId, device, now), organizationId,
            organizationId != caller.organizationId};
        signins::revokeSession(db, caller.sessionId);
        return switched;
    });
}

}  // namespace zelvorin::service
