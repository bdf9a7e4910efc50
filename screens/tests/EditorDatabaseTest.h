#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "domain/Timestamps.h"
#include "persistence/ScalarStatements.h"
#include "persistence/repositories/CustomerRepository.h"
#include "persistence/repositories/InvoiceRepository.h"
#include "persistence/repositories/OrgRepository.h"
#include "testing/TempDir.h"

namespace zelvorin {

// The editors over a real database file, as the desktop and the command line use them: an
// organisation with a payment term of 14 days, the clock standing at 16 March 2026.
class EditorDatabaseTest : public ::testing::Test {
protected:
    EditorDatabaseTest()
        : database_(AppDatabase::openFile(dir_ / "zelvorin.sqlite")),
          clock_(std::make_shared<ManualClock>(*parseTimestamp("2026-03-16T10:00:00Z"))),
          invoices_(database_, clock_),
          customers_(database_, clock_),
          organisation_(database_) {
        database_.writer->write([](Connection& db) {
            db.exec(
                "INSERT INTO org_settings (id, organization_id, org_name, payment_terms_days) VALUES ('s', "
                "'org-1', 'Studio', 14)");
        });
    }
    // The changes waiting for the service.
    std::int64_t queued() {
        return database_.writer->read(
            [](Connection& db) { return countRows(db, "SELECT COUNT(*) FROM outbox_change"); });
    }

    testing::TempDir dir_;
    AppDatabase database_;
    std::shared_ptr<ManualClock> clock_;
    InvoiceRepository invoices_;
    CustomerRepository customers_;
    OrgRepository organisation_;
};

}  // namespace zelvorin
