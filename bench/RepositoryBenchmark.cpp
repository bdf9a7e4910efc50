// The local store's busiest reads and its line edits, on a practice's book of 100 000 invoices with
// 400 000 lines and 10 000 customers:
//   - the overdue segment with a search text, and the customer search, each against the very same
//     statement stepped through the bare SQLite C API (prepare, bind, step, read every column);
//   - search as you type over all invoices ("FAC-2024-0"), through the trigram index, against the
//     LIKE scan of the four searched columns that the index replaced, stepped the same bare way;
//   - from the commit of a line edit to the delivery of the refreshed invoice detail (median and
//     99th percentile over 1 000 edits);
//   - one line edit (with the totals recalculated) on invoices of 50, 500 and 5 000 lines.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "bench/support/RatioReporter.h"
#include "domain/Timestamps.h"
#include "persistence/repositories/CustomerRepository.h"
#include "persistence/repositories/InvoiceRepository.h"
#include "persistence/sqlite/BareReader.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr const char* kToday = "2026-12-07";
constexpr const char* kInvoiceSearch = "Bakkerij";
constexpr const char* kCustomerSearch = "jan";

// One book for every benchmark of the run, built with set-based SQL so that it takes seconds.
struct Book {
    testing::TempDir root;
    std::filesystem::path path = root / "zelvorin.sqlite";
    AppDatabase database = AppDatabase::openFile(path);
    std::shared_ptr<ManualClock> clock =
        std::make_shared<ManualClock>(*parseTimestamp("2026-12-07T09:00:00Z"));
    InvoiceRepository invoices{database, clock};

    Book() {
        database.writer->write([](Connection& db) {
            db.exec(R"(
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 9999)
INSERT INTO customer (id, organization_id, company_name, city, created_at, updated_at)
SELECT 'c' || i, 'org',
       CASE i % 10 WHEN 0 THEN 'Bakkerij ' WHEN 1 THEN 'Studio ' WHEN 2 THEN 'Jansen ' ELSE 'Klant ' END || i,
       CASE i % 7 WHEN 0 THEN 'Jannum' ELSE 'Utrecht' END, '2026-01-01T00:00:00Z', '2026-01-01T00:00:00Z'
FROM n)");
            db.exec(R"(
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 9999)
INSERT INTO contact_person (id, contact_id, name, created_at)
SELECT 'p' || i, 'c' || i, CASE i % 13 WHEN 0 THEN 'Jan de Vries' ELSE 'Marieke Bos' END,
       '2026-01-01T00:00:00Z' FROM n)");
            db.exec(R"(
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 99999)
INSERT INTO draft_invoice (id, organization_id, customer_id, invoice_number, status, issue_date, due_date,
                           project_description, vat_treatment, subtotal_cents, vat_cents, total_cents,
                           created_at, updated_at)
SELECT 'i' || i, 'org', 'c' || (i % 10000), 'FAC-' || (2019 + i % 8) || '-' || printf('%05d', i),
       CASE i % 6 WHEN 0 THEN 'sent' WHEN 1 THEN 'paid' WHEN 2 THEN 'viewed' WHEN 3 THEN 'overdue'
                  WHEN 4 THEN 'draft' ELSE 'partiallyPaid' END,
       date('2019-01-01', '+' || (i % 2900) || ' days'), date('2019-01-31', '+' || (i % 2900) || ' days'),
       'Project ' || (i % 500), 'nl_21', 40000, 8400, 48400, '2026-01-01T00:00:00Z', '2026-01-01T00:00:00Z'
FROM n)");
            db.exec(R"(
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 399999)
INSERT INTO invoice_line (id, invoice_id, sort_order, description, line_mode, quantity_hundredths,
                          unit_price_cents, created_at, updated_at)
SELECT 'l' || i, 'i' || (i / 4), i % 4, 'Werk', 'hours_rate', 100, 10000,
       '2026-01-01T00:00:00Z', '2026-01-01T00:00:00Z' FROM n)");
        });
    }

    static Book& shared() {
        static Book book;
        return book;
    }
};

