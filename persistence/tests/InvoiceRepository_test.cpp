#include "persistence/repositories/InvoiceRepository.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <regex>

#include "domain/Timestamps.h"
#include "persistence/RecordStatements.h"
#include "persistence/sqlite/SqliteError.h"
#include "persistence/sync/GRDBSyncStore.h"
#include "testing/TempDir.h"
#include "testing/ThrownKind.h"

namespace zelvorin {
namespace {

using namespace std::chrono_literals;

class InvoiceRepositoryIntegrationTest : public ::testing::Test {
protected:
    InvoiceRepositoryIntegrationTest()
        : database_(AppDatabase::openFile(dir_ / "zelvorin.sqlite")),
          clock_(std::make_shared<ManualClock>(*parseTimestamp("2026-03-10T09:00:00Z"))),
          invoices_(database_, clock_),
          store_(database_, clock_) {}

    // A synced invoice as a pull would leave it.
    void stored(const std::string& id, const std::string& status, std::optional<std::string> due,
                const std::string& issue = "2026-02-01", std::optional<std::string> number = std::nullopt,
                std::optional<std::string> customerId = std::nullopt) {
        DraftInvoiceRecord invoice;
        invoice.id = id;
        invoice.organizationId = "org";
        invoice.status = status;
        invoice.dueDate = std::move(due);
        invoice.issueDate = issue;
        invoice.invoiceNumber = std::move(number);
        invoice.customerId = std::move(customerId);
        invoice.vatTreatment = "nl_21";
        invoice.createdAt = invoice.updatedAt = "2026-01-01T00:00:00.000Z";
        database_.writer->write([&](Connection& db) { insertRecord(db, invoice); });
    }
    std::vector<std::string> ids(InvoiceSegment segment, const std::string& search = "",
                                 std::optional<int> year = std::nullopt) {
        std::vector<std::string> found;
        database_.writer->read([&](Connection& db) {
            for (const InvoiceListItem& item :
                 InvoiceRepository::list(db, {segment, search, year}, "2026-03-10"))
                found.push_back(item.id);
        });
        std::sort(found.begin(), found.end());
        return found;
    }
    InvoiceLineRecord line(const std::string& invoiceId, const std::string& mode, std::int64_t quantity,
                           std::int64_t price, std::optional<std::string> vat = std::nullopt) {
        InvoiceLineRecord line;
        line.invoiceId = invoiceId;
        line.description = "Werk";
        line.lineMode = mode;
        line.quantityHundredths = quantity;
        line.unitPriceCents = price;
        line.vatTreatmentOverride = std::move(vat);
        return line;
    }
    std::optional<InvoiceDetail> detail(const std::string& id) {
        return database_.writer->read([&](Connection& db) { return InvoiceRepository::detail(db, id); });
    }
    std::int64_t outboxCount() {
        return database_.writer->read([](Connection& db) {
            Statement& count = db.cached("SELECT COUNT(*) FROM outbox_change");
            count.step();
            return count.int64(0);
        });
    }

