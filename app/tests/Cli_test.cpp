#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "testing/ServiceProcess.h"
#include "testing/TempDir.h"

namespace {

struct CliRun {
    int exitCode = -1;
    std::string out;
};

// Runs zelvorin-cli with the given environment assignments; stderr goes to `errFile`.
CliRun runCli(const std::string& environment, const std::string& arguments,
              const std::filesystem::path& errFile) {
    std::string command =
        "env " + environment + " " + ZELVORIN_CLI_BINARY + " " + arguments + " 2>" + errFile.string();
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    std::array<char, 4096> buffer{};
    std::size_t n = 0;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.out.append(buffer.data(), n);
    int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(CliIntegrationTest, StatusReportsDeviceDatabaseMigrationsAndSession) {
    zelvorin::testing::TempDir root;
    std::string environment =
        "ZELVORIN_DATA_DIR=" + root.path().string() + " ZELVORIN_BASE_URL=http://127.0.0.1:9/";
    CliRun first = runCli(environment, "status --json", root / "err.txt");
    ASSERT_EQ(first.exitCode, 0) << zelvorin::testing::readFile(root / "err.txt");
    auto body = nlohmann::json::parse(first.out);
    EXPECT_EQ(body["sessionState"], "signedOut");
    EXPECT_EQ(body["baseURL"], "http://127.0.0.1:9/");
    EXPECT_EQ(body["databasePath"], (root.path() / "Zelvorin" / "zelvorin.sqlite").string());
    ASSERT_EQ(body["migrations"].size(), 23u);
    EXPECT_EQ(body["migrations"][0], "v1_sync_foundation");
    EXPECT_EQ(body["migrations"][22], "v23_customer_language");

    CliRun second = runCli(environment, "status", root / "err.txt");
    ASSERT_EQ(second.exitCode, 0);
    EXPECT_NE(second.out.find(body["deviceId"].get<std::string>()), std::string::npos);
    EXPECT_NE(second.out.find("Sessie:       signedOut"), std::string::npos);
}

TEST(CliIntegrationTest, AnUnusableServiceAddressStopsWithADutchMessage) {
    zelvorin::testing::TempDir root;
    CliRun run = runCli("ZELVORIN_DATA_DIR=" + root.path().string() + " ZELVORIN_BASE_URL=niet-een-adres",
                        "status", root / "err.txt");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(zelvorin::testing::readFile(root / "err.txt").find("ZELVORIN_BASE_URL"), std::string::npos);
}

TEST(CliIntegrationTest, LoginWhoamiSwitchOrgAndLogoutAgainstTheService) {
    zelvorin::testing::ServiceProcess service(zelvorin::testing::ServiceProcess::demo());
    zelvorin::testing::TempDir root;
    const std::string environment =
        "ZELVORIN_DATA_DIR=" + root.path().string() + " ZELVORIN_BASE_URL=" + service.baseUrl();
    const std::filesystem::path err = root / "err.txt";

    const CliRun before = runCli(environment, "whoami", err);
    EXPECT_EQ(before.exitCode, 3);
    EXPECT_NE(zelvorin::testing::readFile(err).find("Niet aangemeld"), std::string::npos);

    const CliRun login = runCli(environment, "login --auto --email daan@studiozelvorin.nl --json", err);
    ASSERT_EQ(login.exitCode, 0) << zelvorin::testing::readFile(err);
    const auto signedIn = nlohmann::json::parse(login.out);
    EXPECT_TRUE(signedIn["signedIn"].get<bool>());

    // Another process, the same device: the stored pair is used.
    const CliRun who = runCli(environment, "whoami --json", err);
    ASSERT_EQ(who.exitCode, 0) << zelvorin::testing::readFile(err);
    const auto identity = nlohmann::json::parse(who.out);
    EXPECT_EQ(identity["userId"], signedIn["userId"]);
    EXPECT_EQ(identity["deviceId"], signedIn["deviceId"]);
    EXPECT_EQ(identity["organizationName"], "Studio Zelvorin");
    EXPECT_EQ(identity["role"], "member");

    const CliRun unknown = runCli(environment, "switch-org bestaat-niet", err);
    EXPECT_EQ(unknown.exitCode, 4);
    EXPECT_NE(zelvorin::testing::readFile(err).find("Onbekende organisatie"), std::string::npos);

    EXPECT_EQ(runCli(environment, "logout", err).exitCode, 0);
    EXPECT_EQ(runCli(environment, "orgs", err).exitCode, 3);

    service.stop();
    const CliRun offline = runCli(environment, "login --auto", err);
    EXPECT_EQ(offline.exitCode, 6);
    EXPECT_NE(zelvorin::testing::readFile(err).find("niet bereikbaar"), std::string::npos);
}

TEST(CliIntegrationTest, SwitchOrgMovesToTheSecondOrganisation) {
    zelvorin::testing::ServiceProcess service(zelvorin::testing::ServiceProcess::demo());
    zelvorin::testing::TempDir root;
    const std::string environment =
        "ZELVORIN_DATA_DIR=" + root.path().string() + " ZELVORIN_BASE_URL=" + service.baseUrl();
    const std::filesystem::path err = root / "err.txt";
    ASSERT_EQ(runCli(environment, "login --auto --email sanne@studiozelvorin.nl", err).exitCode, 0);
    const auto organizations =
        nlohmann::json::parse(runCli(environment, "orgs --json", err).out)["organizations"];
    ASSERT_EQ(organizations.size(), 2U);
    const std::string other = organizations[0]["isCurrent"].get<bool>() ? organizations[1]["organizationId"]
                                                                        : organizations[0]["organizationId"];
    const CliRun switched = runCli(environment, "switch-org " + other + " --json", err);
    ASSERT_EQ(switched.exitCode, 0) << zelvorin::testing::readFile(err);
    EXPECT_TRUE(nlohmann::json::parse(switched.out)["requiresLocalWipe"].get<bool>());
    EXPECT_EQ(nlohmann::json::parse(runCli(environment, "whoami --json", err).out)["organizationId"], other);
}

TEST(CliIntegrationTest, SyncRunsOneCycleAndSaysHowItEnded) {
    zelvorin::testing::ServiceProcess service(zelvorin::testing::ServiceProcess::demo());
    zelvorin::testing::TempDir root;
    const std::string environment =
        "ZELVORIN_DATA_DIR=" + root.path().string() + " ZELVORIN_BASE_URL=" + service.baseUrl();
    const std::filesystem::path err = root / "err.txt";

    EXPECT_EQ(runCli(environment, "sync", err).exitCode, 3);  // not signed in
    ASSERT_EQ(runCli(environment, "login --auto", err).exitCode, 0);
    const CliRun first = runCli(environment, "sync --json", err);
    ASSERT_EQ(first.exitCode, 0) << zelvorin::testing::readFile(err);
    const nlohmann::json status = nlohmann::json::parse(first.out);
    EXPECT_EQ(status["status"], "idle");
    EXPECT_EQ(status["pendingChanges"], 0);
    EXPECT_EQ(status["conflicts"], 0);

    service.stop();
    const CliRun offline = runCli(environment, "sync --json", err);
    EXPECT_EQ(offline.exitCode, 6);
    EXPECT_EQ(nlohmann::json::parse(offline.out)["status"], "offline");
}

}  // namespace
