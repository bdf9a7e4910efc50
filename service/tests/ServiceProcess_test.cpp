#include "testing/ServiceProcess.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "persistence/MigrationRunner.h"
#include "persistence/sqlite/Connection.h"
#include "service/seed/DemoSeed.h"
#include "service/store/ServiceDatabase.h"
#include "testing/ServiceSignIn.h"

namespace zelvorin::service {
namespace {

using zelvorin::testing::ServiceProcess;
using Json = nlohmann::json;

ServiceProcess::Options demoSeed(const char* date) {
    ServiceProcess::Options options;
    options.seedDemo = true;
    options.seedDate = date;
    return options;
}

std::string demoRecords(const ServiceProcess& service, const std::string& entityType = "") {
    std::string path = "/admin/records?org=" + demoOrganizationId();
    if (!entityType.empty()) path += "&entityType=" + entityType;
    const auto answer = service.get(path);
    EXPECT_EQ(answer.status, 200) << answer.body;
    return answer.body;
}

TEST(ServiceProcessIntegrationTest, AnswersHealthOnItsOwnFreePort) {
    ServiceProcess first;
    ServiceProcess second;
    EXPECT_NE(first.port(), second.port());
    EXPECT_EQ(first.baseUrl(), "http://127.0.0.1:" + std::to_string(first.port()) + "/");
    const auto health = first.get("/healthz");
    EXPECT_EQ(health.status, 200);
    EXPECT_EQ(Json::parse(health.body), (Json{{"status", "ok"}}));
    EXPECT_EQ(first.stop(), 0);  // SIGTERM is a clean exit
}

TEST(ServiceProcessIntegrationTest, GoingOutOfScopeEndsTheService) {
    int port = 0;
    {
        ServiceProcess service;
        port = service.port();
    }
    httplib::Client client("127.0.0.1", port);
    EXPECT_FALSE(client.Get("/healthz"));  // killed and reaped: nothing listens any more
}

TEST(ServiceProcessIntegrationTest, EveryErrorIsAJsonObjectWithAText) {
    ServiceProcess service;
    for (const auto& [path, status] : std::vector<std::pair<std::string, int>>{
             {"/bestaat-niet", 404},
             {"/admin/records", 400},
             {"/admin/records?org=" + demoOrganizationId() + "&entityType=invoice", 400},
             {"/admin/records?org=onbekend", 404},
         }) {
        const auto answer = service.get(path);
        EXPECT_EQ(answer.status, status) << path;
        const Json body = Json::parse(answer.body);
        ASSERT_TRUE(body.is_object() && body.size() == 1 && body["error"].is_string()) << answer.body;
        EXPECT_FALSE(body["error"].get<std::string>().empty());
    }
}

TEST(ServiceProcessIntegrationTest, TheSameSeedDateGivesTheSameRecords) {
    ServiceProcess first(demoSeed("2025-06-15"));
    ServiceProcess second(demoSeed("2025-06-15"));
    EXPECT_EQ(demoRecords(first), demoRecords(second));
    EXPECT_EQ(Json::parse(demoRecords(first, "draftInvoice"))["records"].size(), 25u);
    EXPECT_EQ(Json::parse(demoRecords(first, "bankTransaction"))["records"].size(), 60u);

    const Json organisations = Json::parse(first.get("/admin/organizations").body)["organizations"];
    ASSERT_EQ(organisations.size(), 2u);
    EXPECT_EQ(organisations[0]["name"], "Studio Zelvorin");
}

TEST(ServiceProcessIntegrationTest, RestartKeepsTheDataAndDoesNotSeedTwice) {
    ServiceProcess service(demoSeed("2025-06-15"));
    const std::string before = demoRecords(service);
    service.restart();  // starts again with --seed demo on the same, now non-empty, storage
    EXPECT_EQ(demoRecords(service), before);
    EXPECT_EQ(Json::parse(service.get("/admin/organizations").body)["organizations"].size(), 2u);
}

TEST(ServiceProcessIntegrationTest, AFixedClockStampsItsInstantAndMovesOnlyForwardWhenTold) {
    ServiceProcess::Options options = demoSeed("2026-03-16");
    options.now = "2026-03-16T10:00:00Z";
    ServiceProcess service(options);
    const std::string customer = Json::parse(demoRecords(service, "customer"))["records"][0]["id"];
    const auto changeName = [&](const std::string& name) {
        const auto answer = service.post("/admin/records", Json{{"org", demoOrganizationId()},
                                                                {"entityType", "customer"},
                                                                {"id", customer},
                                                                {"payload", {{"companyName", name}}}}
                                                               .dump());
        EXPECT_EQ(answer.status, 200) << answer.body;
        return Json::parse(answer.body).value("changedAt", "");
    };
    EXPECT_EQ(changeName("Eerst"), "2026-03-16T10:00:00.000Z");
    EXPECT_EQ(changeName("Nog steeds"), "2026-03-16T10:00:00.000Z");  // it stands still

    service.advanceClock(std::chrono::hours(25));
    EXPECT_EQ(changeName("Morgen"), "2026-03-17T11:00:00.000Z");
    EXPECT_EQ(Json::parse(service.get("/admin/clock").body)["now"], "2026-03-17T11:00:00.000Z");

    EXPECT_EQ(service.post("/admin/clock", R"({"now": "2026-03-17T10:59:59Z"})").status, 422);
    EXPECT_EQ(service.post("/admin/clock", R"({"advanceSeconds": -1})").status, 422);
    EXPECT_EQ(service.post("/admin/clock", R"({"now": "morgen"})").status, 400);
    EXPECT_EQ(service.post("/admin/clock", R"({})").status, 400);
    EXPECT_EQ(service.post("/admin/clock", R"({"now": "2026-04-01T00:00:00Z"})").status, 200);
    EXPECT_EQ(changeName("April"), "2026-04-01T00:00:00.000Z");

    ServiceProcess following;  // on the system's clock: its time is not for moving
    const auto refused = following.post("/admin/clock", R"({"advanceSeconds": 60})");
    EXPECT_EQ(refused.status, 409);
    EXPECT_NE(refused.body.find("--now"), std::string::npos) << refused.body;
    EXPECT_FALSE(Json::parse(following.get("/admin/clock").body)["settable"].get<bool>());
}

TEST(ServiceProcessIntegrationTest, RefusesUnusableInputWithAReasonAndAFailingExit) {
    zelvorin::testing::TempDir dir;
    const auto badPort = ServiceProcess::runToExit({"--port", "abc", "--data", dir.path().string()});
    EXPECT_NE(badPort.exitCode, 0);
    EXPECT_NE(badPort.standardError.find("Ongeldige poort 'abc'"), std::string::npos)
        << badPort.standardError;
    EXPECT_TRUE(badPort.standardOutput.empty());

    zelvorin::testing::writeFile(dir / "bestand", "geen map");
    const std::string unusable = (dir / "bestand" / "data").string();
    const auto badDir = ServiceProcess::runToExit({"--port", "0", "--data", unusable});
    EXPECT_NE(badDir.exitCode, 0);
    EXPECT_NE(badDir.standardError.find(unusable), std::string::npos) << badDir.standardError;
    EXPECT_TRUE(badDir.standardOutput.empty());  // never claimed to listen
}

unsigned modeOf(const std::filesystem::path& path) {
    struct stat status {};
    EXPECT_EQ(::stat(path.c_str(), &status), 0) << path;
    return status.st_mode & 0777;
}

TEST(ServiceProcessIntegrationTest, KeepsAccountsSessionsAndRecordsInOnePrivateDatabase) {
    ServiceProcess service(demoSeed("2025-06-15"));
    zelvorin::testing::signInDevice(service, "apparaat-a");
    const std::filesystem::path data = service.dataDir() / "service";  // what ServiceProcess passes as --data
    EXPECT_EQ(modeOf(data), 0700u);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(data)) {
        ++files;
        EXPECT_TRUE(entry.path().filename().string().starts_with(ServiceDatabase::kFileName)) << entry.path();
        EXPECT_EQ(modeOf(entry.path()), 0600u) << entry.path();
    }
    EXPECT_GE(files, 1);
}

TEST(ServiceProcessIntegrationTest, RefusesADatabaseOfANewerBuildAndLeavesItAsItWas) {
    ServiceProcess service(demoSeed("2025-06-15"));
    service.stop();
    const std::filesystem::path data = service.dataDir() / "service";
    const std::filesystem::path file = data / ServiceDatabase::kFileName;
    Connection::open(file).exec("INSERT INTO grdb_migrations (identifier) VALUES ('service_v99_van_later')");
    const auto refused = ServiceProcess::runToExit({"--port", "0", "--data", data.string()});
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_NE(refused.standardError.find("service_v99_van_later"), std::string::npos)
        << refused.standardError;
    EXPECT_TRUE(refused.standardOutput.empty());
    Connection connection = Connection::open(file);
    EXPECT_EQ(MigrationRunner::appliedIdentifiers(connection).back(), "service_v99_van_later");
}

}  // namespace
}  // namespace zelvorin::service
