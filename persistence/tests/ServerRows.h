#pragma once

#include <string>
#include <vector>

#include "persistence/AppDatabase.h"
#include "persistence/RecordStatements.h"
#include "testing/TempDir.h"

namespace zelvorin::testing {

// A migrated database file in a fresh directory, with a way to put rows into the server-owned
// tables the way a pull would, for the repositories that only read them.
struct ServerRows {
    TempDir dir;
    AppDatabase database = AppDatabase::openFile(dir / "zelvorin.sqlite");

    template <class... Records>
    void insert(const Records&... records) {
        database.writer->write([&](Connection& db) { (insertRecord(db, records), ...); });
    }
};

// A record with its id and what `fill` sets; the other fields keep their defaults, as a pull of
// a sparse row would leave them.
template <class Record, class Fill>
Record row(const std::string& id, Fill fill) {
    Record record;
    record.id = id;
    fill(record);
    return record;
}

// The ids of records in the order a query returned them.
template <class Record>
std::vector<std::string> ids(const std::vector<Record>& records) {
    std::vector<std::string> found;
    for (const Record& r : records)
        found.push_back(r.id);
    return found;
}

}  // namespace zelvorin::testing
