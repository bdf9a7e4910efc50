#pragma once

#include <vector>

#include "persistence/MigrationRunner.h"

namespace zelvorin::service {

// The schema of the service's one database, as migrations in the order they are applied. They
// only ever add; a database that holds a migration this list does not know comes from a newer
// build, and the runner refuses it before changing anything.
const std::vector<Migration>& serviceMigrations();

}  // namespace zelvorin::service
