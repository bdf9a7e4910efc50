#pragma once

#include <filesystem>

#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

// Runs `work(db, written)` in one write transaction; a message it wrote to the outbox (its path
// in `written`) is taken back when the transaction does not commit, so the outbox never holds a
// message of something that did not happen.
template <class Work>
auto inTransactionWithMessage(const ServiceDatabase& database, Work work) {
    std::filesystem::path written;
    try {
        return database.write([&](Connection& db) { return work(db, written); });
    } catch (...) {
        if (!written.empty()) std::filesystem::remove(written);
        throw;
    }
}

}  // namespace zelvorin::service
