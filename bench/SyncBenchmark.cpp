// Sync at volume against the real service on loopback. The service holds a busy practice's book
// of exactly 100 000 records (customers, contact persons, draft invoices and their lines, and the
// demo's records of every other kind); they are pulled once, untimed, as 200 pages of 500.
//
//   BM_PlainInsert        the floor: the same rows, one prepared plain INSERT per row (the columns
//                         the payload carries), 500-row transactions, into a new database file
//   BM_ApplyPulledPages   GRDBSyncStore::applyPulledChanges of the 200 pages, with their cursors
//   BM_InitialSync        zelvorin-cli sync on a new device, end to end; reports the client's
//                         peak resident memory
//   BM_Push10000Edits     one cycle pushing 10 000 queued new customers; reports changes per
//                         second and the push round trips
//
// After the run the ratios are printed: apply / plain insert (target <= 1.5), initial sync /
// apply (target <= 3) and the peak memory (target < 150 MB).
#include <benchmark/benchmark.h>
#include <sys/wait.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "api-client/SyncAPIClient.h"
#include "bench/support/RatioReporter.h"
#include "persistence/repositories/CustomerRepository.h"
#include "persistence/sync/GRDBSyncStore.h"
#include "persistence/sync/PayloadColumns.h"
#include "sync/SyncEngine.h"
#include "testing/ChildProcess.h"
#include "testing/ServiceProcess.h"
#include "testing/ServiceSignIn.h"

namespace zelvorin {
namespace {

using testing::ServiceProcess;

constexpr int kRecords = 100'000;
constexpr int kPushedEdits = 10'000;
constexpr const char* kOwner = "sanne@studiozelvorin.nl";

std::size_t recordCount(const ServiceProcess& service, const std::string& organizationId) {
    return nlohmann::json::parse(service.get("/admin/records?org=" + organizationId).body)["records"].size();
}

std::string currentOrganization(const ServiceProcess& service) {
    return nlohmann::json::parse(service.get("/admin/organizations").body)["organizations"][0]["id"];
}

// The service with exactly kRecords records in the first demo organisation, and its pages.
struct Volume {
    std::unique_ptr<ServiceProcess> service;
    std::vector<PullResponse> pages;
};

Volume& volume() {
    static Volume* made = [] {
        std::size_t demoRecords = 0;
        {
            ServiceProcess demo(ServiceProcess::demo(0));
            demoRecords = recordCount(demo, currentOrganization(demo));
        }
        auto* result = new Volume;
        result->service =
            std::make_unique<ServiceProcess>(ServiceProcess::demo(kRecords - static_cast<int>(demoRecords)));
        auto tokens = std::make_shared<InMemoryTokenStore>();
        tokens->save(testing::signInDevice(*result->service, "bench-pull", std::string(kOwner)));
        SyncAPIClient client(result->service->baseUrl(), tokens, "bench-pull");
        std::optional<std::string> cursor;
        for (;;) {
            result->pages.push_back(client.pull(cursor, 500, {}));
            cursor = result->pages.back().nextCursor;
            if (!result->pages.back().hasMore) break;
        }
        return result;
    }();
    return *made;
}

std::int64_t changeCount(const std::vector<PullResponse>& pages) {
    std::int64_t changes = 0;
    for (const PullResponse& page : pages)
        changes += static_cast<std::int64_t>(page.changes.size());
    return changes;
}

void BM_PlainInsert(benchmark::State& state) {
    const std::vector<PullResponse>& pages = volume().pages;
    for (auto _ : state) {
        testing::TempDir dir;
        AppDatabase database = AppDatabase::openFile(dir / "z.sqlite");
        std::map<std::pair<const EntityMapping*, std::uint64_t>, std::string> inserts;
        bench::timeIteration(state, [&] {
            for (const PullResponse& page : pages) {
                database.writer->write([&](Connection& db) {
                    for (const PullChange& change : page.changes) {
                        const EntityMapping* mapping = entityMapping(change.entityType);
                        const PayloadColumns values = payloadColumns(*mapping, *change.payload.asObject());
                        std::string& sql = inserts[{mapping, values.present}];
                        if (sql.empty()) {
                            std::string names, placeholders;
                            for (std::size_t i = 0; i < mapping->columns.size(); ++i) {
                                if (!(values.present & (std::uint64_t{1} << i))) continue;
                                names += mapping->columns[i].column + ", ";
                                placeholders += "?, ";
                            }
                            sql = "INSERT INTO " + mapping->table + " (" + names +
                                  "revision, sync_state) VALUES (" + placeholders + "?, 'synced')";
                        }
                        Statement& insert = db.cached(sql);
                        int position = 0;
                        for (const SqlValue& value : values.values)
                            insert.bind(++position, value);
                        insert.bind(++position, change.serverRevision);
                        insert.run();
                    }
                });
            }
        });
    }
    state.counters["changes"] = static_cast<double>(changeCount(pages));
}

void BM_ApplyPulledPages(benchmark::State& state) {
    const std::vector<PullResponse>& pages = volume().pages;
    for (auto _ : state) {
        testing::TempDir dir;
        GRDBSyncStore store(AppDatabase::openFile(dir / "z.sqlite"), std::make_shared<SystemClock>());
        bench::timeIteration(state, [&] {
            for (const PullResponse& page : pages)
                store.applyPulledChanges(page.changes, page.nextCursor);
        });
    }
    state.counters["changes"] = static_cast<double>(changeCount(pages));
}

// The high-water mark of a process's resident memory ("VmHWM" of /proc/<pid>/status), in kB;
// 0 once it is gone. Read from /proc rather than from wait4: a child started by posix_spawn
// inherits the parent's peak in its rusage, and this parent holds every page in memory.
long residentHighWater(pid_t pid) {
    std::FILE* status = std::fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r");
    if (status == nullptr) return 0;
    char line[256];
    long kilobytes = 0;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::sscanf(line, "VmHWM: %ld kB", &kilobytes) == 1) break;
    }
    std::fclose(status);
    return kilobytes;
}

