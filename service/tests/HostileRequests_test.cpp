// Requests a hostile web page or a stranger on the machine could send to the service over
// loopback. Each is refused, and the service answers the honest request that follows.

#include <gtest/gtest.h>
#include <httplib.h>

#include <cairo.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "layout/FontHandles.h"
#include "service/seed/DemoSeed.h"
#include "sync/PushRequest.h"
#include "testing/ServiceProcess.h"
#include "testing/ServiceSignIn.h"
#include "testing/Shell.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using testing::ServiceProcess;
using Json = nlohmann::json;

// A request as anyone could send it: only the headers given, no admin token unless given.
httplib::Result rawRequest(const ServiceProcess& service, const std::string& method, const std::string& path,
                           httplib::Headers headers = {}, const std::string& body = {},
                           const std::string& contentType = "application/json") {
    httplib::Client client("127.0.0.1", service.port());
    client.set_read_timeout(30, 0);
    client.set_follow_location(false);
    if (method == "GET") return client.Get(path, headers);
    if (method == "DELETE") return client.Delete(path, headers);
    return client.Post(path, headers, body, contentType);
}

httplib::Headers adminHeaders(const ServiceProcess& service, const std::string& host = {}) {
    httplib::Headers headers{{ServiceProcess::adminTokenHeader(), service.adminToken()}};
    if (!host.empty()) headers.emplace("Host", host);
    return headers;
}

void expectRefused(const httplib::Result& answer, int status, const std::string& what) {
    ASSERT_TRUE(answer) << what << ": no answer (the service is gone?)";
    EXPECT_EQ(answer->status, status) << what << ": " << answer->body;
    const Json body = Json::parse(answer->body, nullptr, false);
    EXPECT_TRUE(body.is_object() && body["error"].is_string()) << what << ": " << answer->body;
}

// The honest request after an attack: the service is alive and still answers its operator.
void expectStillServing(const ServiceProcess& service) {
    const ServiceProcess::HttpAnswer organizations = service.get("/admin/organizations");
    ASSERT_EQ(organizations.status, 200) << organizations.body;
    EXPECT_FALSE(Json::parse(organizations.body)["organizations"].empty());
}

TEST(HostileRequestsIntegrationTest, AdminRoutesDoNotExistWithoutTheOperatorsToken) {
    ServiceProcess::Options options = ServiceProcess::demo();
    options.adminRoutes = false;
    ServiceProcess service(options);
    for (const char* path :
         {"/admin/organizations", "/admin/records?org=x", "/admin/requests", "/admin/clock"})
        expectRefused(rawRequest(service, "GET", path), 404, path);
    expectRefused(rawRequest(service, "POST", "/admin/faults", {}, R"({"path":"/healthz","status":500})"),
                  404, "faults");
    // Nor does the automatic sign-in: a page could collect a code for the first account with it.
    expectRefused(
        rawRequest(service, "GET", "/native/handoff?auto=1&device_id=a&platform=linux&app_version=1"), 401,
        "auto hand-off");
    // A person choosing an account on the page still signs in.
    const auto page = rawRequest(service, "GET",
                                 "/native/handoff?device_id=a&platform=linux&app_version=1&code_challenge="
                                 "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM&code_challenge_method=S256");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(rawRequest(service, "GET", "/healthz")->status, 200);
}

