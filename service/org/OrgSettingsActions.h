#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"
#include "service/store/Records.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

class ServiceDatabase;

// The organisation's settings as NativeOrgSettings: its orgSettings record's members in the
// record's order, with "organizationId" always present. ServiceError(notFound) when the
// organisation has no settings yet.
nlohmann::ordered_json orgSettings(const ServiceDatabase& database, const Caller& caller);

// Applies an OrgSettingsPatch: a member left out keeps its value, a value sets it, and null clears
// the three members that may be cleared (defaultHourlyRate, emailProviderFallback, replyToEmail).
// Every member is checked before anything is written, so a body with one bad member changes
// nothing: an unknown member, a wrong type, an empty name, an address without "@", a VAT rate other
// than 0, 9 or 21, a negative amount or term, a language other than nl or en all answer
// unprocessable (422) in Dutch. The new record reaches devices as the orgSettings record.
void patchOrgSettings(const ServiceDatabase& database, const Caller& caller,
                      const nlohmann::ordered_json& patch, TimePoint now);

namespace orgsettings {

// The live orgSettings record of the organisation, if it has one.
std::optional<StoredRecord> current(Connection& db, const std::string& organizationId);

// Writes `payload` as the organisation's settings (creating the record when there is none),
// stamped updatedAt `now`, as the caller's change.
StoredRecord write(Connection& db, const Caller& caller, nlohmann::ordered_json payload, TimePoint now);

}  // namespace orgsettings
}  // namespace zelvorin::service