// Runs zelvorin-cli for `dataDir` to its end; its peak resident memory, sampled every 5 ms, in
// `peakKilobytes`.
int runCli(const ServiceProcess& service, const std::filesystem::path& dataDir, const std::string& command,
           long* peakKilobytes = nullptr) {
    std::vector<std::string> arguments{ZELVORIN_CLI_BINARY, command};
    if (command == "login") arguments.emplace_back("--auto");
    const pid_t pid = testing::startProgram(
        std::move(arguments),
        {"ZELVORIN_DATA_DIR=" + dataDir.string(), "ZELVORIN_BASE_URL=" + service.baseUrl()}, false);
    int status = 0;
    long peak = 0;
    while (::waitpid(pid, &status, WNOHANG) == 0) {
        peak = std::max(peak, residentHighWater(pid));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (peakKilobytes) *peakKilobytes = peak;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void BM_InitialSync(benchmark::State& state) {
    const ServiceProcess& service = *volume().service;
    long peak = 0;
    for (auto _ : state) {
        testing::TempDir device;
        if (runCli(service, device.path(), "login") != 0) state.SkipWithError("login mislukt");
        bench::timeIteration(state, [&] {
            if (runCli(service, device.path(), "sync", &peak) != 0) state.SkipWithError("sync mislukt");
        });
    }
    state.counters["peak_MB"] = static_cast<double>(peak) / 1024.0;
}

// Counts the requests of a cycle on their way to the real transport.
class CountingTransport final : public SyncTransport {
public:
    explicit CountingTransport(std::shared_ptr<SyncTransport> inner) : inner_(std::move(inner)) {}
    PushResponse push(const PushRequest& request) override {
        ++pushes;
        return inner_->push(request);
    }
    PullResponse pull(const std::optional<std::string>& cursor, int limit,
                      std::span<const SyncEntityType> types) override {
        ++pulls;
        return inner_->pull(cursor, limit, types);
    }
    std::atomic<int> pushes{0};
    std::atomic<int> pulls{0};

private:
    std::shared_ptr<SyncTransport> inner_;
};

void BM_Push10000Edits(benchmark::State& state) {
    ServiceProcess service(ServiceProcess::demo(0));
    testing::TempDir dir;
    auto clock = std::make_shared<SystemClock>();
    auto store = std::make_shared<GRDBSyncStore>(AppDatabase::openFile(dir / "z.sqlite"), clock);
    auto tokens = std::make_shared<InMemoryTokenStore>();
    tokens->save(testing::signInDevice(service, "bench-push", std::string(kOwner)));
    auto transport = std::make_shared<CountingTransport>(
        std::make_shared<SyncAPIClient>(service.baseUrl(), tokens, "bench-push"));
    SyncEngine engine("bench-push", store, transport,
                      std::vector<SyncEntityType>(kAllSyncEntityTypes.begin(), kAllSyncEntityTypes.end()),
                      clock);
    engine.sync(SyncTrigger::manual);
    CustomerRepository customers(store->database(), clock);
    CustomerRecord fields;
    fields.organizationId = currentOrganization(service);
    fields.city = "Utrecht";
    int pushes = 0;
    double seconds = 0;
    for (auto _ : state) {
        for (int i = 0; i < kPushedEdits; ++i) {
            fields.companyName = "Nieuwe klant " + std::to_string(i);
            customers.createCustomer(fields);
        }
        transport->pushes = 0;
        const auto began = std::chrono::steady_clock::now();
        engine.sync(SyncTrigger::manual);
        const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        state.SetIterationTime(took);
        seconds += took;
        pushes = transport->pushes;
        if (store->pendingChangeCount() != 0) state.SkipWithError("niet alles is aangekomen");
    }
    state.counters["changes/s"] =
        static_cast<double>(kPushedEdits) * static_cast<double>(state.iterations()) / seconds;
    state.counters["push_round_trips"] = pushes;
}

BENCHMARK(BM_PlainInsert)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_ApplyPulledPages)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_InitialSync)->Unit(benchmark::kMillisecond)->Iterations(3)->UseManualTime();
BENCHMARK(BM_Push10000Edits)->Unit(benchmark::kMillisecond)->Iterations(2)->UseManualTime();

}  // namespace
}  // namespace zelvorin

int main(int argc, char** argv) {
    return zelvorin::bench::runWithRatios(argc, argv, [](const zelvorin::bench::RatioReporter& reporter) {
        reporter.printRatio("BM_ApplyPulledPages", "BM_PlainInsert");
        reporter.printRatio("BM_InitialSync", "BM_ApplyPulledPages");
        reporter.printCounters({"peak_MB", "round_trips", "changes/s"});
    });
}
