#include "ui/SingleInstance.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include <nlohmann/json.hpp>

#include "testing/ChildProcess.h"
#include "testing/ServiceProcess.h"
#include "testing/ServiceSignIn.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

template <class Condition>
bool waitUntil(Condition condition, std::chrono::seconds limit = std::chrono::seconds(60)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

std::string deviceIdIn(const std::filesystem::path& root) {
    const auto file = root / "Zelvorin" / "defaults.json";
    if (!std::filesystem::exists(file)) return {};
    const auto defaults = nlohmann::json::parse(testing::readFile(file), nullptr, false);
    return defaults.is_object() ? defaults.value("nl.zelvorin.deviceId", "") : "";
}

// The first desktop process of a device, stopped (SIGTERM, then reaped) however the test ends.
struct DesktopProcess {
    pid_t pid;
    ~DesktopProcess() {
        ::kill(pid, SIGTERM);
        testing::waitForExit(pid);
    }
};

TEST(SingleInstanceTest, ASecondStartHandsItsCallbackToTheRunningAppAndExitsZero) {
    testing::ServiceProcess service(testing::ServiceProcess::demo());
    testing::TempDir root;
    testing::TempDir runtime;
    ::setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);  // socketPathFor reads it as the app does
    const std::vector<std::string> environment{
        "ZELVORIN_DATA_DIR=" + root.path().string(), "ZELVORIN_BASE_URL=" + service.baseUrl(),
        "XDG_RUNTIME_DIR=" + runtime.path().string(), "QT_QPA_PLATFORM=offscreen"};
    const std::string socket = ui::SingleInstance::socketPathFor(root.path()).toStdString();

    // The first process's log, to see what it made of the link it was handed.
    const auto log = root / "first.log";
    DesktopProcess first{testing::startProgram(
        {"/bin/sh", "-c", "exec \"$0\" 2>\"$1\"", ZELVORIN_DESKTOP_BINARY, log.string()}, environment,
        false)};
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(socket); }))
        << "the first process never listened";
    ASSERT_TRUE(waitUntil([&] { return !deviceIdIn(root.path()).empty(); }))
        << "the first process made no device";
    const std::string deviceId = deviceIdIn(root.path());
    ASSERT_FALSE(deviceId.empty());

    // A start without a link only brings the running window forward.
    EXPECT_EQ(testing::waitForExit(testing::startProgram({ZELVORIN_DESKTOP_BINARY}, environment, true)), 0);

    // A callback for this device from a sign-in the running app did not open: it is handed over,
    // and the app that takes it refuses it without signing in (its code is worthless without the
    // verifier of the page that made it).
    const testing::HandoffRedirect redirect = testing::requestHandoff(service, deviceId);
    ASSERT_FALSE(redirect.code.empty()) << redirect.location;
    EXPECT_EQ(testing::waitForExit(
                  testing::startProgram({ZELVORIN_DESKTOP_BINARY, redirect.location}, environment, true)),
              0);
    ASSERT_TRUE(waitUntil([&] {
        return std::filesystem::exists(log) &&
               testing::readFile(log).find("Inloggen mislukt") != std::string::npos;
    })) << "the running app never took the link";
    EXPECT_FALSE(std::filesystem::exists(root / "tokens.json"));
    EXPECT_EQ(::kill(first.pid, 0), 0) << "the first process is still running";
}

TEST(SingleInstanceTest, WithNoInstanceRunningASecondProcessFindsNobodyToHandTo) {
    testing::TempDir runtime;
    ui::SingleInstance nobody((runtime / "zelvorin-test.sock").string().c_str());
    EXPECT_FALSE(nobody.sendToRunning("zelvorin://auth?code=x", 500));
}

}  // namespace
}  // namespace zelvorin
