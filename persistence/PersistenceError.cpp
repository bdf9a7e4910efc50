#include "persistence/PersistenceError.h"

#include <sqlite3.h>

#include "persistence/sqlite/SqliteError.h"

namespace zelvorin {

PersistenceError::PersistenceError(Kind kind, std::string detail)
    : std::runtime_error(kind == Kind::notFound ? detail + " bestaat niet." : detail),
      kind_(kind),
      detail_(std::move(detail)) {}

PersistenceError PersistenceError::notFound(const std::string& record) {
    return PersistenceError(Kind::notFound, record);
}

PersistenceError PersistenceError::invalidInput(const std::string& reason) {
    return PersistenceError(Kind::invalidInput, reason);
}

PersistenceError::Kind persistenceErrorKind(const SqliteError& error) {
    switch (error.primaryCode()) {
        case SQLITE_FULL:
            return PersistenceError::Kind::diskFull;
        case SQLITE_BUSY:
        case SQLITE_LOCKED:
            return PersistenceError::Kind::databaseBusy;
        case SQLITE_CONSTRAINT:
            return PersistenceError::Kind::conflict;
        default:
            return PersistenceError::Kind::databaseUnavailable;
    }
}

}  // namespace zelvorin
