#include "api-client/SyncAPIClient.h"

#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <thread>

#include "api-client/APIError.h"
#include "api-client/FileTokenStore.h"
#include "api-client/tests/LoopbackServer.h"
#include "domain/UniqueHandle.h"
#include "testing/ServiceProcess.h"
#include "testing/ServiceSignIn.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

using testing::LoopbackServer;
using testing::ServiceProcess;

std::string bearer(const httplib::Request& request) {
    return request.get_header_value("Authorization");
}

// The service side of the token rules: "old" is expired, "new" is valid; a refresh with "r1" gives
// "new"/"r2". The refresh answer waits until `holdRefreshUntil` requests were refused, so a test can
// make several 401s arrive while one refresh is still in flight.
struct TokenService {
    LoopbackServer http;
    std::atomic<int> refreshCalls{0};
    std::atomic<int> refused{0};
    int holdRefreshUntil = 0;
    bool refuseRefresh = false;
    bool alwaysUnauthorized = false;
    std::mutex mutex;
    std::condition_variable changed;

    TokenService() {
        http.server.Get("/api/native/v1/probe",
                        [this](const httplib::Request& request, httplib::Response& response) {
                            if (alwaysUnauthorized || bearer(request) != "Bearer new") {
                                {
                                    std::lock_guard lock(mutex);
                                    ++refused;
                                }
                                changed.notify_all();
                                response.status = 401;
                                return;
                            }
                            response.set_content(R"({"ok":true,"q":")" + request.get_param_value("q") + "\"}",
                                                 "application/json");
                        });
        http.server.Post(
            "/api/auth/native/refresh", [this](const httplib::Request& request, httplib::Response& response) {
                ++refreshCalls;
                {
                    std::unique_lock lock(mutex);
                    changed.wait_for(lock, std::chrono::seconds(10),
                                     [this] { return refused >= holdRefreshUntil; });
                }
                auto body = nlohmann::json::parse(request.body);
                if (refuseRefresh || body["refreshToken"] != "r1" || body["deviceId"] != "dev-1") {
                    response.status = 401;
                    return;
                }
                response.set_content(R"({"accessToken":"new","refreshToken":"r2","expiresIn":3600})",
                                     "application/json");
            });
        http.start();
    }
};

SyncAPIClient clientFor(TokenService& service, std::shared_ptr<TokenStore> store,
                        std::string device = "dev-1") {
    return SyncAPIClient(service.http.baseURL(), std::move(store), std::move(device));
}

std::shared_ptr<InMemoryTokenStore> storeHolding(const std::string& access) {
    auto store = std::make_shared<InMemoryTokenStore>();
    store->save(TokenPair{access, "r1", 60});
    return store;
}

TEST(SyncAPIClientIntegrationTest, ConcurrentUnauthorizedAnswersShareOneRefreshAndBothRetry) {
    TokenService service;
    service.holdRefreshUntil = 2;
    auto store = storeHolding("old");
    SyncAPIClient client = clientFor(service, store);

    auto first = std::async(std::launch::async, [&] {
        return client.fetch("api/native/v1/probe", {{"q", "a b"}});
    });
    auto second = std::async(std::launch::async, [&] {
        return client.fetch("api/native/v1/probe", {{"q", "x&y"}});
    });

    EXPECT_EQ(first.get()["q"], "a b");
    EXPECT_EQ(second.get()["q"], "x&y");
    EXPECT_EQ(service.refreshCalls.load(), 1);
    EXPECT_EQ(store->load(), (TokenPair{"new", "r2", 3600}));
}

TEST(SyncAPIClientIntegrationTest, ASecondUnauthorizedAfterTheRetryIsFinalAndKeepsTheTokens) {
    TokenService service;
    service.alwaysUnauthorized = true;
    auto store = storeHolding("old");
    SyncAPIClient client = clientFor(service, store);

    try {
        client.fetch("api/native/v1/probe");
        FAIL() << "expected unauthorized";
    } catch (const APIError& error) {
        EXPECT_TRUE(error.is<APIError::Unauthorized>());
    }
    EXPECT_EQ(service.refreshCalls.load(), 1);
    EXPECT_TRUE(store->load().has_value());
}