TEST(HostileRequestsIntegrationTest, AdminRoutesAnswerOnlyTheTokenAndOnlyUnderTheirOwnHost) {
    ServiceProcess service(ServiceProcess::demo());
    const std::string ownHost = "127.0.0.1:" + std::to_string(service.port());

    expectRefused(rawRequest(service, "GET", "/admin/organizations"), 401, "no token");
    expectRefused(rawRequest(service, "GET", "/admin/organizations",
                             {{ServiceProcess::adminTokenHeader(), service.adminToken() + "x"}}),
                  401, "wrong token");
    expectRefused(rawRequest(service, "GET", "/admin/organizations",
                             {{ServiceProcess::adminTokenHeader(), service.adminToken().substr(1)}}),
                  401, "shorter token");
    // A page that rebound its name to 127.0.0.1 sends its own name; even with the token (which it
    // cannot have) and on open routes, the service answers nothing under a foreign name.
    expectRefused(
        rawRequest(service, "GET", "/admin/organizations", adminHeaders(service, "evil.example:80")), 403,
        "foreign host");
    expectRefused(rawRequest(service, "GET", "/admin/organizations",
                             adminHeaders(service, "127.0.0.1:" + std::to_string(service.port() + 1))),
                  403, "other port");
    expectRefused(rawRequest(service, "GET", "/healthz", {{"Host", "evil.example"}}), 403, "open route");
    expectRefused(rawRequest(service, "POST", "/admin/records", adminHeaders(service, "evil.example"),
                             Json{{"org", demoOrganizationId()},
                                  {"entityType", "organizationSettings"},
                                  {"id", "x"},
                                  {"payload", {{"iban", "NL02ABNA0123456789"}}}}
                                 .dump()),
                  403, "rewrite under a foreign host");

    EXPECT_EQ(
        rawRequest(service, "GET", "/healthz", {{"Host", "localhost:" + std::to_string(service.port())}})
            ->status,
        200);
    EXPECT_EQ(rawRequest(service, "GET", "/admin/organizations", adminHeaders(service, ownHost))->status,
              200);
    expectStillServing(service);
}

TEST(HostileRequestsIntegrationTest, BodiesThatChangeStateMustBeJson) {
    ServiceProcess service(ServiceProcess::demo());
    // What a cross-site form can send without asking: text/plain and form bodies.
    const std::string body = R"({"email":"bezoeker@example.nl","callbackURL":"x","newUserCallbackURL":"x"})";
    expectRefused(rawRequest(service, "POST", "/api/auth/sign-in/magic-link", {}, body, "text/plain"), 415,
                  "text/plain");
    expectRefused(rawRequest(service, "POST", "/api/auth/sign-in/magic-link", {},
                             "email=bezoeker%40example.nl", "application/x-www-form-urlencoded"),
                  415, "form");
    expectRefused(rawRequest(service, "POST", "/admin/requests/reset", adminHeaders(service), "x=1",
                             "application/x-www-form-urlencoded"),
                  415, "form body to a route that reads none");
    const Json organizations = Json::parse(service.get("/admin/organizations").body)["organizations"];
    EXPECT_EQ(organizations.dump().find("bezoeker@example.nl"), std::string::npos);

    const auto honest = rawRequest(service, "POST", "/api/auth/sign-in/magic-link", {}, body,
                                   "application/json; charset=utf-8");
    ASSERT_TRUE(honest);
    EXPECT_EQ(honest->status, 200) << honest->body;
}

