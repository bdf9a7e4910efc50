// A syncing zelvorin-cli killed with SIGKILL at random moments of a large first pull: after every
// kill the database is whole and holds exactly the pages whose cursor it stored, and a last
// uninterrupted cycle leaves it equal, row by row, to a device that synced without interruption.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "api-client/TokenStore.h"
#include "persistence/sqlite/Connection.h"
#include "persistence/sync/EntityMapping.h"
#include "sync/SyncTuning.h"
#include "testing/ChildProcess.h"
#include "testing/ServiceProcess.h"

namespace zelvorin {
namespace {

using testing::ServiceProcess;
using SteadyClock = std::chrono::steady_clock;

constexpr int kVolume = 20000;  // records on top of the demo: some forty pages
constexpr int kKills = 20;
constexpr std::int64_t kPageSize = SyncTuning::kPullPageSize;

// zelvorin-cli for one device directory, its output discarded.
class Cli {
public:
    Cli(const ServiceProcess& service, const std::filesystem::path& dataDir)
        : assignments_{"ZELVORIN_DATA_DIR=" + dataDir.string(), "ZELVORIN_BASE_URL=" + service.baseUrl()} {}

    pid_t start(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), ZELVORIN_CLI_BINARY);
        return testing::startProgram(std::move(arguments), assignments_, true);
    }
    int run(std::vector<std::string> arguments) const {
        return testing::waitForExit(start(std::move(arguments)));
    }

private:
    std::vector<std::string> assignments_;
};

std::filesystem::path databaseOf(const std::filesystem::path& dataDir) {
    return dataDir / "Zelvorin" / "zelvorin.sqlite";
}

std::string single(Connection& db, const std::string& sql) {
    Statement statement = db.prepare(sql);
    return statement.step() && !statement.isNull(0) ? statement.text(0) : std::string();
}

// Every pulled record of the device as "table/id".
std::set<std::string> localRecords(Connection& db) {
    std::set<std::string> records;
    for (const EntityMapping& mapping : entityMappings()) {
        Statement select = db.prepare("SELECT id FROM " + mapping.table);
        while (select.step())
            records.insert(mapping.table + "/" + select.text(0));
    }
    return records;
}

// The service's change sequence that a pull cursor stands for ("c1." + base64url(org \n sequence)).
std::int64_t cursorSequence(const std::string& cursor) {
    const std::optional<std::string> decoded = base64UrlDecode(cursor.substr(3));
    EXPECT_TRUE(decoded.has_value()) << cursor;
    return decoded ? std::stoll(decoded->substr(decoded->find('\n') + 1)) : -1;
}

