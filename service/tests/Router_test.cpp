#include "service/http/Router.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <thread>

#include "service/Server.h"
#include "service/auth/Authenticator.h"
#include "service/seed/DemoSeed.h"
#include "service/store/ServiceDatabase.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using namespace std::chrono;

// The service in this process on a loopback port, over the demo organisations, with a session
// for the owner (an admin) and one for the member.
class RouterIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(seedDemo(database, 2026y / March / 16));
        port = server.bind(0);
        serving = std::thread([this] { server.serve(); });
        ownerToken = sessionFor(demoOwnerUserId());
        memberToken = sessionFor(demoMemberUserId());
    }

    void TearDown() override {
        server.stop();
        serving.join();
    }

    std::string sessionFor(const std::string& userId) {
        const Authenticator authenticator(database.signingSecret(), 900);
        return database.write([&](Connection& db) {
            return authenticator
                .startSession(db, userId, demoOrganizationId(), {"router-test", "linux", "1.0", "", "", ""},
                              clock.now())
                .accessToken;
        });
    }

    httplib::Result send(HttpMethod method, const std::string& path, const std::string& token = {},
                         const std::string& body = "{}") {
        httplib::Client client("127.0.0.1", port);
        httplib::Headers headers;
        if (!token.empty()) headers.emplace("Authorization", "Bearer " + token);
        switch (method) {
            case HttpMethod::get:
                return client.Get(path, headers);
            case HttpMethod::post:
                return client.Post(path, headers, body, "application/json");
            case HttpMethod::put:
                return client.Put(path, headers, body, "application/json");
            case HttpMethod::patch:
                return client.Patch(path, headers, body, "application/json");
            case HttpMethod::del:
                return client.Delete(path, headers);
        }
        return client.Get(path, headers);
    }

    testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
    SystemClock clock;
    Server server{database, clock};
    int port = 0;
    std::thread serving;
    std::string ownerToken;
    std::string memberToken;
};

// The one shape of every error answer: a JSON object with a Dutch text under "error" and nothing else.
void expectError(const httplib::Result& answer, int status, const std::string& what) {
    ASSERT_TRUE(answer) << what;
    EXPECT_EQ(answer->status, status) << what << ": " << answer->body;
    const nlohmann::json body = nlohmann::json::parse(answer->body, nullptr, false);
    ASSERT_TRUE(body.is_object() && body.size() == 1 && body.contains("error"))
        << what << ": " << answer->body;
    ASSERT_TRUE(body["error"].is_string());
    EXPECT_TRUE(body["error"].get<std::string>().ends_with(".")) << body["error"];
}

TEST_F(RouterIntegrationTest, EveryRouteThatIsNotOpenRefusesARequestWithoutAToken) {
    int guarded = 0;
    for (const Route& route : server.router().routes()) {
        if (route.access == Access::open) continue;
        ++guarded;
        const std::string path = "/" + route.pattern.example("x");
        expectError(send(route.method, path), 401, route.pattern.text());
        expectError(send(route.method, path, "geen.geldig.token"), 401, route.pattern.text());
        if (route.access == Access::admin)
            expectError(send(route.method, path, memberToken), 403, route.pattern.text());
    }
    EXPECT_GT(guarded, 10);
}

TEST_F(RouterIntegrationTest, UnknownPathsWrongMethodsAndUnreadableBodiesAreRefusedInDutch) {
    expectError(send(HttpMethod::get, "/api/native/v1/bestaat-niet", ownerToken), 404, "unknown path");
    expectError(send(HttpMethod::get, "/", ownerToken), 404, "root");
    expectError(send(HttpMethod::put, "/api/sync/push", ownerToken), 405, "method");
    expectError(send(HttpMethod::post, "/api/sync/push", memberToken, "{\"deviceId\":"), 400,
                "malformed JSON");
    expectError(send(HttpMethod::post, "/api/sync/push", memberToken, "[]"), 400, "not an object");
    expectError(
        send(HttpMethod::post, "/api/sync/push", memberToken, std::string(100, '[') + std::string(100, ']')),
        400, "too deep");
    expectError(send(HttpMethod::post, "/api/auth/native/redeem", "",
                     "{\"code\":\"" + std::string(2 << 20, 'x') + "\"}"),
                413, "too large");
    // Authentication comes before the body: an unreadable body without a token is still a 401.
    expectError(send(HttpMethod::post, "/api/sync/push", "", "{"), 401, "body without token");
}

TEST_F(RouterIntegrationTest, AdminsAndMembersReachTheirRoutes) {
    const httplib::Result sessions = send(HttpMethod::get, "/api/native/v1/admin/sessions", ownerToken);
    ASSERT_TRUE(sessions);
    EXPECT_EQ(sessions->status, 200) << sessions->body;
    EXPECT_EQ(nlohmann::json::parse(sessions->body)["sessions"].size(), 2u);

    // A member may call member routes; the pull answers with the organisation's records.
    const httplib::Result pull = send(HttpMethod::get, "/api/sync/pull?limit=1", memberToken);
    ASSERT_TRUE(pull);
    EXPECT_EQ(pull->status, 200) << pull->body;
    EXPECT_TRUE(nlohmann::json::parse(pull->body)["hasMore"].get<bool>());
}

// Of two routes that match, the one with more literal segments answers, whatever the order they
// were added in; a handler's ServiceError is answered by its kind.
TEST(RouterTest, TheMostSpecificRouteAnswersAndErrorsAreTranslatedOnce) {
    RouteTable table;
    table.get("kvitra/{id}", Access::open, [](RequestContext& context) {
        return Reply::json(Json{{"id", context.parameter("id")}});
    });
    table.get("kvitra/settings", Access::open, [](RequestContext&) {
        return Reply::json(Json{{"settings", true}});
    });
    table.get("kvitra/{id}/fout", Access::open,
              [](RequestContext&) -> Reply { throw ServiceError(ErrorKind::conflict, "Dit kan nu niet."); });
    table.get("kvitra/{id}/kapot", Access::open,
              [](RequestContext&) -> Reply { throw std::runtime_error("geheim"); });
    const ManualClock clock(system_clock::now());
    const Router router(table, clock, [](const RequestContext&, Access) -> Caller {
        throw ServiceError(ErrorKind::unauthorized);
    });
    const auto answer = [&](const std::string& path) {
        httplib::Request request;
        request.path = path;
        return router.answer(HttpMethod::get, request);
    };
    EXPECT_EQ(answer("/kvitra/settings").body, R"({"settings":true})");
    EXPECT_EQ(answer("/kvitra/abc").body, R"({"id":"abc"})");
    const Reply refused = answer("/kvitra/abc/fout");
    EXPECT_EQ(refused.status, 409);
    EXPECT_EQ(refused.body, R"({"error":"Dit kan nu niet."})");
    const Reply broken = answer("/kvitra/abc/kapot");
    EXPECT_EQ(broken.status, 500);
    EXPECT_EQ(broken.body.find("geheim"), std::string::npos);  // the cause stays in the service
}

}  // namespace
}  // namespace zelvorin::service
