#include "api-client/HandoffCallback.h"

#include <gtest/gtest.h>

namespace zelvorin {
namespace {

constexpr const char* kDevice = "6f1c1d2e-1111-4222-8333-444455556666";

TEST(HandoffCallbackTest, ACodeForThisDeviceIsRedeemable) {
    auto fromQuery =
        HandoffCallback::read(std::string("zelvorin://auth?code=abc%2B1&device_id=") + kDevice, kDevice);
    ASSERT_TRUE(std::holds_alternative<HandoffCallback::Code>(fromQuery));
    EXPECT_EQ(std::get<HandoffCallback::Code>(fromQuery).code, "abc+1");

    auto fromFragment =
        HandoffCallback::read(std::string("zelvorin://auth#code=xyz&device_id=") + kDevice, kDevice);
    ASSERT_TRUE(std::holds_alternative<HandoffCallback::Code>(fromFragment));
    EXPECT_EQ(std::get<HandoffCallback::Code>(fromFragment).code, "xyz");

    // The query wins over the fragment when both name the code.
    auto both = HandoffCallback::read(std::string("ZELVORIN://auth?code=q&device_id=") + kDevice + "#code=f",
                                      kDevice);
    EXPECT_EQ(std::get<HandoffCallback::Code>(both).code, "q");
}

TEST(HandoffCallbackTest, OnboardingHostEndsTheLoginWhateverElseTheUrlCarries) {
    std::string url = std::string("zelvorin://Onboarding?token=t0k&code=abc&device_id=") + kDevice;
    auto outcome = HandoffCallback::read(url, kDevice);
    ASSERT_TRUE(std::holds_alternative<HandoffCallback::Onboarding>(outcome));
    EXPECT_EQ(std::get<HandoffCallback::Onboarding>(outcome).url, url);
    EXPECT_EQ(std::get<HandoffCallback::Onboarding>(outcome).token, "t0k");
}

TEST(HandoffCallbackTest, MissingOrEmptyCodeAndOtherDevicesAreRefused) {
    using Invalid = HandoffCallback::InvalidCallback;
    using Mismatch = HandoffCallback::DeviceMismatch;
    const std::string device = std::string("&device_id=") + kDevice;
    EXPECT_TRUE(
        std::holds_alternative<Invalid>(HandoffCallback::read("zelvorin://auth?code=" + device, kDevice)));
    EXPECT_TRUE(std::holds_alternative<Invalid>(HandoffCallback::read("zelvorin://auth?" + device, kDevice)));
    EXPECT_TRUE(
        std::holds_alternative<Invalid>(HandoffCallback::read("https://auth?code=a" + device, kDevice)));
    EXPECT_TRUE(std::holds_alternative<Invalid>(HandoffCallback::read("", kDevice)));
    EXPECT_TRUE(std::holds_alternative<Mismatch>(HandoffCallback::read("zelvorin://auth?code=a", kDevice)));
    EXPECT_TRUE(std::holds_alternative<Mismatch>(
        HandoffCallback::read("zelvorin://auth?code=a&device_id=someone-else", kDevice)));
}

TEST(HandoffCallbackTest, PercentDecodingLeavesBrokenEscapesAlone) {
    EXPECT_EQ(percentDecode("a%20b%2fc"), "a b/c");
    EXPECT_EQ(percentDecode("100%"), "100%");
    EXPECT_EQ(percentDecode("%zz%4"), "%zz%4");
    auto items = queryItems("a=1&b&=x&a=2");
    EXPECT_EQ(items.count("a"), 2u);
    EXPECT_EQ(items.find("b")->second, "");
}

}  // namespace
}  // namespace zelvorin