TEST(SyncCrashSafetyIntegrationTest, KilledDuringALargeFirstPullTheDatabaseStaysWholeAndEndsAsTheService) {
    ServiceProcess service(ServiceProcess::demo(kVolume));
    testing::TempDir reference, device;
    const Cli referenceCli(service, reference.path());
    const Cli deviceCli(service, device.path());
    ASSERT_EQ(referenceCli.run({"login", "--auto"}), 0);
    ASSERT_EQ(deviceCli.run({"login", "--auto"}), 0);

    // The service's records of the organisation the devices work in, as "table/id" in the order
    // of their change sequence: the order a first pull brings them in.
    const auto serviceOrder = [&] {
        Connection db = Connection::open(databaseOf(reference.path()), Connection::Mode::readOnly);
        const std::string organizationId = single(db, "SELECT organization_id FROM org_settings LIMIT 1");
        const nlohmann::json records =
            nlohmann::json::parse(service.get("/admin/records?org=" + organizationId).body)["records"];
        std::map<std::int64_t, std::string> bySequence;
        for (const nlohmann::json& record : records) {
            if (record["deleted"].get<bool>()) continue;
            const auto type = parseSyncEntityType(record["entityType"].get<std::string>());
            bySequence[record["sequence"].get<std::int64_t>()] =
                entityMapping(*type)->table + "/" + record["id"].get<std::string>();
        }
        return bySequence;
    };

    const auto timed = [](const Cli& cli, const char* command) {
        const SteadyClock::time_point began = SteadyClock::now();
        EXPECT_EQ(cli.run({command}), 0) << command;
        return std::chrono::duration_cast<std::chrono::microseconds>(SteadyClock::now() - began).count();
    };
    const std::int64_t startup = timed(referenceCli, "status");
    const std::int64_t uninterrupted = timed(referenceCli, "sync");
    const std::map<std::int64_t, std::string> order = serviceOrder();
    ASSERT_GT(order.size(), static_cast<std::size_t>(kVolume));
    const auto total = static_cast<std::int64_t>(order.size());

    // Each run resumes where the last one was killed; the moments are spread so that the twenty
    // runs together cover about one whole pull, a few of them still starting up.
    // A run that got no further than the last one was killed while still starting up: on a busy
    // machine start-up takes longer than measured, so later kills wait a quarter longer.
    std::mt19937 random(20261207);
    std::int64_t earliest = startup * 4 / 5;
    std::uniform_int_distribution<std::int64_t> spread(
        0, startup / 5 + 2 * std::max<std::int64_t>(uninterrupted - startup, 0) / kKills);
    int killedMidPull = 0;
    std::int64_t previousPages = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t pid = deviceCli.start({"sync"});
        std::this_thread::sleep_for(std::chrono::microseconds(earliest + spread(random)));
        ::kill(pid, SIGKILL);
        testing::waitForExit(pid);
        if (!std::filesystem::exists(databaseOf(device.path()))) {  // killed before it made one
            earliest += earliest / 4;
            continue;
        }

        Connection db = Connection::open(databaseOf(device.path()));
        ASSERT_EQ(single(db, "PRAGMA integrity_check"), "ok") << "after kill " << kill;
        // Whole pages only: the rows are the first pages of the service's order, and the cursor
        // stands at a page boundary within them (the second cycle of a new device starts its
        // pull again from the beginning, once, when it records which types its cursor covers).
        const std::set<std::string> rows = localRecords(db);
        const auto pages = static_cast<std::int64_t>(rows.size());
        ASSERT_TRUE(pages % kPageSize == 0 || pages == total)
            << "after kill " << kill << ": " << pages << " rows";
        auto next = order.begin();
        for (std::int64_t n = 0; n < pages; ++n, ++next)
            ASSERT_TRUE(rows.count(next->second))
                << "after kill " << kill << ", " << next->second << " is missing";
        const std::string cursor = single(db, "SELECT cursor_token FROM sync_cursor WHERE id = 1");
        if (!cursor.empty()) {
            const std::int64_t upTo = cursorSequence(cursor);
            const auto covered =
                static_cast<std::int64_t>(std::distance(order.begin(), order.upper_bound(upTo)));
            EXPECT_TRUE(covered % kPageSize == 0 || covered == total) << cursor;
            EXPECT_LE(covered, pages) << "the cursor of kill " << kill << " is past the rows it stands for";
        }
        if (pages > 0 && pages < total) ++killedMidPull;
        if (pages == previousPages && pages < total) earliest += earliest / 4;
        previousPages = pages;
    }
    EXPECT_GE(killedMidPull, 3) << "too few kills landed inside the pull to say anything";

    ASSERT_EQ(deviceCli.run({"sync"}), 0);
    Connection db = Connection::open(databaseOf(device.path()));
    EXPECT_EQ(single(db, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(localRecords(db).size(), order.size());
    db.exec("ATTACH DATABASE '" + databaseOf(reference.path()).string() + "' AS reference");
    for (const EntityMapping& mapping : entityMappings()) {
        const std::string only =
            "SELECT * FROM main." + mapping.table + " EXCEPT SELECT * FROM reference." + mapping.table;
        const std::string missing =
            "SELECT * FROM reference." + mapping.table + " EXCEPT SELECT * FROM main." + mapping.table;
        EXPECT_EQ(single(db, "SELECT COUNT(*) FROM (" + only + ")"), "0") << mapping.table;
        EXPECT_EQ(single(db, "SELECT COUNT(*) FROM (" + missing + ")"), "0") << mapping.table;
    }
    std::cerr << "kills inside the pull: " << killedMidPull << " of " << kKills << "; uninterrupted pull "
              << uninterrupted / 1000 << " ms, start-up " << startup / 1000 << " ms\n";
}

}  // namespace
}  // namespace zelvorin
