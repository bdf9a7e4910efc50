#include <gtest/gtest.h>

#include "persistence/AppDatabase.h"
#include "persistence/RecordStatements.h"
#include "persistence/sqlite/SqliteError.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

TEST(RecordsIntegrationTest, ARecordSurvivesAWriteAndAReadByColumnName) {
    testing::TempDir root;
    AppDatabase database = AppDatabase::openFile(root / "db.sqlite");

    IncomingInvoiceRecord invoice;
    invoice.id = "0b9d6a3e-5f4e-4a43-9c2a-1f0e8d7c6b5a";
    invoice.organizationId = "org-1";
    invoice.extractedAmount = 12100;
    invoice.extractedSenderCompany = "Drukkerij 't Hoekje";
    invoice.extractionConfidence = 0.8125;
    invoice.imapUid = 0;  // zero is a value, not absence
    invoice.createdAt = invoice.updatedAt = "2026-03-01T09:30:00.000Z";
    database.writer->write([&](Connection& c) { insertRecord(c, invoice); });

    auto read = database.writer->read(
        [&](Connection& c) { return recordById<IncomingInvoiceRecord>(c, invoice.id); });
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, invoice);
    EXPECT_EQ(read->status, "nieuw") << "column default";
    EXPECT_FALSE(read->currency.has_value());

    CustomerRecord customer;
    customer.id = "c1";
    customer.organizationId = "org-1";
    customer.companyName = "Bakkerij Zoet";
    customer.idealEnabled = false;
    customer.archived = true;
    customer.portalLinkEnabled = true;
    customer.createdAt = customer.updatedAt = "2026-03-01T09:30:00.000Z";
    database.writer->write([&](Connection& c) { insertRecord(c, customer); });
    auto storedFlags = database.writer->read([](Connection& c) {
        Statement s = c.prepare(
            "SELECT ideal_enabled, archived, portal_link_enabled, typeof(ideal_enabled) FROM customer");
        s.step();
        return std::make_tuple(s.int64(0), s.int64(1), s.int64(2), s.text(3));
    });
    EXPECT_EQ(storedFlags, std::make_tuple(0, 1, 1, std::string("integer")));
}

TEST(RecordsIntegrationTest, ColumnsTheRecordDoesNotKnowAreIgnoredAndMissingOnesKeepDefaults) {
    AppDatabase database = AppDatabase::openInMemory();
    database.writer->write([](Connection& c) {
        c.exec(
            "INSERT INTO invoice_line (id, invoice_id, description, line_mode, created_at, updated_at, "
            "quantity_hundredths) VALUES ('l1', 'i1', 'Ontwerp', 'hours_rate', 'x', 'x', 150)");
    });
    auto line = database.writer->read([](Connection& c) {
        Statement s = c.prepare("SELECT id, quantity_hundredths, 'extra' AS not_a_column FROM invoice_line");
        s.step();
        return InvoiceLineRecord::fromRow(s);
    });
    EXPECT_EQ(line.id, "l1");
    EXPECT_EQ(line.quantityHundredths, 150);
    EXPECT_EQ(line.description, "") << "not selected: keeps the record's default";
    EXPECT_EQ(line.revision, 1);
    EXPECT_EQ(line.syncState, "synced");
}

TEST(RecordsIntegrationTest, QueueStatesAreEnumerationsStoredAsTheirRawText) {
    AppDatabase database = AppDatabase::openInMemory();
    PendingUploadRecord upload;
    upload.id = "u1";
    upload.idempotencyKey = "k1";
    upload.createdAt = "2026-03-01T09:30:00.000Z";
    EXPECT_EQ(upload.status, PendingUploadRecord::Status::wachtend) << "the column default";
    upload.status = PendingUploadRecord::Status::fout;
    PendingAction action;
    action.id = "a1";
    action.invoiceId = "i1";
    action.createdAt = upload.createdAt;
    database.writer->write([&](Connection& c) {
        insertRecord(c, upload);
        insertRecord(c, action);
    });

    auto stored = database.writer->read([](Connection& c) {
        Statement s =
            c.prepare("SELECT (SELECT status FROM pending_upload), (SELECT kind FROM pending_action)");
        s.step();
        return std::make_pair(s.text(0), s.text(1));
    });
    EXPECT_EQ(stored, std::make_pair(std::string("fout"), std::string("markPaid")));
    EXPECT_EQ(database.writer->read([](Connection& c) { return recordById<PendingUploadRecord>(c, "u1"); }),
              upload);

    database.writer->write([](Connection& c) { c.exec("UPDATE pending_upload SET status = 'verdwenen'"); });
    try {
        database.writer->read([](Connection& c) { return recordById<PendingUploadRecord>(c, "u1"); });
        FAIL() << "an unknown status was read as some other case";
    } catch (const SqliteError& error) {
        EXPECT_NE(std::string(error.what()).find("verdwenen"), std::string::npos);
    }
}

}  // namespace
}  // namespace zelvorin
