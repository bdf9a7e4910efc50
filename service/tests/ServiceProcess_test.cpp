#include "testing/ServiceProcess.h"

#include <gtest/gtest.h>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "service/DemoSeed.h"

namespace zelvorin::service {
namespace {

using zelvorin::testing::ServiceProcess;
using Json = nlohmann::json;

ServiceProcess::Options demoSeed(const char* date) {
    return {true, std::string(date), std::nullopt};
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

}  // namespace
}  // namespace zelvorin::service
