#pragma once

#include <array>
#include <stdexcept>
#include <string>

namespace zelvorin {

class SqliteError;

// The one error of the local store as its callers see it. A repository throws it itself for a
// record that is not there and for input it refuses (before anything is written); an SQLite
// failure keeps its own type inside the store, and persistenceErrorKind says what it means to the
// user. `detail` is Dutch: for notFound the record named ("Factuur 'abc'"), for the others the
// reason; what() is the detail as one sentence.
class PersistenceError : public std::runtime_error {
public:
    enum class Kind {
        notFound,             // no such record, or it is deleted
        invalidInput,         // refused before anything was written
        conflict,             // a constraint of the database refused the write
        databaseBusy,         // another process held the database past the time-out
        diskFull,             // the disk or the database's quota is full; nothing was written
        databaseUnavailable,  // the file cannot be opened, read or written, or is damaged
    };
    static constexpr std::array allKinds{Kind::notFound,     Kind::invalidInput, Kind::conflict,
                                         Kind::databaseBusy, Kind::diskFull,     Kind::databaseUnavailable};

    PersistenceError(Kind kind, std::string detail);
    // "Factuur 'abc' bestaat niet."; `record` names the kind of record and its id.
    static PersistenceError notFound(const std::string& record);
    static PersistenceError invalidInput(const std::string& reason);

    Kind kind() const { return kind_; }
    const std::string& detail() const { return detail_; }

private:
    Kind kind_;
    std::string detail_;
};

// What an SQLite failure means to the user: a full disk, a busy or unusable database, or a
// constraint that refused the write.
PersistenceError::Kind persistenceErrorKind(const SqliteError& error);

}  // namespace zelvorin