    testing::TempDir dir_;
    AppDatabase database_;
    std::shared_ptr<ManualClock> clock_;
    InvoiceRepository invoices_;
    GRDBSyncStore store_;
};

using Ids = std::vector<std::string>;

TEST_F(InvoiceRepositoryIntegrationTest, SegmentsSplitSentInvoicesOnTheDueDate) {
    stored("due-yesterday", "sent", "2026-03-09");
    stored("due-today", "sent", "2026-03-10");
    stored("no-due-date", "viewed", std::nullopt);
    stored("partly-paid-late", "partiallyPaid", "2026-01-01");
    stored("stored-overdue", "overdue", "2026-04-01");
    stored("credited", "credited", "2026-01-01");
    stored("cancelled", "cancelled", "2026-01-01");
    stored("draft", "draft", std::nullopt);
    stored("paid", "paid", "2026-01-01");

    EXPECT_EQ(ids(InvoiceSegment::achterstallig),
              (Ids{"due-yesterday", "partly-paid-late", "stored-overdue"}));
    EXPECT_EQ(ids(InvoiceSegment::verzonden), (Ids{"credited", "due-today", "no-due-date"}));
    EXPECT_EQ(ids(InvoiceSegment::concept_), (Ids{"draft"}));
    EXPECT_EQ(ids(InvoiceSegment::betaald), (Ids{"paid"}));
    EXPECT_EQ(ids(InvoiceSegment::alle).size(), 9u);
    for (InvoiceSegment segment : {InvoiceSegment::concept_, InvoiceSegment::verzonden,
                                   InvoiceSegment::betaald, InvoiceSegment::achterstallig}) {
        const Ids listed = ids(segment);
        EXPECT_EQ(std::count(listed.begin(), listed.end(), "cancelled"), 0);
    }
}

TEST_F(InvoiceRepositoryIntegrationTest, SearchSpansJoinedCustomerAndYearBoundsAreInclusive) {
    database_.writer->write([](Connection& db) {
        db.exec(
            "INSERT INTO customer (id, organization_id, company_name, created_at, updated_at) VALUES "
            "('c1', 'org', 'Studio 2026', 'x', 'x'), ('c2', 'org', 'Bakker', 'x', 'x')");
    });
    stored("by-number", "sent", std::nullopt, "2025-01-01", "FAC-2026-0001", "c2");
    stored("by-customer", "sent", std::nullopt, "2025-12-31", std::nullopt, "c1");
    stored("unrelated", "sent", std::nullopt, "2024-12-31", "FAC-2024-0009", "c2");
    stored("next-year", "draft", std::nullopt, "2026-01-01");
    database_.writer->write([](Connection& db) {
        db.exec("UPDATE draft_invoice SET reference_number = 'PO-2026' WHERE id = 'next-year'");
    });

    EXPECT_EQ(ids(InvoiceSegment::alle, "2026"), (Ids{"by-customer", "by-number", "next-year"}));
    EXPECT_EQ(ids(InvoiceSegment::alle, "studio"), (Ids{"by-customer"}));  // LIKE ignores case
    EXPECT_EQ(ids(InvoiceSegment::alle, "", 2025), (Ids{"by-customer", "by-number"}));
    EXPECT_EQ(ids(InvoiceSegment::alle, "2026", 2026), (Ids{"next-year"}));

    // Quotes and SQL in a search are bound as a value; % and _ keep their LIKE meaning.
    EXPECT_TRUE(ids(InvoiceSegment::alle, "'; DROP TABLE draft_invoice; --").empty());
    EXPECT_TRUE(ids(InvoiceSegment::alle, "O'Brien").empty());
    EXPECT_EQ(ids(InvoiceSegment::alle, "FAC_2024").size(), 1u);
    EXPECT_EQ(ids(InvoiceSegment::alle).size(), 4u);
}

TEST_F(InvoiceRepositoryIntegrationTest, TheSearchIndexFollowsEveryWriteInItsTransaction) {
    stored("a", "sent", std::nullopt, "2025-02-01", "FAC-2025-0001");
    stored("b", "sent", std::nullopt, "2025-02-02", "FAC-2025-0002");
    EXPECT_EQ(ids(InvoiceSegment::alle, "2025-0002"), (Ids{"b"}));
    database_.writer->write([](Connection& db) {
        db.exec(
            "UPDATE draft_invoice SET invoice_number = 'FAC-2025-0099', project_description = 'Verbouwing' "
            "WHERE id = 'b'");
    });
    EXPECT_TRUE(ids(InvoiceSegment::alle, "2025-0002").empty());
    EXPECT_EQ(ids(InvoiceSegment::alle, "0099"), (Ids{"b"}));
    EXPECT_EQ(ids(InvoiceSegment::alle, "BOUW"), (Ids{"b"}));  // substrings, ignoring case
    EXPECT_EQ(ids(InvoiceSegment::alle, "\"0099"), Ids{});     // a quote is text, not syntax
    EXPECT_THROW(database_.writer->write([](Connection& db) {
        db.exec("DELETE FROM draft_invoice WHERE id = 'a'");
        db.exec("INSERT INTO no_such_table VALUES (1)");
    }),
                 SqliteError);
    EXPECT_EQ(ids(InvoiceSegment::alle, "2025-0001"), (Ids{"a"}));  // rolled back with its row
    database_.writer->write([](Connection& db) { db.exec("DELETE FROM draft_invoice WHERE id = 'a'"); });
    EXPECT_TRUE(ids(InvoiceSegment::alle, "2025-0001").empty());
    database_.writer->write([](Connection& db) {
        db.exec("INSERT INTO draft_invoice_search (draft_invoice_search) VALUES ('integrity-check')");
    });
}

TEST_F(InvoiceRepositoryIntegrationTest, NewDraftTakesTheOrganisationsTermAndQueuesItsCreate) {
    database_.writer->write([](Connection& db) {
        db.exec(
            "INSERT INTO org_settings (id, organization_id, payment_terms_days) "
            "VALUES ('s', 'org', 14)");
    });
    const DraftInvoiceRecord draft = invoices_.createDraft("c1", "2026-12-25");
    EXPECT_EQ(draft.dueDate, "2027-01-08");
    EXPECT_TRUE(std::regex_match(*draft.localDraftNumber, std::regex("D-[0-9A-F]{4}")));
    EXPECT_EQ(draft.status, "draft");
    EXPECT_EQ(draft.syncState, "localOnly");
    EXPECT_EQ(invoices_.invoice(draft.id), draft);

    const std::vector<PushChange> queued = store_.pendingChangeBatch(10);
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].operation, SyncOperation::create);
    const JSONObject& payload = *queued[0].payload.asObject();
    EXPECT_EQ(payload.size(), 5u);
    EXPECT_EQ(*queued[0].payload.find("dueDate"), JSONValue("2027-01-08"));
    EXPECT_EQ(*queued[0].payload.find("vatTreatment"), JSONValue("nl_21"));

