#pragma once

#include <string_view>

namespace zelvorin::service {

class SqliteConnection;

// Brings the service database's schema up to date. Each migration runs in one transaction
// together with its row in `service_migrations`, so a failed one leaves no trace; migrations only
// ever add.
void migrateStorage(SqliteConnection& connection);

}  // namespace zelvorin::service
