#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "sync/JSONValue.h"
#include "sync/PayloadCatalogue.h"
#include "sync/SyncEntityType.h"

namespace zelvorin {

// Where a payload does not fit its shape. `path` is relative to the payload ("snapshotData.orgName",
// "lines[2].amountCents"; empty when the payload itself is no object).
struct PayloadViolation {
    std::string path;
    std::string problem;  // "ontbreekt", "verwacht integer", "onbekende waarde \"nl_22\"", ...

    std::string message() const { return path.empty() ? problem : path + ": " + problem; }
    bool operator==(const PayloadViolation&) const = default;
};

// A whole record (a pulled change, a create, a seeded record) must hold every required member; a
// partial one (the changed fields of an update, the empty object of a delete) only has its present
// members checked. Either way a present member must have its JSON type, null is accepted only for
// optional members, and nested objects are checked whole.
enum class PayloadCoverage { complete, partial };

// The first violation in declaration order of the shape, or nothing when the payload fits.
// Members the shape does not list are ignored, as a decoder of the record would.
std::optional<PayloadViolation> validatePayload(SyncEntityType type, const JSONValue& payload,
                                                PayloadCoverage coverage = PayloadCoverage::complete);
std::optional<PayloadViolation> validatePayload(SyncEntityType type, const nlohmann::ordered_json& payload,
                                                PayloadCoverage coverage = PayloadCoverage::complete);
std::optional<PayloadViolation> validatePayload(SyncEntityType type, const nlohmann::json& payload,
                                                PayloadCoverage coverage = PayloadCoverage::complete);

// The same against any shape of the catalogue, e.g. a nested one on its own.
std::optional<PayloadViolation> validateAgainst(const PayloadShape& shape, const JSONValue& payload,
                                                PayloadCoverage coverage = PayloadCoverage::complete);

}  // namespace zelvorin
