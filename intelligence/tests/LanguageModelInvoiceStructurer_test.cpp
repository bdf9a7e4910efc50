// The language-model structurer against a small local server that answers like an
// OpenAI-compatible model server (the platform edge: no model weights can be installed here).
#include "intelligence/LanguageModelInvoiceStructurer.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <thread>

#include <httplib.h>
#include <nlohmann/json.hpp>

#include "intelligence/ExtractionError.h"

namespace zelvorin {
namespace {

using Json = nlohmann::json;

// Answers GET /v1/models and POST /v1/chat/completions; each chat is recorded and answered by
// `answer` (status and body) from the request's schema name and its messages.
class FakeModelServer {
public:
    struct Reply {
        int status = 200;
        std::string body;
    };
    std::function<Reply(const std::string& schema, const Json& request)> answer;

    FakeModelServer() {
        server_.Get("/v1/models", [](const httplib::Request&, httplib::Response& response) {
            response.set_content(R"({"object":"list","data":[{"id":"lokaal-model","object":"model"}]})",
                                 "application/json");
        });
        server_.Post("/v1/chat/completions",
                     [this](const httplib::Request& request, httplib::Response& response) {
                         const Json body = Json::parse(request.body);
                         const std::string schema = body["response_format"]["json_schema"]["name"];
                         {
                             std::lock_guard lock(mutex_);
                             requests_.push_back(body);
                         }
                         const Reply reply = answer(schema, body);
                         response.status = reply.status;
                         response.set_content(reply.body, "application/json");
                     });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~FakeModelServer() {
        server_.stop();
        thread_.join();
    }

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/v1"; }
    std::vector<Json> requests(const std::string& schema) const {
        std::lock_guard lock(mutex_);
        std::vector<Json> matching;
        for (const Json& request : requests_) {
            if (request["response_format"]["json_schema"]["name"] == schema) matching.push_back(request);
        }
        return matching;
    }

    static Reply content(const Json& answer) {
        return {200, Json{{"choices",
                           {{{"index", 0},
                             {"finish_reason", "stop"},
                             {"message", {{"role", "assistant"}, {"content", answer.dump()}}}}}}}
                         .dump()};
    }
    static Reply contextTooSmall() {
        return {400, R"({"error":{"code":400,"type":"exceed_context_size_error",)"
                     R"("message":"the request exceeds the available context size"}})"};
    }

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    std::vector<Json> requests_;
};

const Json kBaseAnswer{{"isInvoice", true},
                       {"senderCompany", "Drukkerij Brandwijk B.V."},
                       {"senderAddress", nullptr},
                       {"senderCountry", "NL"},
                       {"senderVatNumber", "NL123456789B01"},
                       {"senderKvkNumber", nullptr},
                       {"totalAmount", 121.0},
                       {"currency", "EUR"},
                       {"invoiceDate", "01-05-2024"},
                       {"invoiceNumber", "F-2024-117"}};
const Json kLinesAnswer{
    {"lines", {{{"description", "Flyers A5"}, {"quantity", 2}, {"unitPrice", 50}, {"amount", 100}}}},
    {"vatBreakdown", {{{"rate", 21}, {"amount", 21}}, {{"rate", 250}, {"amount", 3}}}}};

std::string messageOf(const Json& request, int index) {
    return request["messages"][index]["content"];
}

TEST(LanguageModelInvoiceStructurerTest, ThreeQueriesWithTheirTextsAndSchemasMergeIntoOneResult) {
    FakeModelServer server;
    server.answer = [](const std::string& schema, const Json&) {
        if (schema == "GenerableInvoiceBase") return FakeModelServer::content(kBaseAnswer);
        if (schema == "GenerableInvoiceLines") return FakeModelServer::content(kLinesAnswer);
        return FakeModelServer::content({{"totalAmount", 121.005}});
    };
    const LanguageModelInvoiceStructurer structurer(server.url());
    ASSERT_TRUE(structurer.isAvailable());
    EXPECT_EQ(structurer.modelVersion(), "zelvorin-llm/1 (lokaal-model)");

    const ExtractedInvoiceData data = structurer.structure("Drukkerij Brandwijk B.V.\nTotaal € 121,00");
    EXPECT_EQ(data.totalAmountCents, 12101);  // the total query wins, halves away from zero
    EXPECT_EQ(data.senderCompany, "Drukkerij Brandwijk B.V.");
    EXPECT_FALSE(data.senderAddress.has_value());
    EXPECT_EQ(data.invoiceDate, "01-05-2024");
    ASSERT_EQ(data.lines.size(), 1U);
    ASSERT_EQ(data.vatBreakdown.size(), 1U) << "a rate outside 0...100 is dropped";

    const Json base = server.requests("GenerableInvoiceBase").at(0);
    EXPECT_EQ(base["model"], "lokaal-model");
    EXPECT_EQ(
        messageOf(base, 0).rfind("Je bent een assistent die factuurgegevens extraheert uit OCR-tekst van "
                                 "gescande documenten.\nGeef alleen de gevraagde velden terug.",
                                 0),
        0U);
    EXPECT_EQ(
        messageOf(base, 1),
        "Extraheer de basisvelden uit de volgende OCR-tekst:\n\nDrukkerij Brandwijk B.V.\nTotaal € 121,00");
    const Json schema = base["response_format"]["json_schema"]["schema"];
    EXPECT_EQ(schema["required"].size(), 10U);
    EXPECT_EQ(schema["properties"]["senderVatNumber"]["description"],
              "BTW-nummer van de afzender, bv. NL123456789B01 (optioneel)");
    const Json lines =
        server.requests("GenerableInvoiceLines").at(0)["response_format"]["json_schema"]["schema"];
    EXPECT_EQ(lines["properties"]["lines"]["maxItems"], 50);
    EXPECT_EQ(lines["properties"]["vatBreakdown"]["items"]["properties"]["rate"]["maximum"], 100);
    EXPECT_EQ(server.requests("GenerableInvoiceTotal").size(), 1U);
}

TEST(LanguageModelInvoiceStructurerTest, AContextWindowErrorIsRetriedOnceWithTheShortTextsAndACutText) {
    FakeModelServer server;
    server.answer = [](const std::string& schema, const Json& request) {
        const bool shortened = messageOf(request, 1).rfind("Extraheer de basisvelden:", 0) == 0 ||
                               messageOf(request, 1).rfind("Extraheer de factuurregels en BTW:", 0) == 0 ||
                               messageOf(request, 1).rfind("Totaalbedrag in euro's:", 0) == 0;
        if (!shortened) return FakeModelServer::contextTooSmall();
        if (schema == "GenerableInvoiceBase") return FakeModelServer::content(kBaseAnswer);
        if (schema == "GenerableInvoiceLines") return FakeModelServer::content(kLinesAnswer);
        return FakeModelServer::contextTooSmall();  // the total's retry fails too: no total from it
    };
    // 200 000 characters, with "é" written as e + combining accent: one character of three bytes.
    std::string text;
    while (text.size() < 200'000)
        text +=
            "Caf"
            "e\xCC\x81"
            " regel ";
    const ExtractedInvoiceData data = LanguageModelInvoiceStructurer(server.url()).structure(text);
    EXPECT_EQ(data.totalAmountCents, 12100) << "the base total stands in";

    const std::vector<Json> base = server.requests("GenerableInvoiceBase");
    ASSERT_EQ(base.size(), 2U);
    EXPECT_EQ(messageOf(base[1], 0),
              "Je bent een assistent die factuurgegevens extraheert uit OCR-tekst.\n"
              "Geef alleen de gevraagde velden terug. Verzin geen informatie die niet in de tekst staat.\n"
              "senderCompany is de bedrijfsnaam bovenaan het document — bijna altijd aanwezig.\n"
              "totalAmount is het eindtotaal in euro's als decimaal getal.");
    EXPECT_EQ(messageOf(base[1], 1), "Extraheer de basisvelden:\n\n" + firstCharacters(text, 2000));
    EXPECT_EQ(server.requests("GenerableInvoiceLines").size(), 2U);
    const std::vector<Json> total = server.requests("GenerableInvoiceTotal");
    ASSERT_EQ(total.size(), 2U);
    EXPECT_EQ(messageOf(total[1], 1), "Totaalbedrag in euro's:\n\n" + firstCharacters(text, 1500));
}

TEST(LanguageModelInvoiceStructurerTest, FiltersServerErrorsAndAbsentServersMapAsTheTableSays) {
    FakeModelServer server;
    server.answer = [](const std::string& schema, const Json&) {
        if (schema == "GenerableInvoiceBase")
            return FakeModelServer::Reply{
                200, R"({"choices":[{"finish_reason":"content_filter","message":{"content":""}}]})"};
        return FakeModelServer::content(kLinesAnswer);
    };
    try {
        LanguageModelInvoiceStructurer(server.url()).structure("tekst");
        FAIL() << "a filtered answer was accepted";
    } catch (const ExtractionError& error) {
        EXPECT_EQ(error.kind(), ExtractionError::Kind::unreadableDocument);
    }

    server.answer = [](const std::string& schema, const Json&) {
        if (schema == "GenerableInvoiceLines")
            return FakeModelServer::Reply{500, R"({"error":"model crashed"})"};
        return FakeModelServer::content(kBaseAnswer);
    };
    EXPECT_THROW(LanguageModelInvoiceStructurer(server.url()).structure("tekst"), LanguageModelError);

    // A total query that fails never fails the reading.
    server.answer = [](const std::string& schema, const Json&) {
        if (schema == "GenerableInvoiceTotal") return FakeModelServer::Reply{200, "geen json"};
        return FakeModelServer::content(schema == "GenerableInvoiceBase" ? kBaseAnswer : kLinesAnswer);
    };
    EXPECT_EQ(LanguageModelInvoiceStructurer(server.url()).structure("tekst").totalAmountCents, 12100);

    const LanguageModelInvoiceStructurer nobody("http://127.0.0.1:9");
    EXPECT_FALSE(nobody.isAvailable());
    try {
        nobody.structure("tekst");
        FAIL() << "an absent server structured";
    } catch (const ExtractionError& error) {
        EXPECT_EQ(error.kind(), ExtractionError::Kind::modelUnavailable);
    }
}

TEST(LanguageModelInvoiceStructurerTest, CharactersAreCountedAsTheUserSeesThem) {
    EXPECT_EQ(firstCharacters("abc", 2), "ab");
    EXPECT_EQ(firstCharacters("e\xCC\x81"
                              "f",
                              1),
              "e\xCC\x81");  // e + accent
    EXPECT_EQ(firstCharacters("\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB!", 1),
              "\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x92\xBB");  // ZWJ sequence
    EXPECT_EQ(firstCharacters("kort", 10), "kort");
}

}  // namespace
}  // namespace zelvorin