TEST(SyncAPIClientIntegrationTest, ARefusedRefreshClearsTheStore) {
    TokenService service;
    service.refuseRefresh = true;
    auto store = storeHolding("old");
    SyncAPIClient client = clientFor(service, store);

    EXPECT_THROW(client.fetch("api/native/v1/probe"), APIError);
    EXPECT_FALSE(store->load().has_value());
}

TEST(SyncAPIClientIntegrationTest, WithoutADeviceIdA401IsUnauthorizedWithoutRefreshing) {
    TokenService service;
    auto store = storeHolding("old");
    SyncAPIClient client = clientFor(service, store, "");
    EXPECT_THROW(client.fetch("api/native/v1/probe"), APIError);
    EXPECT_EQ(service.refreshCalls.load(), 0);
}

TEST(SyncAPIClientIntegrationTest, ActionsAndFetchesMapStatusesDifferently) {
    LoopbackServer http;
    http.server.Post("/api/native/v1/invoices/1/send",
                     [](const httplib::Request&, httplib::Response& response) {
                         response.status = 409;
                         response.set_content(R"({"error":"Factuur is al verzonden."})", "application/json");
                     });
    http.server.Post("/api/native/v1/invoices/2/send",
                     [](const httplib::Request&, httplib::Response& response) {
                         response.status = 409;
                         response.set_content("<html>Conflict</html>", "text/html");
                     });
    http.server.Get("/api/native/v1/invoices/3",
                    [](const httplib::Request&, httplib::Response& response) { response.status = 409; });
    http.server.Get("/api/native/v1/busy", [](const httplib::Request& request, httplib::Response& response) {
        response.status = 429;
        if (request.has_param("after")) response.set_header("Retry-After", request.get_param_value("after"));
    });
    http.start();
    SyncAPIClient client(http.baseURL(), std::make_shared<InMemoryTokenStore>(), "dev-1");

    auto errorOf = [](auto&& call) -> APIError::Case {
        try {
            call();
        } catch (const APIError& error) {
            return error.value();
        }
        ADD_FAILURE() << "no APIError";
        return APIError::InvalidResponse{};
    };
    EXPECT_EQ(errorOf([&] { client.action("POST", "api/native/v1/invoices/1/send", {}); }),
              APIError::Case(APIError::Conflict{"Factuur is al verzonden."}));
    EXPECT_EQ(errorOf([&] { client.action("POST", "api/native/v1/invoices/2/send", {}); }),
              APIError::Case(APIError::Conflict{"De actie kon niet worden uitgevoerd."}));
    EXPECT_EQ(errorOf([&] { client.fetch("api/native/v1/invoices/3"); }),
              APIError::Case(APIError::HttpError{409}));
    EXPECT_EQ(errorOf([&] {
                  client.fetch("api/native/v1/busy", {{"after", "30"}});
              }),
              APIError::Case(APIError::RateLimited{30}));
    EXPECT_EQ(errorOf([&] {
                  client.fetch("api/native/v1/busy", {{"after", "soon"}});
              }),
              APIError::Case(APIError::RateLimited{std::nullopt}));
    EXPECT_EQ(errorOf([&] { client.fetch("api/native/v1/busy"); }),
              APIError::Case(APIError::RateLimited{std::nullopt}));
}