// The statement run the bare way (the C API, prepared and finalised each time): every column read as
// the type it has, as a caller would.
std::size_t bareRows(const BareReader& bare, const std::string& sql, const std::vector<SqlValue>& arguments) {
    const BareReader::Run run = bare.run(sql, arguments);
    benchmark::DoNotOptimize(run.bytes);
    return run.rows;
}

const InvoiceListQuery kOverdueQuery{InvoiceSegment::achterstallig, kInvoiceSearch, std::nullopt};

void BM_OverdueSearchBare(benchmark::State& state) {
    const BareReader bare(Book::shared().path);
    const auto [sql, arguments] = InvoiceRepository::listStatement(kOverdueQuery, kToday);
    std::size_t rows = 0;
    for (auto _ : state)
        rows = bareRows(bare, sql, arguments);
    state.counters["rows"] = static_cast<double>(rows);
}

void BM_OverdueSearchRepository(benchmark::State& state) {
    Book& book = Book::shared();
    std::size_t rows = 0;
    for (auto _ : state) {
        rows = book.database.writer->read(
            [](Connection& db) { return InvoiceRepository::list(db, kOverdueQuery, kToday).size(); });
    }
    state.counters["rows"] = static_cast<double>(rows);
}

constexpr const char* kTypedSearch = "FAC-2024-0";
const InvoiceListQuery kTypedQuery{InvoiceSegment::alle, kTypedSearch, std::nullopt};

// The baseline: the list statement as it was before the index, every invoice's four texts scanned.
void BM_TypedSearchLikeScan(benchmark::State& state) {
    const BareReader bare(Book::shared().path);
    const std::string pattern = std::string("%") + kTypedSearch + "%";
    const std::string sql =
        std::string(kInvoiceListSelect) +
        "WHERE i.deleted_at IS NULL AND (i.invoice_number LIKE ? OR c.company_name LIKE ?\n"
        "      OR i.project_description LIKE ? OR i.reference_number LIKE ?)"
        "\nORDER BY i.issue_date DESC, i.created_at DESC";
    std::size_t rows = 0;
    for (auto _ : state)
        rows = bareRows(bare, sql, {pattern, pattern, pattern, pattern});
    state.counters["rows"] = static_cast<double>(rows);
}

void BM_TypedSearchIndexed(benchmark::State& state) {
    Book& book = Book::shared();
    std::size_t rows = 0;
    for (auto _ : state) {
        rows = book.database.writer->read(
            [](Connection& db) { return InvoiceRepository::list(db, kTypedQuery, kToday).size(); });
    }
    state.counters["rows"] = static_cast<double>(rows);
}

void BM_CustomerSearchBare(benchmark::State& state) {
    const BareReader bare(Book::shared().path);
    const std::string pattern = std::string("%") + kCustomerSearch + "%";
    const std::string sql = CustomerRepository::customersStatement(false, true);
    std::size_t rows = 0;
    for (auto _ : state)
        rows = bareRows(bare, sql, {pattern, pattern, pattern});
    state.counters["rows"] = static_cast<double>(rows);
}

void BM_CustomerSearchRepository(benchmark::State& state) {
    Book& book = Book::shared();
    std::size_t rows = 0;
    for (auto _ : state) {
        rows = book.database.writer->read(
            [](Connection& db) { return CustomerRepository::customers(db, false, kCustomerSearch).size(); });
    }
    state.counters["rows"] = static_cast<double>(rows);
}