    // Without settings the term is 30 days; an unreadable issue date gives no due date.
    database_.writer->write([](Connection& db) { db.exec("DELETE FROM org_settings"); });
    EXPECT_EQ(invoices_.createDraft(std::nullopt, "2026-01-31").dueDate, "2026-03-02");
    EXPECT_FALSE(invoices_.createDraft(std::nullopt, "31-01-2026").dueDate);
}

TEST_F(InvoiceRepositoryIntegrationTest, LineWritesKeepTheTotalsInStepAndFallBackOnUnknownTexts) {
    const DraftInvoiceRecord draft = invoices_.createDraft(std::nullopt, "2026-03-01");
    const InvoiceLineRecord hours = invoices_.addLine(line(draft.id, "hours_rate", 150, 8500), "nl_21");
    EXPECT_EQ(hours.lineTotalCents, 12750);
    DraftInvoiceRecord now = *invoices_.invoice(draft.id);
    EXPECT_EQ((std::array{now.subtotalCents, now.vatCents, now.totalCents}),
              (std::array<std::int64_t, 3>{12750, 2678, 15428}));

    // Stored as given, counted as hours at the invoice's treatment.
    const InvoiceLineRecord odd = invoices_.addLine(line(draft.id, "per_kilo", 100, 1000, "nl_99"), "nl_21");
    EXPECT_EQ(invoices_.invoice(draft.id)->subtotalCents, 13750);
    EXPECT_EQ(
        database_.writer->read([&](Connection& db) { return recordById<InvoiceLineRecord>(db, odd.id); })
            ->lineMode,
        "per_kilo");

    InvoiceLineRecord cheaper = hours;
    cheaper.vatTreatmentOverride = "nl_9";
    invoices_.updateLine(cheaper, "nl_21");
    now = *invoices_.invoice(draft.id);
    EXPECT_EQ(now.vatCents, 1148 + 210);

    invoices_.deleteLine(odd);
    invoices_.deleteLine(hours);
    now = *invoices_.invoice(draft.id);
    EXPECT_EQ((std::array{now.subtotalCents, now.vatCents, now.totalCents}),
              (std::array<std::int64_t, 3>{0, 0, 0}));
    EXPECT_TRUE(detail(draft.id)->lines.empty());
}

