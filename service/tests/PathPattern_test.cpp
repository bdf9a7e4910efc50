#include "service/http/PathPattern.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace zelvorin::service {
namespace {

TEST(PathPatternTest, ParametersTakeOneSegmentAndLiteralsMustMatchExactly) {
    const PathPattern revoke("api/native/v1/members/{userId}/sessions/{sessionId}/revoke");
    EXPECT_EQ(revoke.match("/api/native/v1/members/u-1/sessions/s 2/revoke"),
              (PathParameters{{"userId", "u-1"}, {"sessionId", "s 2"}}));
    EXPECT_FALSE(revoke.match("/api/native/v1/members/u-1/sessions//revoke"));
    EXPECT_FALSE(revoke.match("/api/native/v1/members/u-1/sessions/s/revoke/extra"));
    EXPECT_FALSE(revoke.match("/api/native/v1/members/u-1/sessions/s"));
    EXPECT_FALSE(revoke.match("/api/native/v1/members/u/1/sessions/s/revoke"));
    EXPECT_EQ(revoke.literalCount(), 6);
    EXPECT_EQ(revoke.example("x"), "api/native/v1/members/x/sessions/x/revoke");

    const PathPattern health("healthz");
    EXPECT_EQ(health.match("/healthz"), PathParameters{});
    EXPECT_FALSE(health.match("/healthz/"));
    EXPECT_FALSE(health.match("/"));
}

TEST(PathPatternTest, ARestParameterTakesTheRestWithItsSlashes) {
    const PathPattern uploads("api/uploads/{key*}");
    EXPECT_EQ(uploads.match("/api/uploads/kvitra/abc/bon.pdf"),
              (PathParameters{{"key", "kvitra/abc/bon.pdf"}}));
    EXPECT_FALSE(uploads.match("/api/uploads/"));
    EXPECT_FALSE(uploads.match("/api/uploads"));
}

TEST(PathPatternTest, MalformedPatternsAreRefusedWhenTheTableIsBuilt) {
    for (const char* bad : {"", "/api/x", "api//x", "api/{}", "api/{id", "api/{rest*}/more"})
        EXPECT_THROW(PathPattern{bad}, std::invalid_argument) << bad;
}

}  // namespace
}  // namespace zelvorin::service
