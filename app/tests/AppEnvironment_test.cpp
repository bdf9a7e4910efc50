#include "app/AppEnvironment.h"

#include <gtest/gtest.h>

#include <regex>

#include "testing/TempDir.h"

namespace zelvorin {
namespace {

BaseUrl localBaseUrl() {
    return *BaseUrl::parse("http://127.0.0.1:1/");
}

struct Collected {
    std::vector<std::string> lines;
    AppEnvironment::Diagnostic sink() {
        return [this](const std::string& line) { lines.push_back(line); };
    }
};

bool isLowerCaseUuid(const std::string& text) {
    static const std::regex pattern("^[0-9a-f]{8}-[0-9a-f]{4}-4[0-9a-f]{3}-[89ab][0-9a-f]{3}-[0-9a-f]{12}$");
    return std::regex_match(text, pattern);
}

TEST(AppEnvironmentIntegrationTest, FirstLaunchCreatesDeviceIdAndDatabaseThatTheSecondLaunchReuses) {
    testing::TempDir root;
    Collected diagnostics;
    std::string firstId;
    {
        AppEnvironment environment(localBaseUrl(), AppPaths::under(root.path()), diagnostics.sink());
        firstId = environment.deviceId();
        EXPECT_TRUE(isLowerCaseUuid(firstId)) << firstId;
        EXPECT_EQ(environment.sessionState(), SessionState::signedOut);
        EXPECT_EQ(environment.syncStatus(), SyncDisplayStatus{SyncDisplayStatus::Synced{}});
        EXPECT_FALSE(environment.databaseInMemory());
        EXPECT_EQ(environment.databasePath(), root.path() / "Zelvorin" / "zelvorin.sqlite");
        EXPECT_TRUE(std::filesystem::exists(environment.databasePath()));
        EXPECT_EQ(environment.database().appliedMigrations().size(), 26u);
    }
    EXPECT_NE(testing::readFile(root.path() / "Zelvorin" / "defaults.json").find(firstId), std::string::npos);

    AppEnvironment again(localBaseUrl(), AppPaths::under(root.path()), diagnostics.sink());
    EXPECT_EQ(again.deviceId(), firstId);
    EXPECT_TRUE(diagnostics.lines.empty());
}

TEST(AppEnvironmentIntegrationTest, DefaultsThatAreNotJsonAreReplacedWithANewDeviceId) {
    testing::TempDir root;
    auto defaultsFile = root.path() / "Zelvorin" / "defaults.json";
    testing::writeFile(defaultsFile, "{\"nl.zelvorin.deviceId\": \"abc\", ");  // cut off mid-write
    Collected diagnostics;

    AppEnvironment environment(localBaseUrl(), AppPaths::under(root.path()), diagnostics.sink());

    EXPECT_TRUE(isLowerCaseUuid(environment.deviceId()));
    ASSERT_EQ(diagnostics.lines.size(), 1u);
    EXPECT_NE(diagnostics.lines[0].find("geen geldige JSON"), std::string::npos);
    auto stored = nlohmann::json::parse(testing::readFile(defaultsFile));
    EXPECT_EQ(stored["nl.zelvorin.deviceId"], environment.deviceId());
}

TEST(AppEnvironmentIntegrationTest, ATextFileAtTheDatabasePathIsKeptAsideAndReplacedByAFreshDatabase) {
    testing::TempDir root;
    auto databaseFile = root.path() / "Zelvorin" / "zelvorin.sqlite";
    testing::writeFile(databaseFile, "Dit is geen database, maar een boodschappenlijstje.\n");
    Collected diagnostics;

    AppEnvironment environment(localBaseUrl(), AppPaths::under(root.path()), diagnostics.sink());

    EXPECT_FALSE(environment.databaseInMemory());
    EXPECT_EQ(environment.database().appliedMigrations().size(), 26u);
    EXPECT_FALSE(diagnostics.lines.empty());
    EXPECT_EQ(testing::readFile(databaseFile).substr(0, 15), "SQLite format 3");
    ASSERT_TRUE(environment.databaseMovedAside());
    EXPECT_EQ(testing::readFile(*environment.databaseMovedAside()),
              "Dit is geen database, maar een boodschappenlijstje.\n");
}

TEST(SyncDisplayStatusTest, EveryEngineStatusHasItsChip) {
    const auto at = std::chrono::system_clock::time_point(std::chrono::seconds(1'700'000'000));
    using S = SyncDisplayStatus;
    EXPECT_EQ(displayStatus(SyncEngineStatus::idle(at)), S{S::Synced{at}});
    EXPECT_EQ(displayStatus(SyncEngineStatus::idle()), S{S::Synced{}});
    EXPECT_EQ(displayStatus(SyncEngineStatus::offline(3)), S{S::Offline{3}});
    EXPECT_EQ(displayStatus(SyncEngineStatus::failed("Kapot", at)), (S{S::Failed{"Kapot", at}}));
    EXPECT_EQ(displayStatus(SyncEngineStatus::conflictsNeedAttention(2)), S{S::Conflicts{2}});
    EXPECT_EQ(displayStatus(SyncEngineStatus::syncing()), S{S::Syncing{}});
    EXPECT_EQ(displayStatus(SyncEngineStatus::waitingForServer(at)), S{S::WaitingForServer{}});
    EXPECT_EQ(describe(displayStatus(SyncEngineStatus::offline(3))), "offline (3 wachtend)");
}

}  // namespace
}  // namespace zelvorin
