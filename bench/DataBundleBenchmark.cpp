// The organisation's export bundle: the demo organisation with 5 000 more records and 40 stored
// files of 256 KiB (10 MiB), exported and imported into the second organisation. Baseline: reading
// the same records and files in one transaction, which an export cannot do without. The target:
// sealing costs at most as much again as the reading (1.2 to 2.0 measured on a busy 2-core
// machine), and the import (every record written as a change devices pull) stays within a few
// seconds. The key derivation is a fixed cost per bundle, shown on its own.
#include <chrono>
#include <string>

#include "bench/support/RatioReporter.h"
#include "persistence/sqlite/Connection.h"
#include "service/data/DataActions.h"
#include "service/seed/DemoSeed.h"
#include "service/store/OrganizationData.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using namespace std::chrono;

constexpr int kVolume = 5000;
constexpr int kFiles = 40;
constexpr std::size_t kFileBytes = 256 * 1024;
// The bundle's own key cost is measured by BM_DeriveKey; the others use a cheap one so that they
// show the work that grows with the organisation.
constexpr bundle::KdfCost kCheap{10, 8, 1};
const TimePoint kNow = sys_days{year{2026} / March / 16} + hours{10};

struct Practice {
    testing::TempDir root;
    ServiceDatabase database{root / "data"};
    Caller owner{demoOwnerUserId(), demoOrganizationId(), "bench", "bench", std::nullopt};
    Caller second{demoOwnerUserId(), secondOrganizationId(), "bench", "bench", std::nullopt};
    std::string bundle;

    Practice() {
        seedDemo(database, year{2026} / March / 16, kVolume);
        database.write([&](Connection& db) {
            for (int i = 0; i < kFiles; ++i) {
                std::string bytes(kFileBytes, '\0');
                for (std::size_t b = 0; b < bytes.size(); ++b)
                    bytes[b] = static_cast<char>((b * 7 + i) & 0xff);
                storedfiles::put(
                    db, demoOrganizationId(),
                    {"kvitra/scan-" + std::to_string(i) + "/bon.pdf", "bon.pdf", "application/pdf", bytes},
                    kNow);
            }
        });
    }
};

Practice& practice() {
    static Practice shared;
    return shared;
}

void BM_ReadOrganisation(benchmark::State& state) {
    Practice& p = practice();
    for (auto _ : state) {
        bench::timeIteration(state, [&] {
            p.database.read([&](Connection& db) {
                std::size_t bytes = 0;
                for (const StoredRecord& record : records::all(db, demoOrganizationId(), std::nullopt))
                    bytes += record.payload.dump().size();
                for (const StoredFile& file : organizationdata::files(db, demoOrganizationId()))
                    bytes += file.bytes.size();
                benchmark::DoNotOptimize(bytes);
            });
        });
    }
}

void BM_ExportBundle(benchmark::State& state) {
    Practice& p = practice();
    for (auto _ : state) {
        bench::timeIteration(state, [&] {
            p.bundle = exportOrganization(p.database, p.owner, "benchmark-wachtwoord", kNow, kCheap).bytes;
        });
    }
    state.counters["bundle_mib"] = static_cast<double>(p.bundle.size()) / (1024.0 * 1024.0);
}

void BM_ImportBundle(benchmark::State& state) {
    Practice& p = practice();
    for (auto _ : state) {
        bench::timeIteration(state, [&] {
            benchmark::DoNotOptimize(
                importOrganization(p.database, p.second, "replace", "benchmark-wachtwoord", p.bundle, kNow));
        });
    }
}

void BM_DeriveKey(benchmark::State& state) {
    for (auto _ : state) {
        bench::timeIteration(state, [&] {
            bundle::BundleSealer sealer("benchmark-wachtwoord");
            benchmark::DoNotOptimize(sealer.finish());
        });
    }
}

BENCHMARK(BM_ReadOrganisation)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_ExportBundle)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_ImportBundle)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_DeriveKey)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
}  // namespace zelvorin::service

int main(int argc, char** argv) {
    return zelvorin::bench::runWithRatios(argc, argv, [](const zelvorin::bench::RatioReporter& reporter) {
        reporter.printRatio("BM_ExportBundle", "BM_ReadOrganisation");
        reporter.printRatio("BM_ImportBundle", "BM_ExportBundle");
        reporter.printCounters({"bundle_mib"});
    });
}