TEST_F(InvoiceRepositoryIntegrationTest, MissingIdsAndAFailedOutboxInsertChangeNothing) {
    const DraftInvoiceRecord draft = invoices_.createDraft(std::nullopt, "2026-03-01");
    const std::int64_t queuedBefore = outboxCount();

    DraftInvoiceRecord ghost = draft;
    ghost.id = "ghost";
    EXPECT_EQ(testing::thrownKind([&] { invoices_.updateHeader(ghost, {"freeText"}); }),
              PersistenceError::Kind::notFound);
    EXPECT_EQ(testing::thrownKind([&] { invoices_.deleteInvoice("ghost"); }),
              PersistenceError::Kind::notFound);
    EXPECT_EQ(testing::thrownKind([&] { invoices_.addLine(line("ghost", "fixed", 0, 0), "nl_21"); }),
              PersistenceError::Kind::notFound);
    InvoiceLineRecord ghostLine = line(draft.id, "fixed", 0, 0);
    ghostLine.id = "ghost-line";
    EXPECT_EQ(testing::thrownKind([&] { invoices_.updateLine(ghostLine, "nl_21"); }),
              PersistenceError::Kind::notFound);
    EXPECT_EQ(testing::thrownKind([&] { invoices_.deleteLine(ghostLine); }),
              PersistenceError::Kind::notFound);
    EXPECT_EQ(outboxCount(), queuedBefore);

    // A disk that refuses the queued change takes the line and the new totals down with it.
    database_.writer->write([](Connection& db) {
        db.exec(
            "CREATE TEMP TRIGGER refuse_outbox BEFORE INSERT ON outbox_change "
            "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END");
    });
    EXPECT_THROW(invoices_.addLine(line(draft.id, "fixed", 0, 0), "nl_21"), SqliteError);
    DraftInvoiceRecord header = draft;
    header.freeText = "Niet bewaard";
    EXPECT_THROW(invoices_.updateHeader(header, {"freeText"}), SqliteError);
    EXPECT_EQ(invoices_.invoice(draft.id), draft);
    EXPECT_TRUE(detail(draft.id)->lines.empty());
    EXPECT_EQ(outboxCount(), queuedBefore);
}

TEST_F(InvoiceRepositoryIntegrationTest, WhatTheCustomerReceivedOnASentInvoiceNeverChanges) {
    for (const std::string status : {"sent", "paid", "cancelled", "finalizing"}) {
        SCOPED_TRACE(status);
        const std::string id = "inv-" + status;
        stored(id, status, "2026-03-01", "2026-02-01", "FAC-2026-0001", "cust");
        InvoiceLineRecord printed = line(id, "fixed", 100, 0);
        printed.id = "line-" + status;
        printed.amountCents = 143688;
        printed.createdAt = printed.updatedAt = "2026-01-01T00:00:00.000Z";
        database_.writer->write([&](Connection& db) { insertRecord(db, printed); });
        const InvoiceDetail before = *detail(id);
        const std::int64_t queuedBefore = outboxCount();

        const auto refused = [](auto edit) {
            try {
                edit();
            } catch (const PersistenceError& error) {
                return error.kind() == PersistenceError::Kind::invalidInput &&
                       error.detail().find("creditnota") != std::string::npos;
            }
            return false;
        };
        EXPECT_TRUE(refused([&] { invoices_.addLine(line(id, "fixed", 100, 60500), "nl_21"); }));
        InvoiceLineRecord dearer = printed;
        dearer.amountCents = 204188;
        EXPECT_TRUE(refused([&] { invoices_.updateLine(dearer, "nl_21"); }));
        EXPECT_TRUE(refused([&] { invoices_.deleteLine(printed); }));
        EXPECT_TRUE(refused([&] { invoices_.deleteInvoice(id); }));
        for (auto change : std::initializer_list<void (*)(DraftInvoiceRecord&)>{
                 [](DraftInvoiceRecord& h) { h.customerId = "other"; },
                 [](DraftInvoiceRecord& h) { h.issueDate = "2026-02-02"; },
                 [](DraftInvoiceRecord& h) { h.dueDate.reset(); },
                 [](DraftInvoiceRecord& h) { h.vatTreatment = "verlegd"; },
                 [](DraftInvoiceRecord& h) { h.freeText = "Nieuwe tekst"; }}) {
            DraftInvoiceRecord header = before.invoice;
            change(header);
            EXPECT_TRUE(refused([&] { invoices_.updateHeader(header, {"customerId"}); }));
        }
        EXPECT_EQ(detail(id), before);
        EXPECT_EQ(outboxCount(), queuedBefore);

        // The organisation's own note is not what the customer received.
        DraftInvoiceRecord noted = before.invoice;
        noted.internalNote = "Klant belt terug";
        EXPECT_EQ(invoices_.updateHeader(noted, {"internalNote"}).internalNote, "Klant belt terug");
        EXPECT_EQ(invoices_.invoice(id)->totalCents, before.invoice.totalCents);
    }
}

