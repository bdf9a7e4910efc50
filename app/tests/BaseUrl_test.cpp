#include "app/BaseUrl.h"

#include <gtest/gtest.h>

namespace zelvorin {
namespace {

TEST(BaseUrlTest, AcceptsHttpAndHttpsAndAlwaysEndsInASlash) {
    EXPECT_EQ(BaseUrl::parse("http://127.0.0.1:8080")->text(), "http://127.0.0.1:8080/");
    EXPECT_EQ(BaseUrl::parse("https://app.example.nl/base/")->text(), "https://app.example.nl/base/");
    EXPECT_EQ(BaseUrl::parse("https://app.example.nl/base")->resolve("api/sync/pull"),
              "https://app.example.nl/base/api/sync/pull");
    EXPECT_EQ(BaseUrl::parse("http://[::1]:9000/")->resolve("/healthz"), "http://[::1]:9000/healthz");
}

TEST(BaseUrlTest, RejectsWhatCannotBeAServiceAddress) {
    for (const char* bad :
         {"", "127.0.0.1:8080", "ftp://host/", "http://", "http:///path", "http://host:99999/",
          "http://host:/", "http://ho st/", "https://host/?q=1", "http://host:12a/"}) {
        EXPECT_FALSE(BaseUrl::parse(bad).has_value()) << bad;
    }
}

}  // namespace
}  // namespace zelvorin
