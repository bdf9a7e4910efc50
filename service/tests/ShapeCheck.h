#pragma once

#include <optional>
#include <sstream>
#include <string>

#include <nlohmann/json.hpp>

#include "service/tests/PayloadShapes.h"

namespace zelvorin::service::testing {

// The first way `value` does not fit the shape `shape` (a missing required key, a key of the
// wrong JSON type, a key the shape does not have), or nothing when it fits.
inline std::optional<std::string> shapeViolation(const std::string& shape,
                                                 const nlohmann::ordered_json& value) {
    const auto found = payloadShapes().find(shape);
    if (found == payloadShapes().end()) return "onbekende vorm " + shape;
    if (!value.is_object()) return shape + ": geen object";
    std::istringstream keys(found->second);
    std::string entry;
    std::size_t known = 0;
    while (keys >> entry) {
        const bool optional = entry.back() == '?';
        const std::string key = entry.substr(0, entry.find(':'));
        const char type = entry[key.size() + 1];
        const auto member = value.find(key);
        if (member == value.end() || member->is_null()) {
            if (!optional) return shape + "." + key + " ontbreekt";
            continue;
        }
        ++known;
        const bool fits = (type == 's' && member->is_string()) ||
                          (type == 'i' && member->is_number_integer()) ||
                          (type == 'b' && member->is_boolean()) || (type == 'o' && member->is_object()) ||
                          (type == 'a' && member->is_array()) || type == 'j';
        if (!fits) return shape + "." + key + " heeft het verkeerde JSON-type";
    }
    if (known != value.size()) return shape + " heeft een sleutel die niet in de vorm staat";
    return std::nullopt;
}

// Also checks the nested shapes: an invoice's snapshot, a schedule's workdays and lines.
inline std::optional<std::string> payloadViolation(const std::string& entityType,
                                                   const nlohmann::ordered_json& payload) {
    if (auto violation = shapeViolation(entityType, payload)) return violation;
    if (entityType == "draftInvoice" && payload.contains("snapshotData")) {
        return shapeViolation("InvoiceSnapshotPayload", payload["snapshotData"]);
    }
    if (entityType == "invoiceSchedule") {
        if (auto violation = shapeViolation("WorkdayConfig", payload["workdays"])) return violation;
        for (const auto& line : payload.value("lines", nlohmann::ordered_json::array())) {
            if (auto violation = shapeViolation("ScheduleLinePayload", line)) return violation;
        }
    }
    return std::nullopt;
}

}  // namespace zelvorin::service::testing