TEST_F(InvoiceRepositoryIntegrationTest, SettlingAConflictEitherOverwritesTheServiceOrRefetches) {
    stored("inv", "draft", std::nullopt);
    database_.writer->write([](Connection& db) {
        db.exec(
            "UPDATE draft_invoice SET sync_state = 'conflict', last_sync_error = 'botsing', revision = 4");
        db.exec("INSERT INTO sync_cursor (id, device_id, cursor_token) VALUES (1, 'd', 'tok')");
    });

    invoices_.keepLocalVersion("inv");
    DraftInvoiceRecord kept = *invoices_.invoice("inv");
    EXPECT_EQ(kept.syncState, "pendingUpload");
    EXPECT_FALSE(kept.lastSyncError);
    std::vector<PushChange> queued = store_.pendingChangeBatch(10);
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].clientRevision, 5);
    EXPECT_FALSE(queued[0].baseServerRevision);
    EXPECT_EQ(queued[0].payload.asObject()->size(), 6u);

    invoices_.discardLocalChanges("inv");
    EXPECT_EQ(invoices_.invoice("inv")->syncState, "synced");
    EXPECT_EQ(outboxCount(), 0);
    database_.writer->read([](Connection& db) {
        Statement& cursor = db.cached("SELECT cursor_token FROM sync_cursor WHERE id = 1");
        ASSERT_TRUE(cursor.step());
        EXPECT_TRUE(cursor.isNull(0));
    });
}

TEST_F(InvoiceRepositoryIntegrationTest, ADraftTheServiceNeverSawHasNoServiceVersionToGoBackTo) {
    // Discarding would mark it synced and drop its queued create: a row the service never gets.
    const DraftInvoiceRecord draft = invoices_.createDraft(std::nullopt, "2026-03-01");
    EXPECT_THROW(invoices_.discardLocalChanges(draft.id), SqliteError);
    EXPECT_THROW(invoices_.keepLocalVersion(draft.id), std::logic_error);
    EXPECT_EQ(invoices_.invoice(draft.id)->syncState, "localOnly");
    EXPECT_EQ(outboxCount(), 1);
}

TEST_F(InvoiceRepositoryIntegrationTest, DetailObservationFollowsLineEditsAndTheListTakesTodayOnce) {
    const DraftInvoiceRecord draft = invoices_.createDraft(std::nullopt, "2026-03-01");
    auto delivery = std::make_shared<SerialExecutor>();
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::int64_t> totals;
    ObservationHandle handle = invoices_.observeDetail(
        draft.id,
        [&](std::optional<InvoiceDetail> detail) {
            std::lock_guard lock(mutex);
            totals.push_back(detail ? detail->invoice.totalCents : -1);
            arrived.notify_all();
        },
        delivery);
    const auto waitFor = [&](std::size_t n) {
        std::unique_lock lock(mutex);
        arrived.wait_for(lock, 10s, [&] { return totals.size() >= n; });
        return totals;
    };
    EXPECT_EQ(waitFor(1).back(), 0);
    invoices_.addLine(line(draft.id, "qty_price", 200, 500), "nl_21");
    EXPECT_EQ(waitFor(2).back(), 1210);

    // Listed as overdue from the day after its due date on, but only by a list started then.
    stored("late", "sent", "2026-03-10");
    std::vector<std::size_t> overdueCounts;
    std::promise<void> first;
    ObservationHandle list = invoices_.observeList(
        {InvoiceSegment::achterstallig, "", std::nullopt},
        [&](std::vector<InvoiceListItem> items) {
            overdueCounts.push_back(items.size());
            if (overdueCounts.size() == 1) first.set_value();
        },
        delivery);
    first.get_future().wait();
    clock_->advance(24h);
    EXPECT_EQ(overdueCounts.front(), 0u);
    std::vector<std::size_t> later;
    std::promise<void> second;
    ObservationHandle nextDay = invoices_.observeList(
        {InvoiceSegment::achterstallig, "", std::nullopt},
        [&](std::vector<InvoiceListItem> items) {
            later.push_back(items.size());
            if (later.size() == 1) second.set_value();
        },
        delivery);
    second.get_future().wait();
    EXPECT_EQ(later.front(), 1u);

    // Stop the observations and let both queues drain, so that the executor is released here and
    // not by its own last delivery.
    for (ObservationHandle* h : {&handle, &list, &nextDay})
        h->cancel();
    std::promise<void> observed, delivered;
    database_.writer->postObservationWork([&] { observed.set_value(); });
    observed.get_future().wait();
    delivery->post([&] { delivered.set_value(); });
    delivered.get_future().wait();
}

}  // namespace
}  // namespace zelvorin