TEST(SyncAPIClientIntegrationTest, ARefusedConnectionIsNotConnected) {
    // A port that was free a moment ago and that nobody listens on.
    int port = 0;
    {
        const UniqueHandle<int, ::close, -1> socket(::socket(AF_INET, SOCK_STREAM, 0));
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::bind(socket.get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        socklen_t length = sizeof address;
        ::getsockname(socket.get(), reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
    }
    SyncAPIClient client("http://127.0.0.1:" + std::to_string(port) + "/",
                         std::make_shared<InMemoryTokenStore>(), "dev-1");
    try {
        client.fetch("api/native/v1/probe");
        FAIL() << "expected a transport error";
    } catch (const TransportError& error) {
        EXPECT_EQ(error.kind(), TransportError::Kind::notConnected);
        EXPECT_TRUE(error.isOffline());
    }
}

TEST(HttpSessionIntegrationTest, TokensTravelOverHttpsOrToThisMachineAndAnswersHaveABound) {
    for (const char* safe : {"https://api.example.nl/x", "http://127.0.0.1:8080/x", "http://localhost/x",
                             "http://[::1]:9/x", "HTTP://LOCALHOST/x"})
        EXPECT_TRUE(isSafeServiceURL(safe)) << safe;
    for (const char* unsafe :
         {"http://api.example.nl/x", "http://127.0.0.1.example.nl/x", "http://127.0.0.1@example.nl/x",
          "ftp://127.0.0.1/x", "file:///etc/passwd", "gopher://localhost/x", "geen url"})
        EXPECT_FALSE(isSafeServiceURL(unsafe)) << unsafe;

    testing::LoopbackServer server;
    std::atomic<int> served{0};
    server.server.Get("/groot", [&](const httplib::Request&, httplib::Response& response) {
        ++served;
        response.set_content(std::string(kMaxResponseBytes + 1, 'x'), "text/plain");
    });
    server.server.Get("/klein", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("ok", "text/plain");
    });
    server.start();
    HttpSession session("Zelvorin-test/1.0");
    HttpRequest request;
    request.url = "http://example.invalid/klein";
    EXPECT_THROW(session.send(request), TransportError);  // refused before any lookup
    request.url = server.baseURL() + "groot";
    try {
        session.send(request);
        FAIL() << "an answer past the bound was kept";
    } catch (const TransportError& error) {
        EXPECT_NE(std::string(error.what()).find("groter dan"), std::string::npos) << error.what();
    }
    EXPECT_EQ(served, 1);
    request.url = server.baseURL() + "klein";
    EXPECT_EQ(session.send(request).body, "ok");
}

// Two processes of one device share the token file (here: two stores and two clients over it).
// Both find their access token expired at once; they must renew one after the other, the second
// taking the pair the first stored, because a refresh token presented twice ends the session.
TEST(SyncAPIClientIntegrationTest, TwoProcessesOfOneDeviceRenewTheirSharedPairWithoutSigningOut) {
    ServiceProcess::Options options = ServiceProcess::demo();
    options.now = "2026-03-16T10:00:00Z";
    ServiceProcess service(options);
    testing::TempDir dir("gedeelde-tokens");
    const auto file = dir.path() / "tokens.json";
    auto session = std::make_shared<HttpSession>("Zelvorin-test/1.0");
    FileTokenStore(file).save(testing::signInDevice(service, "apparaat-a"));
    auto firstStore = std::make_shared<FileTokenStore>(file);
    auto secondStore = std::make_shared<FileTokenStore>(file);
    SyncAPIClient first(service.baseUrl(), firstStore, "apparaat-a", session);
    SyncAPIClient second(service.baseUrl(), secondStore, "apparaat-a", session);

    for (int round = 0; round < 5; ++round) {
        service.advanceClock(std::chrono::seconds(901));  // both access tokens run out
        auto fromFirst =
            std::async(std::launch::async, [&] { return first.fetch("api/native/v1/org/memberships"); });
        auto fromSecond =
            std::async(std::launch::async, [&] { return second.fetch("api/native/v1/org/memberships"); });
        for (auto* answer : {&fromFirst, &fromSecond}) {
            try {
                answer->get();
            } catch (const std::exception& error) {
                ADD_FAILURE() << "round " << round << ": " << error.what();
            }
        }
        ASSERT_TRUE(firstStore->load()) << "round " << round << ": signed out";
    }
}

}  // namespace
}  // namespace zelvorin
