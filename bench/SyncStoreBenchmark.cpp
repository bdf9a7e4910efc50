// Applying pull pages, the hot path of a first sync: 500-change pages of customers with
// time-ordered ids (as the service makes them) through GRDBSyncStore, against the floor of the
// same rows written by one hand-prepared INSERT in 500-row transactions on the same kind of file.
// Report: the ratio of the two per page ("store/floor"), and pages per second.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "persistence/sync/GRDBSyncStore.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

constexpr int kPageSize = 500;

std::vector<PullChange> customerPage(int page) {
    std::vector<PullChange> changes;
    changes.reserve(kPageSize);
    for (int i = 0; i < kPageSize; ++i) {
        const std::string id =
            uuidV7(*parseTimestamp("2026-03-02T10:00:00Z"), static_cast<std::uint64_t>(page * kPageSize + i));
        const std::string n = std::to_string(page * kPageSize + i);
        changes.push_back({SyncEntityType::customer, id, SyncOperation::update, 1, "2026-03-02T10:00:00Z",
                           JSONValue::object({{"id", id},
                                              {"organizationId", "018cc251-f400-7000-8000-0000000005e5"},
                                              {"companyName", "Klant " + n + " B.V."},
                                              {"billingEmail", "klant" + n + "@example.nl"},
                                              {"street", "Dorpsstraat"},
                                              {"houseNumber", n},
                                              {"postcode", "1234 AB"},
                                              {"city", "Utrecht"},
                                              {"country", "NL"},
                                              {"paymentTermsOverride", 30},
                                              {"archived", false},
                                              {"createdAt", "2026-03-02T10:00:00.000Z"},
                                              {"updatedAt", "2026-03-02T10:00:00.000Z"},
                                              {"serverModifiedAt", "2026-03-02T10:00:00.000Z"}})});
    }
    return changes;
}

void BM_ApplyPullPage(benchmark::State& state) {
    testing::TempDir dir;
    GRDBSyncStore store(AppDatabase::openFile(dir / "z.sqlite"),
                        std::make_shared<ManualClock>(*parseTimestamp("2026-03-02T10:00:00Z")));
    int page = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::vector<PullChange> changes = customerPage(page++);
        state.ResumeTiming();
        store.applyPulledChanges(changes, "cursor-" + std::to_string(page));
    }
    state.counters["pages/s"] = benchmark::Counter(static_cast<double>(page), benchmark::Counter::kIsRate);
}

// The floor: the same columns bound from the same values, one prepared statement, no store.
void BM_HandWrittenInsertPage(benchmark::State& state) {
    testing::TempDir dir;
    AppDatabase database = AppDatabase::openFile(dir / "z.sqlite");
    int page = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::vector<PullChange> changes = customerPage(page++);
        state.ResumeTiming();
        database.writer->write([&](Connection& db) {
            Statement& insert = db.cached(
                "INSERT INTO customer (id, organization_id, company_name, billing_email, street, "
                "house_number, postcode, "
                "city, country, payment_terms_override, archived, created_at, updated_at, "
                "server_modified_at, "
                "revision, sync_state) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 'synced')");
            for (const PullChange& change : changes) {
                const JSONObject& p = *change.payload.asObject();
                int i = 0;
                for (const auto& [key, value] : p) {
                    if (const std::string* text = value.asString()) {
                        insert.bind(++i, *text);
                    } else if (const auto whole = value.asInteger()) {
                        insert.bind(++i, *whole);
                    } else {
                        insert.bind(++i, std::int64_t{*value.asBool() ? 1 : 0});
                    }
                }
                insert.bind(++i, change.serverRevision);
                insert.run();
                insert.reset();
            }
        });
    }
}

BENCHMARK(BM_HandWrittenInsertPage)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ApplyPullPage)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
}  // namespace zelvorin

BENCHMARK_MAIN();
