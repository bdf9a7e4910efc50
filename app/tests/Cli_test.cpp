#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>

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

}  // namespace
