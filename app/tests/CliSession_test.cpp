// The session seen from outside: zelvorin-cli processes against the real service, one device folder.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/tests/CliDevice.h"
#include "persistence/AppDatabase.h"

namespace {

using zelvorin::testing::CliDevice;
using zelvorin::testing::CliRun;
using zelvorin::testing::query;

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

nlohmann::json status(const CliDevice& device) {
    const CliRun run = device.run("status --json");
    EXPECT_EQ(run.exitCode, 0) << device.errors();
    return nlohmann::json::parse(run.out);
}

std::vector<std::string> filesUnder(const std::filesystem::path& root) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.path().filename() == "err.txt") continue;
        names.push_back(std::filesystem::relative(entry.path(), root).string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(CliSessionIntegrationTest, LogoutLeavesNoFileOfTheSessionAndLoginIsSeenByALaterProcess) {
    const CliDevice device;
    const std::string firstDevice = status(device)["deviceId"];
    ASSERT_EQ(device.run("login --auto").exitCode, 0) << device.errors();
    ASSERT_EQ(device.run("sync").exitCode, 0) << device.errors();
    const nlohmann::json signedIn = status(device);
    EXPECT_EQ(signedIn["sessionState"], "signedIn");
    EXPECT_TRUE(signedIn["lastSuccessfulSync"].is_string()) << signedIn.dump();
    const std::string customer = trimmed(query(device, "SELECT id FROM customer LIMIT 1"));
    ASSERT_EQ(device.run("invoice new --customer " + customer).exitCode, 0) << device.errors();
    const std::string before = zelvorin::testing::readFile(device.database());

    ASSERT_EQ(device.run("logout").exitCode, 0) << device.errors();

    const nlohmann::json after = status(device);
    EXPECT_EQ(after["sessionState"], "signedOut");
    EXPECT_NE(after["deviceId"], firstDevice);
    EXPECT_TRUE(after["lastSuccessfulSync"].is_null());
    EXPECT_EQ(trimmed(query(device, "SELECT COUNT(*) FROM draft_invoice")), "0");
    EXPECT_EQ(trimmed(query(device, "SELECT COUNT(*) FROM outbox_change")), "0");
    EXPECT_NE(zelvorin::testing::readFile(device.database()), before);
    EXPECT_EQ(filesUnder(device.root.path()),
              (std::vector<std::string>{"Zelvorin", "Zelvorin/defaults.json", "Zelvorin/zelvorin.sqlite",
                                        "group.nl.zelvorin.app"}));
}

TEST(CliSessionIntegrationTest,
     AfterSwitchOrgASyncHoldsOnlyTheSecondOrganisationAndNothingQueuedBeforeReachesIt) {
    const CliDevice device;
    ASSERT_EQ(device.run("login --auto --email sanne@studiozelvorin.nl").exitCode, 0) << device.errors();
    ASSERT_EQ(device.run("sync").exitCode, 0) << device.errors();
    const auto organizations = nlohmann::json::parse(device.run("orgs --json").out)["organizations"];
    ASSERT_EQ(organizations.size(), 2U);
    const std::string other = organizations[0]["isCurrent"].get<bool>() ? organizations[1]["organizationId"]
                                                                        : organizations[0]["organizationId"];
    const std::string customer = trimmed(query(device, "SELECT id FROM customer LIMIT 1"));
    const CliRun created = device.run("invoice new --customer " + customer);
    ASSERT_EQ(created.exitCode, 0) << device.errors();
    const std::string queued = trimmed(created.out);

    ASSERT_EQ(device.run("switch-org " + other).exitCode, 0) << device.errors();
    ASSERT_EQ(device.run("sync").exitCode, 0) << device.errors();

    EXPECT_NE(trimmed(query(device, "SELECT COUNT(*) FROM customer")), "0");
    EXPECT_EQ(
        trimmed(query(device, "SELECT COUNT(*) FROM customer WHERE organization_id <> '" + other + "'")),
        "0");
    EXPECT_EQ(
        trimmed(query(device, "SELECT COUNT(*) FROM draft_invoice WHERE organization_id <> '" + other + "'")),
        "0");
    EXPECT_EQ(trimmed(query(device, "SELECT COUNT(*) FROM draft_invoice WHERE id = '" + queued + "'")), "0");
    EXPECT_EQ(trimmed(query(device, "SELECT organization_id FROM sync_cursor")), other);
}

TEST(CliSessionIntegrationTest,
     ADatabaseOfANewerVersionOrUnreadableIsKeptWholeAndTheProgramSaysItStartedAfresh) {
    const CliDevice device;
    ASSERT_EQ(device.run("login --auto").exitCode, 0) << device.errors();
    ASSERT_EQ(device.run("sync").exitCode, 0) << device.errors();
    const std::string invoices = trimmed(query(device, "SELECT COUNT(*) FROM draft_invoice"));
    ASSERT_NE(invoices, "0");
    query(device, "INSERT INTO grdb_migrations (identifier) VALUES ('v90_uit_de_toekomst')");

    const nlohmann::json fresh = status(device);
    EXPECT_NE(device.errors().find("nieuwere versie"), std::string::npos) << device.errors();
    EXPECT_NE(device.errors().find("nieuwe, lege database"), std::string::npos) << device.errors();
    EXPECT_EQ(trimmed(query(device, "SELECT COUNT(*) FROM draft_invoice")), "0");
    std::vector<std::filesystem::path> kept;
    for (const auto& entry : std::filesystem::directory_iterator(device.root / "Zelvorin")) {
        const std::string name = entry.path().filename().string();
        if (name.find(".unreadable-") != std::string::npos && !name.ends_with("-wal") &&
            !name.ends_with("-shm"))
            kept.push_back(entry.path());
    }
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(trimmed(zelvorin::testing::runCommand("sqlite3 " + kept[0].string() +
                                                    " 'SELECT COUNT(*) FROM draft_invoice'")),
              invoices);

    // A file whose header was overwritten: not a database any more, kept all the same.
    zelvorin::testing::writeFile(device.database(), "kapot: dit was een database");
    status(device);
    EXPECT_NE(device.errors().find("geen bruikbare database"), std::string::npos) << device.errors();
    int unreadable = 0;
    for (const auto& entry : std::filesystem::directory_iterator(device.root / "Zelvorin")) {
        if (zelvorin::testing::readFile(entry.path()) == "kapot: dit was een database") ++unreadable;
    }
    EXPECT_EQ(unreadable, 1);
}

}  // namespace
