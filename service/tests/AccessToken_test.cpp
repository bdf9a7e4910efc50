#include <gtest/gtest.h>

#include <string>

#include "service/auth/AccessToken.h"
#include "service/auth/AuthCrypto.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {
namespace {

constexpr std::string_view kSecret = "geheim-voor-de-test";
constexpr std::int64_t kNow = 1'800'000'000;

AccessTokenContent sampleContent() {
    return AccessTokenContent{"apparaat-1", "gebruiker-1", "organisatie-1", "sessie-1", kNow, kNow + 900};
}

int refusalStatus(const std::string& token, std::int64_t now = kNow) {
    try {
        verifyAccessToken(token, kSecret, now);
    } catch (const ServiceError& error) {
        EXPECT_FALSE(std::string(error.what()).empty());
        return error.httpStatus();
    }
    return 200;
}

TEST(Base64UrlTest, RoundTripsEveryTailLengthAndRefusesForeignText) {
    for (const std::string& bytes : {std::string(""), std::string("a"), std::string("ab"), std::string("abc"),
                                     std::string("\xff\xfe\x00\x01", 4)}) {
        const std::string text = base64UrlEncode(bytes);
        EXPECT_EQ(text.find_first_of("+/="), std::string::npos);
        EXPECT_EQ(base64UrlDecode(text), bytes);
    }
    EXPECT_EQ(base64UrlEncode("\xfb\xff"), "-_8");
    EXPECT_FALSE(base64UrlDecode("ab=c"));
    EXPECT_FALSE(base64UrlDecode("a+b/"));
    EXPECT_FALSE(base64UrlDecode("abcde"));  // five characters cannot end on a byte
    EXPECT_FALSE(base64UrlDecode("YR"));     // "YQ" is "a"; "YR" has stray low bits
}

TEST(Base64UrlTest, TheSignInChallengeIsTheS256OfTheVerifierAndHasOneShape) {
    // The published example pair of the S256 method.
    EXPECT_EQ(s256Challenge("dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"),
              "E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM");
    EXPECT_TRUE(isS256Challenge("E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM"));
    EXPECT_FALSE(isS256Challenge("E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-c"));    // 42 characters
    EXPECT_FALSE(isS256Challenge("E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cMA"));  // 44
    EXPECT_FALSE(isS256Challenge("E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw+cM"));   // not base64url
    EXPECT_FALSE(isS256Challenge("E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cN"));   // stray low bits
}

TEST(AccessTokenTest, VerifiesWhatItSignedUntilTheExpirySecond) {
    const std::string token = signAccessToken(sampleContent(), kSecret);
    const AccessTokenContent read = verifyAccessToken(token, kSecret, kNow + 899);
    EXPECT_EQ(read.deviceId, "apparaat-1");
    EXPECT_EQ(read.userId, "gebruiker-1");
    EXPECT_EQ(read.organizationId, "organisatie-1");
    EXPECT_EQ(read.sessionId, "sessie-1");
    EXPECT_EQ(read.expiresAt, kNow + 900);
    EXPECT_EQ(base64UrlDecode(token.substr(0, token.find('.'))), R"({"alg":"HS256","typ":"JWT"})");
    EXPECT_EQ(refusalStatus(token, kNow + 900), 401);
}

TEST(AccessTokenTest, RefusesTamperedForeignAndMalformedTokens) {
    const std::string token = signAccessToken(sampleContent(), kSecret);
    const std::size_t firstDot = token.find('.');
    const std::size_t secondDot = token.find('.', firstDot + 1);

    AccessTokenContent otherOrganization = sampleContent();
    otherOrganization.organizationId = "organisatie-2";
    const std::string forged = signAccessToken(otherOrganization, kSecret);
    // The payload of another token under this token's signature.
    const std::string swapped = token.substr(0, firstDot + 1) +
                                forged.substr(firstDot + 1, forged.rfind('.') - firstDot - 1) +
                                token.substr(secondDot);
    EXPECT_EQ(refusalStatus(swapped), 401);
    EXPECT_EQ(refusalStatus(signAccessToken(sampleContent(), "ander-geheim")), 401);

    std::string flipped = token;
    flipped.back() = flipped.back() == 'A' ? 'B' : 'A';
    EXPECT_EQ(refusalStatus(flipped), 401);

    for (const std::string& malformed :
         {std::string(""), std::string("abc"), std::string("a.b"), token + ".extra", std::string(".."),
          token.substr(0, secondDot) + ".***"}) {
        EXPECT_EQ(refusalStatus(malformed), 401) << malformed;
    }

    // Correctly signed, but a claim is missing or of the wrong type.
    const std::string header = base64UrlEncode(R"({"alg":"HS256","typ":"JWT"})");
    for (const std::string& payload :
         {std::string(R"({"did":"a","sub":"b","org":"c","sid":"d","iat":1})"),
          std::string(R"({"did":1,"sub":"b","org":"c","sid":"d","iat":1,"exp":9e9})"), std::string("[]"),
          std::string("geen json")}) {
        const std::string input = header + "." + base64UrlEncode(payload);
        EXPECT_EQ(refusalStatus(input + "." + base64UrlEncode(hmacSha256(kSecret, input))), 401) << payload;
    }
}

}  // namespace
}  // namespace zelvorin::service
