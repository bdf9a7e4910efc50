#pragma once

#include <optional>
#include <string>

#include "domain/TimePoint.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service::orgintegrations {

// The organisation's named settings of its connections (the org_integration table): keys of outside
// providers, the cloud copy's folder template, the inbox's folder names. Values are text.
std::optional<std::string> find(Connection& db, const std::string& organizationId, const std::string& name);
void put(Connection& db, const std::string& organizationId, const std::string& name, const std::string& value,
         TimePoint now);
void remove(Connection& db, const std::string& organizationId, const std::string& name);

}  // namespace zelvorin::service::orgintegrations
