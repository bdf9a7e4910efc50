#pragma once

#include <optional>
#include <string>

#include "domain/TimePoint.h"

namespace zelvorin {
class Connection;
}

namespace zelvorin::service {

// A file a device uploaded, under a key of its organisation.
struct StoredFile {
    std::string key;
    std::string fileName;
    std::string contentType;
    std::string bytes;
};

namespace storedfiles {

// Stores the file, replacing one under the same key.
void put(Connection& db, const std::string& organizationId, const StoredFile& file, TimePoint createdAt);
std::optional<StoredFile> find(Connection& db, const std::string& organizationId, const std::string& key);
// Removes the file under `key`; false when there was none.
bool remove(Connection& db, const std::string& organizationId, const std::string& key);

}  // namespace storedfiles
}  // namespace zelvorin::service
