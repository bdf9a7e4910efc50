#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "domain/TimePoint.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

class ServiceDatabase;

// The organisation's integrations, as they can honestly be: this service reaches nothing outside
// its machine, so no integration is ever connected. What it does keep is the organisation's own
// keys for outside services (never answered back, only whether one is set) and the automatic
// upload switch and folder pattern, which it reads back as they were stored.

// NativeIntegrationStatus: every connection off; "<provider>Configured" true when a key is set.
nlohmann::ordered_json integrationStatus(const ServiceDatabase& database, const Caller& caller);

// Stores dropboxAutoUpload ("true" or "false") and dropboxFolderTemplate; any other member, or a
// value of another shape, is unprocessable and nothing is stored.
void patchIntegrations(const ServiceDatabase& database, const Caller& caller,
                       const nlohmann::ordered_json& body, TimePoint now);

// Stores (a text) or removes (null) the key of `provider`: mollie, resend, postcode or anthropic.
// Another provider, an empty or over-long key, or a missing "value" member is unprocessable.
void setIntegrationKey(const ServiceDatabase& database, const Caller& caller,
                       const nlohmann::ordered_json& body, TimePoint now);

// What would need an outside provider (bunq, Google, OAuth): unprocessable with a Dutch text that
// says so, for `service` ("bunq", "Google Agenda", ...).
[[noreturn]] void refuseOutsideProvider(const std::string& service);

}  // namespace zelvorin::service
