// Every route that changes something leaves exactly one audit entry, in the caller's organisation:
// the test walks the whole route table, sends each route that is not a GET a request it accepts
// against a freshly seeded service, and counts the entries. A route added without a request here
// fails, so that whoever adds one decides how it is audited.

#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <thread>

#include "domain/Clock.h"
#include "layout/ImageSource.h"
#include "persistence/ScalarStatements.h"
#include "service/Server.h"
#include "service/admin/AdminGate.h"
#include "service/auth/AuthCrypto.h"
#include "service/auth/Authenticator.h"
#include "service/seed/DemoSeed.h"
#include "service/store/Accounts.h"
#include "service/store/AuditLog.h"
#include "service/store/RecordWriter.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using namespace std::chrono;
using Json = nlohmann::ordered_json;

constexpr const char* kOperatorToken = "operator-token-for-tests";
const TimePoint kNow = sys_days{2026y / March / 16} + hours{10};

const char* methodName(HttpMethod method) {
    switch (method) {
        case HttpMethod::get:
            return "GET";
        case HttpMethod::post:
            return "POST";
        case HttpMethod::put:
            return "PUT";
        case HttpMethod::patch:
            return "PATCH";
        case HttpMethod::del:
            return "DELETE";
    }
    return "?";
}

// The demo organisation seeded once; each route gets its own copy of the data directory.
const std::filesystem::path& seededTemplate() {
    static testing::TempDir directory;
    static const bool seeded = [] {
        const ServiceDatabase database(directory.path() / "data");
        return seedDemo(database, 2026y / March / 16);
    }();
    EXPECT_TRUE(seeded);
    return directory.path();
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A running service over a fresh copy of the demo organisation, with sessions for its owner and
// its member.
class SeededService {
public:
    SeededService() {
        std::filesystem::copy(seededTemplate() / "data", dir_.path() / "data",
                              std::filesystem::copy_options::recursive);
        database_ = std::make_unique<ServiceDatabase>(dir_.path() / "data");
        server_ = std::make_unique<Server>(*database_, clock_, 900, std::nullopt, &clock_, kOperatorToken);
        port_ = server_->bind(0);
        serving_ = std::thread([this] { server_->serve(); });
        owner = startSession(demoOwnerUserId(), "apparaat-eigenaar");
        member = startSession(demoMemberUserId(), "apparaat-lid");
    }
    ~SeededService() {
        server_->stop();
        serving_.join();
    }

    IssuedTokens startSession(const std::string& userId, const std::string& deviceId,
                              const std::string& organizationId = demoOrganizationId()) {
        return database_->write([&](Connection& db) {
            return authenticator().startSession(db, userId, organizationId,
                                                {deviceId, "linux", "1.0", deviceId, "", ""}, kNow);
        });
    }
    Authenticator authenticator() const { return Authenticator(database_->signingSecret(), 900); }
    const ServiceDatabase& database() const { return *database_; }
    const Router& router() const { return server_->router(); }

    // The id of the first live record of the type whose payload `wanted` accepts.
    std::string recordId(const std::string& type, const std::function<bool(const Json&)>& wanted = {}) const {
        return database_->read([&](Connection& db) {
            for (const StoredRecord& record : records::all(db, demoOrganizationId(), type)) {
                if (!record.deleted && (!wanted || wanted(record.payload))) return record.id;
            }
            ADD_FAILURE() << "no " << type << " record in the demo organisation";
            return std::string();
        });
    }
    std::string invoiceWithStatus(const std::string& status) const {
        return recordId("draftInvoice",
                        [&](const Json& payload) { return payload.value("status", "") == status; });
    }

    // Entries written after `after`, except those of the service's own background work.
    std::int64_t entriesAfter(std::int64_t after) const {
        return database_->read([&](Connection& db) {
            return countRows(db, "SELECT count(*) FROM audit_entry WHERE id > ? AND source != 'service'",
                             after);
        });
    }
    std::int64_t lastEntry() const {
        return database_->read([](Connection& db) { return auditlog::lastId(db); });
    }

    httplib::Result send(HttpMethod method, const std::string& path, const std::string& token,
                         const std::optional<Json>& body, httplib::Headers headers = {}) const {
        httplib::Client client = this->client();
        if (!token.empty()) headers.emplace("Authorization", "Bearer " + token);
        headers.emplace(kAdminTokenHeader, kOperatorToken);
        const std::string text = body ? body->dump() : std::string();
        const char* type = body ? "application/json" : nullptr;
        switch (method) {
            case HttpMethod::get:
                return client.Get(path, headers);
            case HttpMethod::post:
                return type ? client.Post(path, headers, text, type) : client.Post(path, headers);
            case HttpMethod::put:
                return client.Put(path, headers, text, type ? type : "application/json");
            case HttpMethod::patch:
                return client.Patch(path, headers, text, type ? type : "application/json");
            case HttpMethod::del:
                return client.Delete(path, headers);
        }
        return client.Get(path, headers);
    }
    httplib::Result upload(const std::string& path, const std::string& token,
                           const httplib::MultipartFormDataItems& items) const {
        httplib::Client client = this->client();
        return client.Post(path, {{"Authorization", "Bearer " + token}}, items);
    }

    IssuedTokens owner;
    IssuedTokens member;

private:
    // The bundle routes derive their key with scrypt: an instrumented build needs more than the
    // client's default five seconds.
    httplib::Client client() const {
        httplib::Client client("127.0.0.1", port_);
        client.set_read_timeout(60, 0);
        return client;
    }

    testing::TempDir dir_;
    ManualClock clock_{kNow};
    std::unique_ptr<ServiceDatabase> database_;
    std::unique_ptr<Server> server_;
    int port_ = 0;
    std::thread serving_;
};

// What a route is sent: its path (parameters filled), who sends it, and its body. A probe may
// prepare what the request needs first (an invitation to withdraw); that leaves its own entries,
// which are not counted.
struct Probe {
    Probe(std::string path, std::optional<Json> body = std::nullopt, std::string token = {},
          std::optional<httplib::MultipartFormDataItems> multipart = std::nullopt)
        : path(std::move(path)),
          body(std::move(body)),
          token(std::move(token)),
          multipart(std::move(multipart)) {}

    std::string path;
    std::optional<Json> body;
    std::string token;  // empty: the owner's; "-": none
    std::optional<httplib::MultipartFormDataItems> multipart;
};
using ProbeFor = std::function<Probe(SeededService&)>;

Json answerOf(const httplib::Result& result) {
    EXPECT_TRUE(result && result->status < 300) << (result ? result->body : "no answer");
    return result ? Json::parse(result->body, nullptr, false) : Json();
}

std::string invite(SeededService& service, const std::string& email) {
    const Json body{{"email", email}, {"role", "member"}, {"firstName", "Sam"}, {"lastName", "Jansen"}};
    return answerOf(service.send(HttpMethod::post, "/api/native/v1/members/invite", service.owner.accessToken,
                                 body))["id"];
}

// A transaction of the direction that is linked to nothing yet.
std::string bankTransaction(SeededService& service, bool incoming) {
    return service.recordId("bankTransaction", [&](const Json& payload) {
        return payload.value("direction", "") == (incoming ? "in" : "out") &&
               !payload.contains("matchedInvoiceId") && !payload.contains("matchedIncomingInvoiceId");
    });
}

std::string newEmailTemplate(SeededService& service) {
    const Json made =
        answerOf(service.send(HttpMethod::post, "/api/native/v1/email-templates", service.owner.accessToken,
                              Json{{"name", "Kort"},
                                   {"type", "invoice"},
                                   {"language", "nl"},
                                   {"subject", "Factuur"},
                                   {"body", "Beste klant"},
                                   {"style", "plain"}}));
    return made["id"].get<std::string>();
}

httplib::MultipartFormDataItems fileItem(const std::string& field, const std::string& bytes,
                                         const std::string& name, const std::string& type) {
    return {{field, bytes, name, type}};
}

// A real 1 × 1 PNG.
std::string tinyPng() {
    return *dataUrlBytes(
        "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+"
        "M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==");
}

std::string dejaVu() {
    return readFile("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf");
}

std::string samplePdf() {
    return readFile(std::filesystem::path(ZELVORIN_INTELLIGENCE_SAMPLES) / "receipt-scan.pdf");
}

// A request each route accepts, by "METHOD pattern".
std::map<std::string, ProbeFor> probes() {
    std::map<std::string, ProbeFor> p;
    const std::string v1 = "/api/native/v1/";
    // Members and invitations.
    p["POST api/native/v1/members/invite"] = [=](SeededService&) {
        return Probe{v1 + "members/invite", Json{{"email", "nieuw@voorbeeld.nl"},
                                                 {"role", "admin"},
                                                 {"firstName", "Noor"},
                                                 {"lastName", "B"}}};
    };
    p["PATCH api/native/v1/members/{userId}"] = [=](SeededService&) {
        return Probe{v1 + "members/" + demoMemberUserId(), Json{{"role", "admin"}}};
    };
    p["PATCH api/native/v1/members/{userId}/name"] = [=](SeededService& s) {
        return Probe{v1 + "members/" + demoMemberUserId() + "/name", Json{{"name", "Lid Nieuw"}},
                     s.member.accessToken};
    };
    p["POST api/native/v1/members/{userId}/reset-password"] = [=](SeededService&) {
        return Probe{v1 + "members/" + demoMemberUserId() + "/reset-password"};
    };
    p["DELETE api/native/v1/members/{userId}"] = [=](SeededService&) {
        return Probe{v1 + "members/" + demoMemberUserId()};
    };
    p["POST api/native/v1/members/invites/{inviteId}/resend"] = [=](SeededService& s) {
        return Probe{v1 + "members/invites/" + invite(s, "later@voorbeeld.nl") + "/resend"};
    };
    p["DELETE api/native/v1/members/invites/{inviteId}"] = [=](SeededService& s) {
        return Probe{v1 + "members/invites/" + invite(s, "later@voorbeeld.nl")};
    };
    p["POST api/native/v1/members/{userId}/revoke-sessions"] = [=](SeededService&) {
        return Probe{v1 + "members/" + demoMemberUserId() + "/revoke-sessions"};
    };
    p["POST api/native/v1/members/{userId}/sessions/{sessionId}/revoke"] = [=](SeededService& s) {
        const std::string session = s.authenticator().verify(s.member.accessToken, kNow).sessionId;
        return Probe{v1 + "members/" + demoMemberUserId() + "/sessions/" + session + "/revoke"};
    };
    p["POST api/native/v1/admin/sessions/revoke"] = [=](SeededService& s) {
        const std::string session = s.authenticator().verify(s.member.accessToken, kNow).sessionId;
        return Probe{v1 + "admin/sessions/revoke", Json{{"kind", "device"}, {"id", session}}};
    };
    p["POST api/native/v1/notifications/mark-read"] = [=](SeededService& s) {
        const std::string unread = s.recordId(
            "appNotification", [](const Json& payload) { return payload.value("readAt", Json()).is_null(); });
        return Probe{v1 + "notifications/mark-read", Json{{"ids", {unread}}}};
    };
    p["POST api/native/v1/notifications/mark-all-read"] = [=](SeededService&) {
        return Probe{v1 + "notifications/mark-all-read"};
    };
    // Signing in and onboarding.
    p["POST api/auth/native/redeem"] = [=](SeededService& s) {
        const std::string code = s.database().write([&](Connection& db) {
            return s.authenticator().issueCode(db, demoMemberUserId(), demoOrganizationId(),
                                               {"apparaat-nieuw", "linux", "1.0", "nieuw", "", ""},
                                               s256Challenge("verifier-van-het-nieuwe-apparaat"), kNow);
        });
        return Probe{"/api/auth/native/redeem",
                     Json{{"code", code},
                          {"deviceId", "apparaat-nieuw"},
                          {"codeVerifier", "verifier-van-het-nieuwe-apparaat"}},
                     "-"};
    };
    p["POST api/auth/native/refresh"] = [=](SeededService& s) {
        return Probe{"/api/auth/native/refresh",
                     Json{{"deviceId", "apparaat-lid"}, {"refreshToken", s.member.refreshToken}}, "-"};
    };
    p["POST api/auth/native/switch-org"] = [=](SeededService& s) {
        const std::string other = s.database().read([](Connection& db) {
            for (const Membership& membership : accounts::membershipsOfUser(db, demoOwnerUserId()))
                if (membership.organizationId != demoOrganizationId()) return membership.organizationId;
            return std::string();
        });
        return Probe{"/api/auth/native/switch-org", Json{{"organizationId", other}}};
    };
    p["POST api/auth/sign-in/magic-link"] = [=](SeededService&) {
        return Probe{"/api/auth/sign-in/magic-link",
                     Json{{"email", "iemand@voorbeeld.nl"},
                          {"callbackURL", "zelvorin://auth"},
                          {"newUserCallbackURL", "zelvorin://auth"}},
                     "-"};
    };
    p["POST api/native/onboarding/create-org"] = [=](SeededService& s) {
        const std::string token = s.database().write([&](Connection& db) {
            accounts::addUser(db, {"gebruiker-nieuw", "nieuw@bedrijf.nl", "Nieuw", "2026-03-16T09:00:00Z"});
            return s.authenticator().issueOnboardingToken(db, "gebruiker-nieuw",
                                                          {"apparaat-x", "linux", "1", "x", "", ""}, kNow);
        });
        return Probe{"/api/native/onboarding/create-org", Json{{"name", "Nieuw Bedrijf"}}, token};
    };
    p["POST api/native/onboarding/step"] = [=](SeededService&) {
        return Probe{"/api/native/onboarding/step", Json{{"step", 9}}};
    };
    p["POST api/native/onboarding/first-customer"] = [=](SeededService&) {
        return Probe{
            "/api/native/onboarding/first-customer",
            Json{{"companyName", "Klant BV"}, {"contactPersonName", "Kees"}, {"email", "kees@klant.nl"}}};
    };
    p["POST api/native/web-session"] = [=](SeededService&) {
        return Probe{"/api/native/web-session", Json{{"next", "/dashboard"}}};
    };
    // Sync.
    p["POST api/sync/push"] = [=](SeededService&) {
        const Json change{{"entityType", "customer"},
                          {"entityId", "klant-nieuw"},
                          {"operation", "create"},
                          {"clientRevision", 1},
                          {"payload", {{"companyName", "Nieuwe Klant"}}},
                          {"clientTimestamp", "2026-03-16T09:00:00.000Z"},
                          {"idempotencyKey", "sleutel-1"}};
        return Probe{"/api/sync/push", Json{{"deviceId", "apparaat-eigenaar"}, {"changes", {change}}}};
    };
    // The operator's routes.
    p["POST admin/records"] = [=](SeededService& s) {
        const std::string id = s.recordId("customer");
        Json payload = s.database().read(
            [&](Connection& db) { return records::find(db, demoOrganizationId(), "customer", id)->payload; });
        payload["companyName"] = "Hernoemd BV";
        return Probe{
            "/admin/records",
            Json{{"org", demoOrganizationId()}, {"entityType", "customer"}, {"id", id}, {"payload", payload}},
            "-"};
    };
    p["DELETE admin/records"] = [=](SeededService& s) {
        return Probe{"/admin/records?org=" + demoOrganizationId() +
                         "&entityType=customer&id=" + s.recordId("customer"),
                     std::nullopt, "-"};
    };
    p["POST admin/requests/reset"] = [=](SeededService&) { return Probe{"/admin/requests/reset", {}, "-"}; };
    p["POST admin/faults"] = [=](SeededService&) {
        return Probe{"/admin/faults", Json{{"path", "/api/sync/pull"}, {"status", 503}, {"times", 1}}, "-"};
    };
    p["DELETE admin/faults"] = [=](SeededService&) { return Probe{"/admin/faults", {}, "-"}; };
    p["POST admin/clock"] = [=](SeededService&) {
        return Probe{"/admin/clock", Json{{"advanceSeconds", 60}}, "-"};
    };
    // Invoices.
    const auto sendBody =
        Json{{"recipientEmail", "klant@voorbeeld.nl"}, {"subject", "Factuur"}, {"body", "Hierbij."}};
    p["POST api/native/v1/invoices/{id}/send"] = [=](SeededService& s) {
        return Probe{v1 + "invoices/" + s.invoiceWithStatus("draft") + "/send", sendBody};
    };
    p["POST api/native/v1/invoices/{id}/resend"] = [=](SeededService& s) {
        return Probe{v1 + "invoices/" + s.invoiceWithStatus("sent") + "/resend", sendBody};
    };
    p["POST api/native/v1/invoices/{id}/schedule"] = [=](SeededService& s) {
        Json body = sendBody;
        body["scheduledAt"] = "2026-03-20T09:00:00Z";
        return Probe{v1 + "invoices/" + s.invoiceWithStatus("draft") + "/schedule", body};
    };
    p["DELETE api/native/v1/invoices/{id}/schedule"] = [=](SeededService& s) {
        Json body = sendBody;
        body["scheduledAt"] = "2026-03-20T09:00:00Z";
        const std::string id = s.invoiceWithStatus("draft");
        answerOf(s.send(HttpMethod::post, v1 + "invoices/" + id + "/schedule", s.owner.accessToken, body));
        return Probe{v1 + "invoices/" + id + "/schedule"};
    };
    p["POST api/native/v1/invoices/{id}/mark-paid"] = [=](SeededService& s) {
        return Probe{v1 + "invoices/" + s.invoiceWithStatus("sent") + "/mark-paid",
                     Json{{"paidAt", "2026-03-16"}}};
    };
    p["POST api/native/v1/invoices/{id}/payments"] = [=](SeededService& s) {
        return Probe{v1 + "invoices/" + s.invoiceWithStatus("sent") + "/payments",
                     Json{{"amountCents", 100}, {"method", "bank_transfer"}, {"paymentDate", "2026-03-16"}}};
    };
    p["POST api/native/v1/invoices/{id}/reminders"] = [=](SeededService& s) {
        Json body = sendBody;
        body["level"] = "reminder_1";
        body["fromEmail"] = "info@voorbeeld.nl";
        return Probe{v1 + "invoices/" + s.invoiceWithStatus("overdue") + "/reminders", body};
    };
    p["POST api/native/v1/invoices/{id}/cancel"] = [=](SeededService& s) {
        return Probe{v1 + "invoices/" + s.invoiceWithStatus("sent") + "/cancel",
                     Json{{"reason", "Dubbel verstuurd"}, {"confirmText", "ANNULEER"}}};
    };
    p["POST api/native/v1/invoices/{id}/reopen"] = [=](SeededService& s) {
        return Probe{v1 + "invoices/" + s.invoiceWithStatus("paid") + "/reopen",
                     Json{{"reason", "Terugbetaald"}}};
    };
    p["POST api/native/v1/invoices/{id}/credit-note"] = [=](SeededService& s) {
        return Probe{v1 + "invoices/" + s.invoiceWithStatus("sent") + "/credit-note",
                     Json{{"creditAmountCents", 100}}};
    };
    p["POST api/native/v1/invoices/{id}/set-template"] = [=](SeededService& s) {
        return Probe{v1 + "invoices/" + s.invoiceWithStatus("draft") + "/set-template",
                     Json{{"templateId", s.recordId("invoiceTemplate")}}};
    };
    p["POST api/native/v1/invoices/{id}/preview-email"] = [=](SeededService& s) {
        return Probe{v1 + "invoices/" + s.invoiceWithStatus("draft") + "/preview-email",
                     Json{{"message", "Hallo"}}};
    };
    p["POST api/native/v1/invoices/attachments"] = [=](SeededService&) {
        return Probe{v1 + "invoices/attachments",
                     {},
                     {},
                     fileItem("files", samplePdf(), "bijlage.pdf", "application/pdf")};
    };
    // Templates and variables.
    p["POST api/native/v1/email-templates"] = [=](SeededService&) {
        return Probe{v1 + "email-templates", Json{{"name", "Nieuw"},
                                                  {"type", "invoice"},
                                                  {"language", "nl"},
                                                  {"subject", "Factuur"},
                                                  {"body", "Beste klant"},
                                                  {"style", "plain"}}};
    };
    p["PATCH api/native/v1/email-templates/{id}"] = [=](SeededService& s) {
        return Probe{v1 + "email-templates/" + s.recordId("emailTemplate"), Json{{"name", "Anders"}}};
    };
    p["DELETE api/native/v1/email-templates/{id}"] = [=](SeededService& s) {
        return Probe{v1 + "email-templates/" + newEmailTemplate(s)};
    };
    p["POST api/native/v1/email-templates/{id}/set-default"] = [=](SeededService& s) {
        return Probe{v1 + "email-templates/" + newEmailTemplate(s) + "/set-default"};
    };
    p["POST api/native/v1/email-templates/preview"] = [=](SeededService&) {
        return Probe{v1 + "email-templates/preview",
                     Json{{"body", "Hallo"}, {"style", "plain"}, {"type", "invoice"}, {"language", "nl"}}};
    };
    p["PATCH api/native/v1/templates/{id}"] = [=](SeededService& s) {
        return Probe{v1 + "templates/" + s.recordId("invoiceTemplate"), Json{{"name", "Huisstijl"}}};
    };
    p["DELETE api/native/v1/templates/{id}"] = [=](SeededService& s) {
        const Json copy = answerOf(s.send(HttpMethod::post,
                                          v1 + "templates/" + s.recordId("invoiceTemplate") + "/duplicate",
                                          s.owner.accessToken, std::nullopt));
        return Probe{v1 + "templates/" + copy["id"].get<std::string>()};
    };
    p["POST api/native/v1/templates/{id}/duplicate"] = [=](SeededService& s) {
        return Probe{v1 + "templates/" + s.recordId("invoiceTemplate") + "/duplicate"};
    };
    p["POST api/native/v1/templates/{id}/default-for"] = [=](SeededService& s) {
        return Probe{v1 + "templates/" + s.recordId("invoiceTemplate") + "/default-for",
                     Json{{"docType", "credit_note"}}};
    };
    p["POST api/native/v1/templates/default-for-new"] = [=](SeededService& s) {
        const Json copy = answerOf(s.send(HttpMethod::post,
                                          v1 + "templates/" + s.recordId("invoiceTemplate") + "/duplicate",
                                          s.owner.accessToken, std::nullopt));
        return Probe{v1 + "templates/default-for-new", Json{{"templateId", copy["id"]}}};
    };
    p["POST api/native/v1/org-variables"] = [=](SeededService&) {
        return Probe{v1 + "org-variables",
                     Json{{"label", "Referentie klant"}, {"kind", "text"}, {"description", "Code"}}};
    };
    p["PATCH api/native/v1/org-variables/{id}"] = [=](SeededService& s) {
        return Probe{v1 + "org-variables/" + s.recordId("orgVariable"),
                     Json{{"label", "Code"}, {"description", "Nieuw"}}};
    };
    p["DELETE api/native/v1/org-variables/{id}"] = [=](SeededService& s) {
        answerOf(s.send(HttpMethod::post, v1 + "org-variables", s.owner.accessToken,
                        Json{{"label", "Referentie klant"}, {"kind", "text"}, {"description", "Code"}}));
        return Probe{v1 + "org-variables/" + s.recordId("orgVariable", [](const Json& variable) {
            return variable.value("label", "") == "Referentie klant";
        })};
    };
    // Bank and VAT.
    p["POST api/native/v1/bank/import"] = [=](SeededService&) {
        return Probe{
            v1 + "bank/import",
            {},
            {},
            fileItem("file", readFile(std::filesystem::path(ZELVORIN_STATEMENTS_DIR) / "demo-maart.mt940"),
                     "maart.mt940", "text/plain")};
    };
    p["POST api/native/v1/bank/transactions/{id}/match"] = [=](SeededService& s) {
        return Probe{v1 + "bank/transactions/" + bankTransaction(s, true) + "/match",
                     Json{{"invoiceId", s.invoiceWithStatus("sent")}}};
    };
    p["POST api/native/v1/bank/transactions/{id}/unmatch"] = [=](SeededService& s) {
        const std::string id = bankTransaction(s, true);
        answerOf(s.send(HttpMethod::post, v1 + "bank/transactions/" + id + "/match", s.owner.accessToken,
                        Json{{"invoiceId", s.invoiceWithStatus("sent")}}));
        return Probe{v1 + "bank/transactions/" + id + "/unmatch"};
    };
    p["POST api/native/v1/bank/transactions/{id}/categorize"] = [=](SeededService& s) {
        return Probe{v1 + "bank/transactions/" + bankTransaction(s, false) + "/categorize",
                     Json{{"category", "kantoor"}}};
    };
    p["POST api/native/v1/bank/match-search"] = [=](SeededService&) {
        return Probe{v1 + "bank/match-search", Json{{"query", "2026"}}};
    };
    p["PATCH api/native/v1/bank/accounts/{id}"] = [=](SeededService& s) {
        return Probe{v1 + "bank/accounts/" + s.recordId("bankAccount"), Json{{"name", "Zakelijk"}}};
    };
    p["POST api/native/v1/bank/rules"] = [=](SeededService&) {
        return Probe{v1 + "bank/rules",
                     Json{{"counterpartyPattern", "Kantoorhuis"}, {"category", "kantoor"}}};
    };
    p["POST api/native/v1/bank/rules/activate"] = [=](SeededService&) {
        return Probe{v1 + "bank/rules/activate", Json{{"pattern", "Kantoorhuis"}}};
    };
    p["DELETE api/native/v1/bank/rules/{id}"] = [=](SeededService& s) {
        answerOf(s.send(HttpMethod::post, v1 + "bank/rules", s.owner.accessToken,
                        Json{{"counterpartyPattern", "Kantoorhuis"}, {"category", "kantoor"}}));
        const Json rules =
            answerOf(s.send(HttpMethod::get, v1 + "bank/rules", s.owner.accessToken, std::nullopt));
        return Probe{v1 + "bank/rules/" + rules["rules"][0]["id"].get<std::string>()};
    };
    p["POST api/native/v1/bank/sync-now"] = [=](SeededService&) { return Probe{v1 + "bank/sync-now"}; };
    p["POST api/native/v1/btw/export"] = [=](SeededService&) {
        return Probe{v1 + "btw/export", Json{{"year", 2026}, {"quarter", 1}}};
    };
    p["POST api/native/v1/btw/overige-kosten/{transactionId}/vat-rate"] = [=](SeededService& s) {
        return Probe{v1 + "btw/overige-kosten/" + bankTransaction(s, false) + "/vat-rate",
                     Json{{"vatRatePercent", 9}}};
    };
    p["POST api/native/v1/dashboard/action"] = [=](SeededService&) {
        return Probe{v1 + "dashboard/action", Json{{"actionId", "actie-1"}, {"decision", "done"}}};
    };
    // The inbox.
    const auto inboxItem = [](SeededService& s) { return s.recordId("incomingInvoice"); };
    p["POST api/native/v1/kvitra/upload"] = [=](SeededService&) {
        httplib::MultipartFormDataItems items = fileItem("file", samplePdf(), "bon.pdf", "application/pdf");
        items.push_back({"source", "upload", "", ""});
        items.push_back({"needsServerExtraction", "false", "", ""});
        return Probe{v1 + "kvitra/upload", {}, {}, items};
    };
    p["POST api/native/v1/kvitra/{id}/extraction"] = [=](SeededService& s) {
        return Probe{v1 + "kvitra/" + inboxItem(s) + "/extraction",
                     Json{{"source", "device-fm"},
                          {"confidence", 0.9},
                          {"result",
                           {{"isInvoice", true},
                            {"currency", "EUR"},
                            {"totalAmountCents", 1210},
                            {"senderCompany", "Leverancier BV"},
                            {"lines", Json::array()},
                            {"vatBreakdown", Json::array()}}}}};
    };
    p["POST api/native/v1/kvitra/{id}/reextract"] = [=](SeededService& s) {
        return Probe{v1 + "kvitra/" + inboxItem(s) + "/reextract"};
    };
    p["PATCH api/native/v1/kvitra/{id}"] = [=](SeededService& s) {
        return Probe{v1 + "kvitra/" + inboxItem(s), Json{{"extractedSenderCompany", "Leverancier BV"}}};
    };
    p["POST api/native/v1/kvitra/{id}/categorize"] = [=](SeededService& s) {
        return Probe{v1 + "kvitra/" + inboxItem(s) + "/categorize", Json{{"category", "zakelijk"}}};
    };
    p["POST api/native/v1/kvitra/{id}/invoice-type"] = [=](SeededService& s) {
        return Probe{v1 + "kvitra/" + inboxItem(s) + "/invoice-type", Json{{"invoiceType", "purchase"}}};
    };
    p["POST api/native/v1/kvitra/{id}/order-confirmation"] = [=](SeededService& s) {
        return Probe{v1 + "kvitra/" + inboxItem(s) + "/order-confirmation",
                     Json{{"action", "remind"}, {"preset", "1w"}, {"linkedId", nullptr}}};
    };
    p["POST api/native/v1/kvitra/{id}/reverse-billing"] = [=](SeededService& s) {
        const std::string item = inboxItem(s);
        answerOf(
            s.send(HttpMethod::patch, v1 + "kvitra/" + item, s.owner.accessToken,
                   Json{{"extractedSenderCompany", "Bakkerij Van Dam B.V."}, {"extractedAmount", 12100}}));
        return Probe{v1 + "kvitra/" + item + "/reverse-billing"};
    };
    p["PATCH api/native/v1/kvitra/settings"] = [=](SeededService&) {
        return Probe{v1 + "kvitra/settings", Json{{"kvitraFolderZakelijk", "Werk"}}};
    };
    p["POST api/native/v1/kvitra/{id}/archive"] = [=](SeededService& s) {
        return Probe{v1 + "kvitra/" + inboxItem(s) + "/archive"};
    };
    p["DELETE api/native/v1/kvitra/{id}"] = [=](SeededService& s) {
        return Probe{v1 + "kvitra/" + inboxItem(s)};
    };
    p["DELETE api/native/v1/kvitra/rules/{id}"] = [=](SeededService& s) {
        return Probe{v1 + "kvitra/rules/" + s.recordId("kvitraRule")};
    };
    p["POST api/native/v1/kvitra/sync"] = [=](SeededService&) { return Probe{v1 + "kvitra/sync"}; };
    // Schedules.
    p["POST api/native/v1/schedules/{id}/days-off"] = [=](SeededService& s) {
        return Probe{v1 + "schedules/" + s.recordId("invoiceSchedule") + "/days-off",
                     Json{{"date", "2026-03-18"}, {"type", "vakantie"}}};
    };
    p["DELETE api/native/v1/schedules/{id}/days-off/{dayOffId}"] = [=](SeededService& s) {
        const std::string schedule = s.recordId("invoiceSchedule");
        const Json made =
            answerOf(s.send(HttpMethod::post, v1 + "schedules/" + schedule + "/days-off", s.owner.accessToken,
                            Json{{"date", "2026-03-18"}, {"type", "vakantie"}}));
        return Probe{v1 + "schedules/" + schedule + "/days-off/" + made["dayOff"]["id"].get<std::string>()};
    };
    // Proposals.
    const auto proposal = [](SeededService& s) {
        return s.recordId("proposal",
                          [](const Json& payload) { return payload.value("status", "") == "sent"; });
    };
    p["POST api/native/v1/proposals"] = [=](SeededService& s) {
        const std::string templateId = "sjabloon-offerte";
        s.database().write([&](Connection& db) {
            writeRecord(db, {demoOrganizationId(), SyncEntityType::proposal, templateId, RecordOperation::put,
                             Json{{"id", templateId},
                                  {"organizationId", demoOrganizationId()},
                                  {"title", "Standaard"},
                                  {"status", "draft"},
                                  {"isTemplate", true},
                                  {"templateName", "Standaardofferte"},
                                  {"createdAt", "2026-03-01T09:00:00.000Z"},
                                  {"updatedAt", "2026-03-01T09:00:00.000Z"}},
                             kNow, Actor{ChangeSource::seed, {}, {}}, std::nullopt});
        });
        return Probe{v1 + "proposals", Json{{"title", "Nieuwe offerte"},
                                            {"contactId", s.recordId("customer")},
                                            {"fromTemplateId", templateId}}};
    };
    p["PATCH api/native/v1/proposals/{id}"] = [=](SeededService& s) {
        return Probe{v1 + "proposals/" + proposal(s), Json{{"action", "archive"}}};
    };
    p["DELETE api/native/v1/proposals/{id}"] = [=](SeededService& s) {
        return Probe{v1 + "proposals/" + proposal(s)};
    };
    p["POST api/native/v1/proposals/{id}/remind"] = [=](SeededService& s) {
        return Probe{v1 + "proposals/" + proposal(s) + "/remind", Json{{"type", "unsigned"}}};
    };
    p["POST api/native/v1/proposals/{id}/resend-invite"] = [=](SeededService& s) {
        const std::string id = proposal(s);
        const std::string recipient = s.recordId(
            "proposalRecipient", [&](const Json& payload) { return payload.value("proposalId", "") == id; });
        return Probe{v1 + "proposals/" + id + "/resend-invite", Json{{"recipientId", recipient}}};
    };
    p["POST api/native/v1/proposals/{id}/send"] = [=](SeededService& s) {
        return Probe{v1 + "proposals/" + proposal(s) + "/send"};
    };
    // The organisation's settings, logo, fonts, profile, avatars and integrations.
    p["PATCH api/native/v1/org-settings"] = [=](SeededService&) {
        return Probe{v1 + "org-settings", Json{{"paymentTermsDays", 14}}};
    };
    p["POST api/native/v1/org-settings/logo"] = [=](SeededService&) {
        return Probe{
            v1 + "org-settings/logo", std::nullopt, {}, fileItem("logo", tinyPng(), "logo.png", "image/png")};
    };
    p["POST api/native/v1/fonts"] = [=](SeededService&) {
        httplib::MultipartFormDataItems items = fileItem("file", dejaVu(), "DejaVuSerif.ttf", "font/ttf");
        items.push_back({"family", "Huisletter", "", ""});
        return Probe{v1 + "fonts", std::nullopt, {}, items};
    };
    p["DELETE api/native/v1/fonts/{id}"] = [=](SeededService& s) {
        httplib::MultipartFormDataItems items = fileItem("file", dejaVu(), "DejaVuSerif.ttf", "font/ttf");
        items.push_back({"family", "Huisletter", "", ""});
        const httplib::Result made = s.upload(v1 + "fonts", s.owner.accessToken, items);
        const Json answer = answerOf(made);
        return Probe{v1 + "fonts/" + answer["id"].get<std::string>()};
    };
    p["PATCH api/native/v1/profile"] = [=](SeededService&) {
        return Probe{v1 + "profile", Json{{"name", "Iris de Vries"}, {"phone", "06-12345678"}}};
    };
    p["POST api/native/v1/profile/photo"] = [=](SeededService&) {
        return Probe{
            v1 + "profile/photo", std::nullopt, {}, fileItem("file", tinyPng(), "ik.png", "image/png")};
    };
    p["POST api/native/v1/avatars"] = [=](SeededService& s) {
        httplib::MultipartFormDataItems items = fileItem("file", tinyPng(), "logo.png", "image/png");
        items.push_back({"entity", "customer", "", ""});
        items.push_back({"entityId", s.recordId("customer"), "", ""});
        return Probe{v1 + "avatars", std::nullopt, {}, items};
    };
    p["PATCH api/native/v1/integrations"] = [=](SeededService&) {
        return Probe{v1 + "integrations", Json{{"dropboxAutoUpload", "true"}}};
    };
    p["POST api/native/v1/integrations/keys"] = [=](SeededService&) {
        return Probe{v1 + "integrations/keys", Json{{"provider", "mollie"}, {"value", "test_geheim"}}};
    };
    p["POST api/native/v1/integrations/bunq"] = [=](SeededService&) {
        return Probe{v1 + "integrations/bunq", Json{{"apiKey", "sleutel"}}};
    };
    p["DELETE api/native/v1/integrations/bunq"] = [=](SeededService&) {
        return Probe{v1 + "integrations/bunq"};
    };
    p["DELETE api/native/v1/integrations/oauth/{provider}"] = [=](SeededService&) {
        return Probe{v1 + "integrations/oauth/google"};
    };
    p["POST api/native/v1/integrations/google/calendars"] = [=](SeededService&) {
        return Probe{v1 + "integrations/google/calendars", Json{{"name", "Werk"}}};
    };
    p["PATCH api/native/v1/integrations/google/calendars"] = [=](SeededService&) {
        return Probe{v1 + "integrations/google/calendars", Json{{"driveCalendarId", "werk"}}};
    };
    // The organisation's data as a whole.
    p["POST api/native/v1/data/export"] = [=](SeededService&) {
        return Probe{v1 + "data/export", Json{{"password", "lang-genoeg-wachtwoord"}}};
    };
    p["POST api/native/v1/data/avg-export"] = [=](SeededService&) { return Probe{v1 + "data/avg-export"}; };
    p["POST api/native/v1/data/import"] = [=](SeededService& s) {
        const httplib::Result bundle = s.send(HttpMethod::post, v1 + "data/export", s.owner.accessToken,
                                              Json{{"password", "lang-genoeg-wachtwoord"}});
        EXPECT_TRUE(bundle && bundle->status == 200);
        httplib::MultipartFormDataItems items = fileItem("bundle", bundle ? bundle->body : std::string(),
                                                         "export.zelvorin", "application/octet-stream");
        items.push_back({"mode", "replace", "", ""});  // a merge of its own export would change nothing
        items.push_back({"password", "lang-genoeg-wachtwoord", "", ""});
        return Probe{v1 + "data/import", std::nullopt, {}, items};
    };
    p["POST api/native/v1/org/delete"] = [=](SeededService& s) {
        const std::string name = s.database().read([](Connection& db) {
            for (const Organization& organization : accounts::organizations(db))
                if (organization.id == demoOrganizationId()) return organization.name;
            return std::string();
        });
        return Probe{v1 + "org/delete", Json{{"confirmationName", name}}};
    };
    return p;
}

TEST(AuditedRoutesTest, EveryRouteThatChangesSomethingLeavesExactlyOneAuditEntry) {
    const std::map<std::string, ProbeFor> known = probes();
    int walked = 0;
    std::vector<Route> routes;
    {
        SeededService service;
        routes = service.router().routes();
    }
    for (const Route& route : routes) {
        if (route.method == HttpMethod::get) continue;
        const std::string name = std::string(methodName(route.method)) + " " + route.pattern.text();
        SCOPED_TRACE(name);
        const auto probe = known.find(name);
        if (probe == known.end()) {
            ADD_FAILURE() << "no request known for " << name
                          << ": add one to probes() and decide how it is audited";
            continue;
        }
        ++walked;
        SeededService service;
        const Probe request = probe->second(service);
        const std::int64_t before = service.lastEntry();
        const std::string token = request.token == "-"    ? ""
                                  : request.token.empty() ? service.owner.accessToken
                                                          : request.token;
        const httplib::Result answer = request.multipart
                                           ? service.upload(request.path, token, *request.multipart)
                                           : service.send(route.method, request.path, token, request.body);
        ASSERT_TRUE(answer) << httplib::to_string(answer.error());
        // A route that changes nothing may be one that refuses (a connection to an outside provider).
        if (route.audit.kind != AuditKind::nothing) {
            EXPECT_LT(answer->status, 300) << answer->body;
        }
        const std::int64_t expected = route.audit.kind == AuditKind::nothing ? 0 : 1;
        EXPECT_EQ(service.entriesAfter(before), expected) << (expected ? "" : route.audit.reason);
        if (route.audit.kind == AuditKind::nothing) {
            EXPECT_FALSE(route.audit.reason.empty());
        }
    }
    EXPECT_GT(walked, 70);
}

TEST(AuditedRoutesTest, TheLogIsPagedNewestFirstForAdminsOnly) {
    SeededService service;
    const std::string owner = service.owner.accessToken;
    for (const char* email : {"een@voorbeeld.nl", "twee@voorbeeld.nl"})
        invite(service, email);
    const auto page = [&](const std::string& query, const std::string& token) {
        return service.send(HttpMethod::get, "/api/native/v1/audit-log" + query, token, std::nullopt);
    };
    const Json first = answerOf(page("?limit=1&offset=0", owner));
    ASSERT_EQ(first["entries"].size(), 1u);
    EXPECT_TRUE(first["hasMore"].get<bool>());
    const Json& newest = first["entries"][0];
    EXPECT_EQ(newest["action"], "members.invite");
    EXPECT_EQ(newest["entityType"], "memberInvite");
    EXPECT_EQ(newest["userId"], demoOwnerUserId());
    EXPECT_TRUE(newest.contains("userName") && newest.contains("userEmail"));
    const Json second = answerOf(page("?limit=1&offset=1", owner));
    EXPECT_EQ(second["entries"][0]["action"], "members.invite");
    EXPECT_NE(second["entries"][0]["entityId"], newest["entityId"]);

    // The seed's entries are there too; past the end, an empty last page.
    const Json all = answerOf(page("?limit=200&offset=0", owner));
    const Json beyond = answerOf(page("?limit=200&offset=1000000", owner));
    EXPECT_GT(all["entries"].size(), 2u);
    EXPECT_TRUE(beyond["entries"].empty());
    EXPECT_FALSE(beyond["hasMore"].get<bool>());

    for (const char* bad : {"?limit=0", "?limit=201", "?limit=abc", "?offset=-1"}) {
        const httplib::Result refused = page(bad, owner);
        ASSERT_TRUE(refused);
        EXPECT_EQ(refused->status, 400) << bad;
    }
    EXPECT_EQ(page("", service.member.accessToken)->status, 403);
}

}  // namespace
}  // namespace zelvorin::service
