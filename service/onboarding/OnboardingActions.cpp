#include "service/onboarding/OnboardingActions.h"

#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "persistence/FaultPoint.h"
#include "service/auth/AuthCrypto.h"
#include "service/http/ServiceError.h"
#include "service/store/Accounts.h"
#include "service/store/RecordWriter.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

CreatedOrganization createOrganization(const ServiceDatabase& database, const Authenticator& authenticator,
                                       const std::string& onboardingToken, const std::string& name,
                                       const std::string& userAgent, const std::string& ip, TimePoint now,
                                       const OrganizationDetails& details) {
    return database.write([&](Connection& db) {
        const SignInGrant grant = authenticator.takeOnboardingToken(db, onboardingToken, now);
        const std::string created = formatTimestampSeconds(now);
        const std::string organizationId = randomUuid();
        accounts::addOrganization(db, {organizationId, name, created});
        accounts::addMembership(db, {organizationId, grant.userId, "owner", created});
        Json settings{{"id", randomUuid()}, {"organizationId", organizationId}, {"orgName", name}};
        const auto put = [&](const char* key, const std::optional<std::string>& value) {
            if (value) settings[key] = *value;
        };
        put("kvkNumber", details.kvkNumber);
        put("vatNumber", details.vatNumber);
        put("addressStreet", details.street);
        put("addressPostal", details.postcode);
        put("addressCity", details.city);
        settings["updatedAt"] = formatTimestampMillis(now);
        writeRecord(
            db, RecordChange{organizationId, SyncEntityType::orgSettings, settings["id"].get<std::string>(),
                             RecordOperation::put, std::move(settings), now,
                             Actor{ChangeSource::route, grant.userId, grant.deviceId}, std::nullopt});
        faultPoint("onboarding.organizationCreated");
        const DeviceDescription device{grant.deviceId,   grant.platform, grant.appVersion,
                                       grant.deviceName, userAgent,      ip};
        return CreatedOrganization{organizationId,
                                   authenticator.startSession(db, grant.userId, organizationId, device, now)};
    });
}

std::int64_t recordOnboardingStep(const ServiceDatabase& database, const Caller& caller, std::int64_t step) {
    if (step < 0)
        throw ServiceError(ErrorKind::badRequest,
                           "Het veld 'step' moet een niet-negatief geheel getal zijn.");
    return database.write([&](Connection& db) {
        signins::recordOnboardingStep(db, caller.userId, caller.organizationId, step);
        return *signins::onboardingStep(db, caller.userId, caller.organizationId);
    });
}

std::string createFirstCustomer(const ServiceDatabase& database, const Caller& caller,
                                const std::string& companyName, const std::string& contactPersonName,
                                const std::string& email, TimePoint now) {
    const std::string customerId = randomUuid();
    const std::string contactId = randomUuid();
    const std::string stamp = formatTimestampMillis(now);
    const Actor actor{ChangeSource::route, caller.userId, caller.deviceId};
    database.write([&](Connection& db) {
        const auto put = [&](SyncEntityType type, const std::string& id, Json payload) {
            writeRecord(db, RecordChange{caller.organizationId, type, id, RecordOperation::put,
                                         std::move(payload), now, actor, std::nullopt});
        };
        put(SyncEntityType::customer, customerId,
            Json{{"id", customerId},
                 {"organizationId", caller.organizationId},
                 {"companyName", companyName},
                 {"billingEmail", email},
                 {"createdAt", stamp},
                 {"updatedAt", stamp}});
        put(SyncEntityType::contact, contactId,
            Json{{"id", contactId},
                 {"contactId", customerId},
                 {"name", contactPersonName},
                 {"email", email},
                 {"isPrimary", true},
                 {"isInvoiceContact", true},
                 {"createdAt", stamp}});
    });
    return customerId;
}

std::string webSessionUrl(const std::string& host, const std::string& next) {
    if (next.empty() || next.front() != '/')
        throw ServiceError(ErrorKind::badRequest, "Het veld 'next' moet een pad zijn dat met '/' begint.");
    return "http://" + (host.empty() ? std::string("127.0.0.1") : host) + next +
           (next.find('?') == std::string::npos ? "?" : "&") + "session=" + randomToken(24);
}

}  // namespace zelvorin::service
