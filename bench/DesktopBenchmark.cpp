// The desktop on a practice's book of 100 000 invoices: from starting the zelvorin process to the
// Facturen list filled on screen, against the list's own statement stepped through the bare SQLite
// C API on the same file (what any window must at least wait for). The process's probe also reports
// the longest piece of GUI-thread work while scrolling the list page by page and while typing a
// search a character at a time (the budget of a frame is 16 ms). Offscreen, signed in to the local
// service's demo organisation.
#include <sys/wait.h>

#include <chrono>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "bench/support/RatioReporter.h"
#include "persistence/AppDatabase.h"
#include "persistence/repositories/InvoiceRepository.h"
#include "persistence/sqlite/BareReader.h"
#include "testing/ChildProcess.h"
#include "testing/ServiceProcess.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr const char* kToday = "2026-12-07";

// A device signed in to the demo organisation with 100 000 more invoices in its local store.
struct Device {
    testing::ServiceProcess service{testing::ServiceProcess::demo()};
    testing::TempDir root;
    std::filesystem::path database = root / "Zelvorin" / "zelvorin.sqlite";
    bool ready = false;

    Device() {
        const pid_t login = testing::startProgram(
            {ZELVORIN_CLI_BINARY, "login", "--auto"},
            {"ZELVORIN_DATA_DIR=" + root.path().string(), "ZELVORIN_BASE_URL=" + service.baseUrl()}, true);
        if (testing::waitForExit(login) != 0) return;
        AppDatabase opened = AppDatabase::openFile(database);
        opened.writer->write([](Connection& db) {
            db.exec(R"(
WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 99999)
INSERT INTO draft_invoice (id, organization_id, invoice_number, status, issue_date, due_date,
                           project_description, vat_treatment, subtotal_cents, vat_cents, total_cents,
                           created_at, updated_at)
SELECT 'bench-' || i, 'org', 'FAC-' || (2019 + i % 8) || '-' || printf('%05d', i),
       CASE i % 6 WHEN 0 THEN 'sent' WHEN 1 THEN 'paid' WHEN 2 THEN 'viewed' WHEN 3 THEN 'overdue'
                  WHEN 4 THEN 'draft' ELSE 'partiallyPaid' END,
       date('2019-01-01', '+' || (i % 2900) || ' days'), date('2019-01-31', '+' || (i % 2900) || ' days'),
       'Project ' || (i % 500), 'nl_21', 40000, 8400, 48400, '2026-01-01T00:00:00Z', '2026-01-01T00:00:00Z'
FROM n)");
        });
        ready = true;
    }

    static Device& shared() {
        static Device device;
        return device;
    }
};

std::map<std::string, double> readProbe(const std::filesystem::path& file) {
    std::map<std::string, double> values;
    std::ifstream in(file);
    std::string key;
    double value = 0;
    while (in >> key >> value)
        values[key] = value;
    return values;
}

void BM_FacturenStatementBare(benchmark::State& state) {
    Device& device = Device::shared();
    if (!device.ready) return state.SkipWithError("aanmelden bij de dienst mislukt");
    const BareReader bare(device.database);
    const auto [sql, arguments] = InvoiceRepository::listStatement({}, kToday);
    std::size_t rows = 0;
    for (auto _ : state)
        rows = bare.run(sql, arguments).rows;
    state.counters["rows"] = static_cast<double>(rows);
}

void BM_DesktopStartToFilledFacturen(benchmark::State& state) {
    Device& device = Device::shared();
    if (!device.ready) return state.SkipWithError("aanmelden bij de dienst mislukt");
    const std::filesystem::path probe = device.root / "probe.txt";
    std::map<std::string, double> values;
    for (auto _ : state) {
        std::filesystem::remove(probe);
        const auto started = SteadyClock::now();
        const pid_t pid = testing::startProgram(
            {ZELVORIN_DESKTOP_BINARY, "--measure", probe.string()},
            {"ZELVORIN_DATA_DIR=" + device.root.path().string(),
             "ZELVORIN_BASE_URL=" + device.service.baseUrl(), "QT_QPA_PLATFORM=offscreen"},
            true);
        // The probe writes its first line the moment the filled list is drawn.
        while (!std::filesystem::exists(probe) && ::waitpid(pid, nullptr, WNOHANG) == 0)
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        const auto filled = SteadyClock::now();
        state.SetIterationTime(std::chrono::duration<double>(filled - started).count());
        testing::waitForExit(pid);
        values = readProbe(probe);
    }
    for (const auto& [key, value] : values)
        state.counters[key] = value;
}

BENCHMARK(BM_FacturenStatementBare)->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK(BM_DesktopStartToFilledFacturen)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace
}  // namespace zelvorin

int main(int argc, char** argv) {
    return zelvorin::bench::runWithRatios(argc, argv, [](const zelvorin::bench::RatioReporter& reporter) {
        reporter.printRatio("BM_DesktopStartToFilledFacturen", "BM_FacturenStatementBare");
        reporter.printCounters({"_us", ".rows", ".filled", "MaxMs"});
    });
}