// From the return of the write (its commit) to the detail that shows the edit.
void BM_DetailObservationLatency(benchmark::State& state) {
    Book& book = Book::shared();
    auto delivery = std::make_shared<SerialExecutor>();
    std::mutex mutex;
    std::condition_variable arrived;
    std::int64_t expectedTotal = -1;
    SteadyClock::time_point deliveredAt;
    ObservationHandle handle = book.invoices.observeDetail(
        "i4",  // a draft: lines of a sent or paid invoice are not edited
        [&](std::optional<InvoiceDetail> detail) {
            std::lock_guard lock(mutex);
            if (detail && detail->invoice.totalCents == expectedTotal) {
                deliveredAt = SteadyClock::now();
                expectedTotal = -1;
                arrived.notify_all();
            }
        },
        delivery);
    InvoiceLineRecord line = *book.invoices.line("l16");
    std::vector<double> microseconds;
    for (auto _ : state) {
        for (int edit = 0; edit < 1000; ++edit) {
            line.quantityHundredths = 101 + edit;  // a new total every time, never negative
            const std::int64_t excl = 30000 + *line.quantityHundredths * 100;
            {
                std::lock_guard lock(mutex);
                expectedTotal = excl + (excl * 21 + 50) / 100;  // one line's VAT rounds like the whole
            }
            book.invoices.updateLine(line, "nl_21");
            const SteadyClock::time_point committed = SteadyClock::now();
            std::unique_lock lock(mutex);
            arrived.wait(lock, [&] { return expectedTotal == -1; });
            microseconds.push_back(
                std::chrono::duration<double, std::micro>(deliveredAt - committed).count());
        }
    }
    handle.cancel();
    std::sort(microseconds.begin(), microseconds.end());
    state.counters["median_us"] = microseconds[microseconds.size() / 2];
    state.counters["p99_us"] = microseconds[microseconds.size() * 99 / 100];
}

// One line edit on an invoice of `lines` lines: the row, its queued change and the totals.
void BM_LineEditRecalculation(benchmark::State& state) {
    Book& book = Book::shared();
    const auto lines = state.range(0);
    const std::string invoiceId = "big" + std::to_string(lines);
    book.database.writer->write([&](Connection& db) {
        db.prepare(
              "INSERT OR IGNORE INTO draft_invoice (id, organization_id, status, issue_date, vat_treatment, "
              "created_at, updated_at) VALUES (?, 'org', 'draft', '2026-12-01', 'nl_21', 'x', 'x')")
            .bind(1, invoiceId)
            .run();
        db.prepare(
              "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ? - 1) "
              "INSERT OR IGNORE INTO invoice_line (id, invoice_id, sort_order, description, line_mode, "
              "quantity_hundredths, unit_price_cents, vat_treatment_override, created_at, updated_at) "
              "SELECT ?2 || '-' || i, ?2, i, 'Werk', 'hours_rate', 150, 8500, "
              "CASE i % 3 WHEN 0 THEN 'nl_9' ELSE NULL END, 'x', 'x' FROM n")
            .bind(1, static_cast<std::int64_t>(lines))
            .bind(2, invoiceId)
            .run();
    });
    InvoiceLineRecord line = *book.invoices.line(invoiceId + "-0");
    std::int64_t quantity = 100;
    for (auto _ : state) {
        line.quantityHundredths = ++quantity;
        book.invoices.updateLine(line, "nl_21");
    }
    state.counters["lines"] = static_cast<double>(lines);
}

BENCHMARK(BM_OverdueSearchBare)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_OverdueSearchRepository)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_TypedSearchLikeScan)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_TypedSearchIndexed)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_CustomerSearchBare)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_CustomerSearchRepository)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_DetailObservationLatency)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_LineEditRecalculation)->Arg(50)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zelvorin

int main(int argc, char** argv) {
    return zelvorin::bench::runWithRatios(argc, argv, [](const zelvorin::bench::RatioReporter& reporter) {
        reporter.printRatio("BM_OverdueSearchRepository", "BM_OverdueSearchBare");
        reporter.printRatio("BM_TypedSearchIndexed", "BM_TypedSearchLikeScan");
        reporter.printRatio("BM_CustomerSearchRepository", "BM_CustomerSearchBare");
        reporter.printCounters({"_us", ".rows"});
    });
}
