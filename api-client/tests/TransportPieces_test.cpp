#include <gtest/gtest.h>

#include "api-client/APIError.h"
#include "api-client/HttpHeaders.h"
#include "api-client/MultipartBody.h"
#include "api-client/TokenStore.h"
#include "api-client/UserAgent.h"

namespace zelvorin {
namespace {

TEST(UserAgentTest, NamesTheAppVersionAndTheKernelRelease) {
    EXPECT_EQ(userAgentString("1.4", "6.1.0-18-amd64"), "Zelvorin/1.4 (Linux 6.1.0)");
    EXPECT_EQ(userAgentString("1.4", "5.10"), "Zelvorin/1.4 (Linux 5.10.0)");
    EXPECT_EQ(userAgentString("", "garbage"), "Zelvorin/0.0 (Linux 0.0.0)");
    EXPECT_EQ(userAgentString("0.1.0").rfind("Zelvorin/0.1.0 (Linux ", 0), 0u);
}

TEST(UserAgentTest, ParsesBrowsersAndSystemsInTheOrderThatTellsThemApart) {
    struct Case {
        std::optional<std::string> agent;
        std::string label;
    };
    const Case cases[] = {
        {"Mozilla/5.0 (Windows NT 10.0) AppleWebKit/537.36 Chrome/120.0 Safari/537.36 Edg/120.0",
         "Edge op Windows"},
        {"Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 Chrome/120.0 Safari/537.36 OPR/106",
         "Opera op Linux"},
        {"Mozilla/5.0 (Linux; Android 14) AppleWebKit/537.36 Chrome/120.0 Mobile Safari/537.36",
         "Chrome op Android"},
        {"Mozilla/5.0 (iPhone; CPU iPhone OS 17_0 like Mac OS X) Version/17.0 Mobile/15E148 Safari/604.1",
         "Safari op iPhone"},
        {userAgentString("1.4", "6.1.0"), "Zelvorin-app op Linux"},
        {"curl/8.4.0", "curl/8.4.0"},
        {"SomeCrawlerBot/2.1 (+https://crawler.example/info-page-about-it)",
         "SomeCrawlerBot/2.1 (+https://crawler.exa"},
        {"   ", "Onbekende browser"},
        {std::nullopt, "Onbekende browser"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UserAgentParser::parse(c.agent).label, c.label) << c.agent.value_or("<none>");
}

TEST(HttpHeadersTest, RetryAfterIsWholeSecondsOrNothing) {
    EXPECT_EQ(parseRetryAfter("30"), 30);
    EXPECT_EQ(parseRetryAfter("+7"), 7);
    EXPECT_EQ(parseRetryAfter("-5"), -5);
    EXPECT_EQ(parseRetryAfter("-9223372036854775808"), INT64_MIN);
    for (std::optional<std::string_view> bad :
         {std::optional<std::string_view>{}, std::optional<std::string_view>{""},
          std::optional<std::string_view>{"-"}, std::optional<std::string_view>{"1.5"},
          std::optional<std::string_view>{" 3"},
          std::optional<std::string_view>{"Wed, 21 Oct 2026 07:28:00 GMT"},
          std::optional<std::string_view>{"99999999999999999999"}}) {
        EXPECT_FALSE(parseRetryAfter(bad).has_value()) << bad.value_or("<absent>");
    }
}

TEST(HttpHeadersTest, ContentDispositionGivesTheQuotedFileName) {
    EXPECT_EQ(contentDispositionFileName("attachment; filename=\"btw-aangifte-Q1-2026.csv\""),
              "btw-aangifte-Q1-2026.csv");
    EXPECT_FALSE(contentDispositionFileName("attachment; filename=plain.csv").has_value());
    EXPECT_FALSE(contentDispositionFileName("attachment; filename=\"unterminated").has_value());
    EXPECT_FALSE(contentDispositionFileName(std::nullopt).has_value());
}

TEST(MultipartBodyTest, PartsAndTheClosingLineUseCrlfThroughout) {
    auto body = MultipartBody::withBoundary("B")
                    .field("source", "upload")
                    .file("file", "bon.jpg", "image/jpeg", std::string("\xff\xd8\x00", 3))
                    .finish();
    const std::string expected =
        std::string(
            "--B\r\nContent-Disposition: form-data; name=\"source\"\r\n\r\nupload\r\n"
            "--B\r\nContent-Disposition: form-data; name=\"file\"; filename=\"bon.jpg\"\r\n"
            "Content-Type: image/jpeg\r\n\r\n") +
        std::string("\xff\xd8\x00", 3) + "\r\n--B--\r\n";
    EXPECT_EQ(body, expected);

    // A file name cannot close its parameter or add a header of its own.
    const std::string hostile =
        MultipartBody::withBoundary("B")
            .file("file", "bon.jpg\"\r\nContent-Type: text/html\r\n\r\n<x>", "image/jpeg", "x")
            .finish();
    EXPECT_NE(hostile.find("filename=\"bon.jpgContent-Type: text/html<x>\"\r\n"), std::string::npos)
        << hostile;
    EXPECT_EQ(hostile.find("\r\nContent-Type: text/html"), std::string::npos);

    MultipartBody random("ZelvorinBoundary-");
    EXPECT_EQ(random.boundary().rfind("ZelvorinBoundary-", 0), 0u);
    EXPECT_EQ(random.boundary().size(), std::string("ZelvorinBoundary-").size() + 36);
    EXPECT_EQ(random.boundary().find_first_of("abcdef", 17), std::string::npos) << "UUID part is upper-case";
    EXPECT_EQ(random.contentType(), "multipart/form-data; boundary=" + random.boundary());
}

TEST(TokenTest, DeviceClaimComesFromTheMiddlePart) {
    // {"did":"dev-1","sub":"u"} in base64url without padding
    EXPECT_EQ(deviceClaim("h.eyJkaWQiOiJkZXYtMSIsInN1YiI6InUifQ.s"), "dev-1");
    EXPECT_FALSE(deviceClaim("eyJkaWQiOiJkZXYtMSJ9").has_value());        // one part
    EXPECT_FALSE(deviceClaim("a.eyJkaWQiOiJkZXYtMSJ9.b.c").has_value());  // four parts
    EXPECT_FALSE(deviceClaim("a.!!!.b").has_value());                     // not base64url
    EXPECT_FALSE(deviceClaim("a.bm90IGpzb24.b").has_value());             // "not json"
    EXPECT_FALSE(deviceClaim("a.eyJzdWIiOiJ1In0.b").has_value());         // no "did"
    EXPECT_EQ(base64UrlDecode("SGk-_w=="), std::string("Hi\x3e\xff", 4));
}

TEST(TokenTest, PairsSurviveJsonAndTheInMemoryStore) {
    TokenPair pair{"access", "refresh", 3600};
    EXPECT_EQ(TokenPair::fromJson(nlohmann::json::parse(pair.toJson().dump())), pair);
    EXPECT_FALSE(TokenPair::fromJson(nlohmann::json::parse(R"({"accessToken":"a","refreshToken":"r"})")));
    EXPECT_FALSE(TokenPair::fromJson(
        nlohmann::json::parse(R"({"accessToken":"a","refreshToken":"r","expiresIn":"1"})")));

    InMemoryTokenStore store;
    EXPECT_TRUE(store.clear()) << "clearing an empty store succeeds";
    store.save(pair);
    EXPECT_EQ(store.load(), pair);
    EXPECT_TRUE(store.clear());
    EXPECT_FALSE(store.load());
}

TEST(APIErrorTest, ScreensWordErrorsByOneRule) {
    EXPECT_EQ(APIError(APIError::Conflict{"Factuur is al verzonden."}).userMessage("x"),
              "Factuur is al verzonden.");
    EXPECT_EQ(APIError(APIError::RateLimited{}).userMessage("x"),
              "Te veel verzoeken. Wacht even en probeer opnieuw.");
    EXPECT_EQ(APIError(APIError::Unauthorized{}).userMessage("x"), "Je sessie is verlopen. Log opnieuw in.");
    EXPECT_EQ(APIError(APIError::HttpError{500}).userMessage("Laden is niet gelukt."),
              "Laden is niet gelukt.");
    EXPECT_EQ(APIError(APIError::HttpError{409}), APIError(APIError::HttpError{409}));
    EXPECT_FALSE(APIError(APIError::HttpError{409}) == APIError(APIError::HttpError{500}));
}

}  // namespace
}  // namespace zelvorin