namespace zelvorin {
namespace {

TEST_F(InvoiceRepositoryIntegrationTest, CreditNotesSortOrderAndWhatAnInvoiceIsPrintedFrom) {
    stored("inv", "draft", "2026-04-01", "2026-03-01", "FAC-1", "c1");
    database_.writer->write([](Connection& db) {
        db.exec(
            "INSERT INTO customer (id, organization_id, company_name, created_at, updated_at) VALUES "
            "('c1', 'org', 'Bakker', 'x', 'x');"
            "INSERT INTO org_settings (id, organization_id, org_name) VALUES "
            "('s', 'org', 'Studio'), ('s2', 'elders', 'Ander');"
            "INSERT INTO invoice_template (id, org_id, name, default_for, is_default_for_new, config, "
            "created_at, "
            "updated_at) VALUES ('t-credit', 'org', 'A', 'credit_note', 1, '{\"c\":1}', 'x', 'x'), "
            "('t-plain', 'org', 'B', 'invoice', 0, '{\"p\":1}', 'x', 'x'), "
            "('t-new', 'org', 'C', 'invoice', 1, '{\"n\":1}', 'x', 'x')");
    });
    EXPECT_FALSE(invoices_.hasCreditNote("inv"));
    EXPECT_EQ(invoices_.nextLineSortOrder("inv"), 0);
    const InvoiceLineRecord first = invoices_.addLine(line("inv", "fixed", 0, 0), "nl_21");
    InvoiceLineRecord later = line("inv", "fixed", 0, 0);
    later.sortOrder = 7;
    const InvoiceLineRecord last = invoices_.addLine(later, "nl_21");
    EXPECT_EQ(invoices_.nextLineSortOrder("inv"), 8);
    invoices_.deleteLine(last);  // deleted lines hold no place
    EXPECT_EQ(invoices_.nextLineSortOrder("inv"), 1);

    std::optional<InvoicePrintRecords> printed = invoices_.printRecords("inv");
    ASSERT_TRUE(printed);
    EXPECT_EQ(printed->lines.size(), 1u);
    EXPECT_EQ(printed->lines[0].id, first.id);
    EXPECT_EQ(printed->customer->companyName, "Bakker");
    EXPECT_EQ(printed->settings->orgName, "Studio");
    // A regular invoice without a template of its own: the organisation's default for new invoices.
    EXPECT_EQ(printed->invoiceTemplate->id, "t-new");

    stored("credit", "draft", std::nullopt);
    database_.writer->write([](Connection& db) {
        db.exec(
            "UPDATE draft_invoice SET credited_invoice_id = 'inv', invoice_type = 'credit_note' WHERE id = "
            "'credit'");
    });
    EXPECT_TRUE(invoices_.hasCreditNote("inv"));
    EXPECT_EQ(invoices_.printRecords("credit")->invoiceTemplate->id, "t-credit");
    invoices_.deleteInvoice("credit");
    EXPECT_FALSE(invoices_.hasCreditNote("inv"));
    EXPECT_FALSE(invoices_.printRecords("credit"));
    EXPECT_FALSE(invoices_.printRecords("ghost"));
}

}  // namespace
}  // namespace zelvorin