TEST(HostileRequestsIntegrationTest, DeeplyNestedJsonIsRefusedBeforeItIsParsed) {
    ServiceProcess service(ServiceProcess::demo());
    const std::string deep = std::string(200'000, '[') + std::string(200'000, ']');
    expectRefused(rawRequest(service, "POST", "/admin/faults", adminHeaders(service),
                             R"({"path":"/api/sync/pull","status":429,"retryAfter":)" + deep + "}"),
                  400, "deep retryAfter");
    expectRefused(rawRequest(service, "POST", "/api/auth/native/refresh", {},
                             R"({"deviceId":"a","refreshToken":)" + std::string(200'000, '{')),
                  400, "deep unauthenticated body");
    expectStillServing(service);
    EXPECT_EQ(
        service.post("/admin/faults", R"({"path":"/api/sync/pull","status":429,"retryAfter":"5"})").status,
        201);
}

TEST(HostileRequestsIntegrationTest, AShortOrMissingAdminTokenFileStopsTheStart) {
    testing::TempDir dir("admin-token");
    std::ofstream(dir.path() / "kort") << "geheim\n";
    for (const std::string& file : {(dir.path() / "kort").string(), (dir.path() / "ontbreekt").string()}) {
        const ServiceProcess::CompletedRun run = ServiceProcess::runToExit(
            {"--port", "0", "--data", (dir.path() / "data").string(), "--admin-token", file});
        EXPECT_EQ(run.exitCode, 2) << run.standardError;
        EXPECT_NE(run.standardError.find("beheertoken"), std::string::npos) << run.standardError;
    }
}

PushChange pushed(SyncEntityType type, const std::string& id, Json payload) {
    PushChange change;
    change.entityType = type;
    change.entityId = id;
    change.operation = SyncOperation::create;
    change.payload = JSONValue::fromJson(payload);
    change.clientTimestamp = "2026-03-16T09:00:00.000Z";
    change.idempotencyKey = "create-" + id;
    return change;
}

Json line(const std::string& invoiceId, std::int64_t quantityHundredths, std::int64_t unitPriceCents) {
    return {{"invoiceId", invoiceId},
            {"sortOrder", 0},
            {"description", "Uren"},
            {"lineMode", "qty_price"},
            {"quantityHundredths", quantityHundredths},
            {"unitPriceCents", unitPriceCents}};
}

TEST(HostileRequestsIntegrationTest, OnePoisonedChangeIsItsOwnErrorAndTheRestOfThePushLands) {
    ServiceProcess service(ServiceProcess::demo());
    const TokenPair tokens = testing::signInDevice(service, "apparaat-a");
    PushRequest request{"apparaat-a", std::nullopt, {}};
    request.changes.push_back(pushed(SyncEntityType::draftInvoice, "factuur-x",
                                     {{"issueDate", "2026-03-16"}, {"vatTreatment", "nl_21"}}));
    request.changes.push_back(
        pushed(SyncEntityType::invoiceLine, "regel-goed", line("factuur-x", 200, 5000)));
    for (int i = 0; i < 197; ++i) {
        request.changes.push_back(pushed(SyncEntityType::customer, "klant-" + std::to_string(i),
                                         {{"companyName", "Klant " + std::to_string(i)}}));
        // Halfway, a line whose amount no 64-bit total can hold.
        if (i == 100)
            request.changes.push_back(pushed(SyncEntityType::invoiceLine, "regel-gif",
                                             line("factuur-x", 1'000'000'000'000'000, 1'000'000'000)));
    }
    ASSERT_EQ(request.changes.size(), 200u);

    const auto push = [&] {
        return service.post("/api/sync/push", toJson(request).dump(), tokens.accessToken);
    };
    ServiceProcess::HttpAnswer answer = push();
    ASSERT_EQ(answer.status, 200) << answer.body;
    Json body = Json::parse(answer.body);
    EXPECT_EQ(body["accepted"].size(), 199u);
    ASSERT_EQ(body["errors"].size(), 1u) << body["errors"].dump();
    EXPECT_EQ(body["errors"][0]["entityId"], "regel-gif");
    EXPECT_NE(body["errors"][0]["error"].get<std::string>().find("factuur-x"), std::string::npos);

    // The invoice counts the good line only, and the poisoned one is not stored.
    const Json records = Json::parse(
        service.get("/admin/records?org=" + demoOrganizationId() + "&entityType=draftInvoice").body);
    for (const Json& record : records["records"]) {
        if (record["id"] == "factuur-x") {
            EXPECT_EQ(record["payload"]["subtotalCents"], 10000);
        }
    }
    EXPECT_EQ(service.get("/admin/records?org=" + demoOrganizationId() + "&entityType=invoiceLine")
                  .body.find("regel-gif"),
              std::string::npos);

    // Sent again, the accepted changes are answered from their receipts and the error is tried
    // again; with a sane amount under the same key it now lands.
    answer = push();
    body = Json::parse(answer.body);
    EXPECT_EQ(body["accepted"].size(), 199u);
    EXPECT_EQ(body["errors"].size(), 1u);
    for (PushChange& change : request.changes) {
        if (change.entityId == "regel-gif") change.payload = JSONValue::fromJson(line("factuur-x", 100, 100));
    }
    body = Json::parse(push().body);
    EXPECT_EQ(body["accepted"].size(), 200u) << body["errors"].dump();
    EXPECT_EQ(service.getAuthorized("/api/sync/pull?limit=1", tokens.accessToken).status, 200);
}

ServiceProcess::HttpAnswer refresh(const ServiceProcess& service, const std::string& refreshToken) {
    return service.post("/api/auth/native/refresh",
                        Json{{"deviceId", "apparaat-a"}, {"refreshToken", refreshToken}}.dump());
}

TokenPair pairOf(const ServiceProcess::HttpAnswer& answer) {
    EXPECT_EQ(answer.status, 200) << answer.body;
    return TokenPair::fromJson(Json::parse(answer.body)).value_or(TokenPair{});
}

TEST(HostileRequestsIntegrationTest, AReplayedRefreshTokenEndsItsSessionAndRefreshTokensAge) {
    ServiceProcess::Options options = ServiceProcess::demo();
    options.now = "2026-03-16T10:00:00Z";
    ServiceProcess service(options);
    const TokenPair first = testing::signInDevice(service, "apparaat-a");
    const TokenPair second = pairOf(refresh(service, first.refreshToken));
    ASSERT_EQ(service.getAuthorized("/api/native/v1/org/memberships", second.accessToken).status, 200);

    // The first token again: someone holds a copy. The session ends for both holders.
    expectRefused(rawRequest(service, "POST", "/api/auth/native/refresh", {},
                             Json{{"deviceId", "apparaat-a"}, {"refreshToken", first.refreshToken}}.dump()),
                  401, "replayed refresh token");
    EXPECT_EQ(service.getAuthorized("/api/native/v1/org/memberships", second.accessToken).status, 401);
    EXPECT_EQ(refresh(service, second.refreshToken).status, 401);

    // A token left unused for more than thirty days is refused; a session ends ninety days after
    // its sign-in however often it refreshed.
    const TokenPair idle = testing::signInDevice(service, "apparaat-a");
    service.advanceClock(std::chrono::days(31));
    EXPECT_EQ(refresh(service, idle.refreshToken).status, 401);
    TokenPair kept = testing::signInDevice(service, "apparaat-a");
    for (int month = 0; month < 3; ++month) {
        service.advanceClock(std::chrono::days(29));
        kept = pairOf(refresh(service, kept.refreshToken));
    }
    service.advanceClock(std::chrono::days(4));
    EXPECT_EQ(refresh(service, kept.refreshToken).status, 401);

    EXPECT_EQ(service
                  .getAuthorized("/api/native/v1/org/memberships",
                                 testing::signInDevice(service, "apparaat-a").accessToken)
                  .status,
              200);
}

// The demo's own template's layout, from the service.
Json demoLayout(const ServiceProcess& service) {
    const Json templates =
        Json::parse(service.get("/admin/records?org=" + demoOrganizationId() + "&entityType=invoiceTemplate")
                        .body)["records"];
    return templates.at(0)["payload"]["config"];
}

Json templatePayload(const std::string& id, const Json& config) {
    return {{"orgId", demoOrganizationId()},
            {"name", "Sjabloon " + id},
            {"config", config},
            {"createdAt", "2026-03-16T09:00:00.000Z"},
            {"updatedAt", "2026-03-16T09:00:00.000Z"}};
}

TEST(HostileRequestsIntegrationTest, ATemplateReadsNoFileOfTheServiceAndNestsNoDeeperThanTheLayoutReads) {
    ServiceProcess service(ServiceProcess::demo());
    const TokenPair tokens = testing::signInDevice(service, "apparaat-a");
    testing::TempDir dir("template-files");
    const std::filesystem::path fifo = dir.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A real picture the service could read: it must not end up in a PDF either.
    const std::filesystem::path picture = dir.path() / "prive.png";
    {
        const CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 40, 20));
        ASSERT_EQ(cairo_surface_write_to_png(surface.get(), picture.c_str()), CAIRO_STATUS_SUCCESS);
    }

    PushRequest request{"apparaat-a", std::nullopt, {}};
    // The first invoice's logo names nothing: what it draws is what every other one may draw.
    const std::vector<std::string> urls{"", "/etc/passwd", "file:///dev/zero", fifo.string(),
                                        picture.string()};
    for (std::size_t i = 0; i < urls.size(); ++i) {
        Json config = demoLayout(service);
        config["logo"]["visible"] = true;
        for (Json& block : config["blocks"]) {
            if (block["type"] == "logoBlock" && !urls[i].empty()) block["imageUrl"] = urls[i];
        }
        const std::string id = std::to_string(i);
        request.changes.push_back(
            pushed(SyncEntityType::invoiceTemplate, "sjabloon-" + id, templatePayload(id, config)));
        request.changes.push_back(pushed(
            SyncEntityType::draftInvoice, "factuur-" + id,
            {{"issueDate", "2026-03-16"}, {"vatTreatment", "nl_21"}, {"templateId", "sjabloon-" + id}}));
        request.changes.push_back(
            pushed(SyncEntityType::invoiceLine, "regel-" + id, line("factuur-" + id, 100, 100)));
    }
    // Ten thousand nested columns: as layout text it passes the body's own depth check and is
    // refused by the write path; as JSON the body is refused whole.
    std::string deep;
    for (int level = 0; level < 10'000; ++level)
        deep += R"({"type":"columns","columnsLeft":[)";
    request.changes.push_back(
        pushed(SyncEntityType::invoiceTemplate, "sjabloon-diep", templatePayload("diep", deep)));
    const Json answer =
        Json::parse(service.post("/api/sync/push", toJson(request).dump(), tokens.accessToken).body);
    EXPECT_EQ(answer["accepted"].size(), urls.size() * 3) << answer.dump();
    ASSERT_EQ(answer["errors"].size(), 1u) << answer.dump();
    EXPECT_EQ(answer["errors"][0]["entityId"], "sjabloon-diep");
    expectRefused(rawRequest(service, "POST", "/admin/records", adminHeaders(service),
                             Json{{"org", demoOrganizationId()},
                                  {"entityType", "invoiceTemplate"},
                                  {"id", "diep"},
                                  {"payload", templatePayload("diep", deep)}}
                                 .dump()),
                  422, "deep layout text");
    expectRefused(
        rawRequest(service, "POST", "/api/sync/push", {{"Authorization", "Bearer " + tokens.accessToken}},
                   R"({"deviceId":"apparaat-a","changes":[)" + deep),
        400, "deep layout JSON");

    std::optional<std::string> plainImages;
    for (std::size_t i = 0; i < urls.size(); ++i) {
        const ServiceProcess::HttpAnswer pdf = service.getAuthorized(
            "/api/native/v1/invoices/factuur-" + std::to_string(i) + "/preview-pdf", tokens.accessToken);
        ASSERT_EQ(pdf.status, 200) << urls[i] << ": " << pdf.body.substr(0, 200);
        const std::filesystem::path file = dir.path() / ("preview-" + std::to_string(i) + ".pdf");
        testing::writeFile(file, pdf.body);
        const std::string images = testing::runCommand("pdfimages -list " + file.string());
        if (!plainImages) plainImages = images;
        EXPECT_EQ(images, *plainImages) << urls[i] << ": the logo drew something";
        EXPECT_EQ(testing::runCommand("pdftotext " + file.string() + " -").find("root:"), std::string::npos);
    }
    expectStillServing(service);
}

// A picture uploaded as the logo of the organisation `accessToken` belongs to; its upload key.
std::string uploadLogo(const ServiceProcess& service, const std::string& accessToken,
                       const std::string& png) {
    httplib::Client client("127.0.0.1", service.port());
    const httplib::MultipartFormDataItems items{{"logo", png, "logo.png", "image/png"}};
    const auto answer =
        client.Post("/api/native/v1/org-settings/logo", {{"Authorization", "Bearer " + accessToken}}, items);
    EXPECT_TRUE(answer && answer->status == 200) << (answer ? answer->body : "geen antwoord");
    return answer ? Json::parse(answer->body).value("logoPath", "") : "";
}

TEST(HostileRequestsIntegrationTest, ATemplateDrawsItsOrganisationsOwnUploadsAndNoOneElses) {
    ServiceProcess service(ServiceProcess::demo());
    testing::TempDir dir("template-uploads");
    const std::filesystem::path picture = dir.path() / "beeld.png";
    {
        const CairoSurface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 40, 20));
        ASSERT_EQ(cairo_surface_write_to_png(surface.get(), picture.c_str()), CAIRO_STATUS_SUCCESS);
    }
    const std::string png = testing::readFile(picture);

    const TokenPair own =
        testing::signInDevice(service, "apparaat-a", std::string("sanne@studiozelvorin.nl"));
    const std::string ownKey = uploadLogo(service, own.accessToken, png);
    const TokenPair member =
        testing::signInDevice(service, "apparaat-b", std::string("sanne@studiozelvorin.nl"));
    const ServiceProcess::HttpAnswer switched =
        service.post("/api/auth/native/switch-org", Json{{"organizationId", secondOrganizationId()}}.dump(),
                     member.accessToken);
    ASSERT_EQ(switched.status, 200) << switched.body;
    const std::string foreignKey = uploadLogo(service, Json::parse(switched.body)["accessToken"], png);
    ASSERT_FALSE(ownKey.empty());
    ASSERT_FALSE(foreignKey.empty());

    // Each template hides the logo and draws one image block; only the first names an upload of
    // its own organisation. The key of another organisation, and the forms that would reach past
    // the store, draw nothing.
    const std::vector<std::string> urls{"api/uploads/" + ownKey,     "",
                                        "api/uploads/" + foreignKey, "api/uploads/../" + ownKey,
                                        "api/uploads//etc/passwd",   "api/uploads/" + ownKey + "/.."};
    PushRequest request{"apparaat-a", std::nullopt, {}};
    for (std::size_t i = 0; i < urls.size(); ++i) {
        Json config = demoLayout(service);
        config["logo"]["visible"] = false;
        if (!urls[i].empty())
            config["blocks"].push_back({{"type", "imageBlock"},
                                        {"id", "beeld"},
                                        {"visible", true},
                                        {"order", 14},
                                        {"alignment", "left"},
                                        {"spacingBefore", 0},
                                        {"spacingAfter", 0},
                                        {"imageUrl", urls[i]},
                                        {"imageMaxWidth", 80},
                                        {"imageMaxHeight", 40}});
        const std::string id = "upload-" + std::to_string(i);
        request.changes.push_back(
            pushed(SyncEntityType::invoiceTemplate, "sjabloon-" + id, templatePayload(id, config)));
        request.changes.push_back(pushed(
            SyncEntityType::draftInvoice, "factuur-" + id,
            {{"issueDate", "2026-03-16"}, {"vatTreatment", "nl_21"}, {"templateId", "sjabloon-" + id}}));
        request.changes.push_back(
            pushed(SyncEntityType::invoiceLine, "regel-" + id, line("factuur-" + id, 100, 100)));
    }
    const Json answer =
        Json::parse(service.post("/api/sync/push", toJson(request).dump(), own.accessToken).body);
    ASSERT_EQ(answer["accepted"].size(), urls.size() * 3) << answer.dump();

    std::vector<long> images;
    for (std::size_t i = 0; i < urls.size(); ++i) {
        const ServiceProcess::HttpAnswer pdf = service.getAuthorized(
            "/api/native/v1/invoices/factuur-upload-" + std::to_string(i) + "/preview-pdf", own.accessToken);
        ASSERT_EQ(pdf.status, 200) << urls[i] << ": " << pdf.body.substr(0, 200);
        const std::filesystem::path file = dir.path() / ("upload-" + std::to_string(i) + ".pdf");
        testing::writeFile(file, pdf.body);
        const std::string listed = testing::runCommand("pdfimages -list " + file.string());
        images.push_back(std::count(listed.begin(), listed.end(), '\n'));
    }
    EXPECT_GT(images[0], images[1]) << "the organisation's own upload was not drawn";
    for (std::size_t i = 2; i < urls.size(); ++i)
        EXPECT_EQ(images[i], images[1]) << urls[i] << ": drew a picture";
    expectStillServing(service);
}

}  // namespace
}  // namespace zelvorin::service
