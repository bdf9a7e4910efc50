#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/AppEnvironment.h"
#include "testing/ServiceProcess.h"
#include "testing/ServiceSignIn.h"
#include "testing/TempDir.h"

// The platform's edges for an environment under test: a network that never changes, an owner who
// answers as told, a desktop that records what it was asked to show.
namespace zelvorin::testing {

class QuietPathMonitor final : public NetworkPathMonitor {
public:
    void start(std::function<void(bool)>) override {}
    void cancel() override {}
};

class ScriptedOwner final : public OwnerAuthenticator {
public:
    bool answer = true;
    int prompts = 0;
    std::string methodName() const override { return "toegangscode"; }
    bool authenticate(const std::string&, const AskSecret& askSecret) override {
        ++prompts;
        return askSecret("Wachtwoord: ").has_value() && answer;
    }
};

class RecordingDesktop final : public DesktopShell {
public:
    std::mutex mutex;
    std::vector<std::int64_t> badges;
    std::vector<DesktopNotification> shown;
    void setBadgeCount(std::int64_t count) override {
        std::lock_guard lock(mutex);
        badges.push_back(count);
    }
    void showNotification(const DesktopNotification& notification) override {
        std::lock_guard lock(mutex);
        shown.push_back(notification);
    }
};

struct Collected {
    std::shared_ptr<std::vector<std::string>> lines = std::make_shared<std::vector<std::string>>();
    AppEnvironment::Diagnostic sink() const {
        return [lines = lines](const std::string& line) { lines->push_back(line); };
    }
    bool mentions(const std::string& text) const {
        for (const auto& line : *lines)
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
};

inline AppEnvironment::Platform quietPlatform(std::shared_ptr<DesktopShell> desktop = nullptr) {
    AppEnvironment::Platform platform;
    platform.pathMonitor = std::make_unique<QuietPathMonitor>();
    platform.ownerAuthenticator = std::make_shared<ScriptedOwner>();
    platform.desktop = std::move(desktop);
    return platform;
}

// An environment whose whole device lives under `root`, against `baseUrl`.
inline std::unique_ptr<AppEnvironment> makeEnvironment(const std::filesystem::path& root,
                                                       const std::string& baseUrl,
                                                       const Collected& diagnostics = {},
                                                       std::shared_ptr<DesktopShell> desktop = nullptr) {
    return std::make_unique<AppEnvironment>(*BaseUrl::parse(baseUrl), AppPaths::under(root),
                                            diagnostics.sink(), quietPlatform(std::move(desktop)));
}

// The callback the service's browser page sends this environment back with, for a sign-in the
// environment opens now.
inline std::string callbackFor(const ServiceProcess& service, AppEnvironment& environment,
                               const std::optional<std::string>& email = std::nullopt) {
    return completeHandoffPage(service, environment.beginHandoff(), email).location;
}

// Every file and folder under `root`, relative, sorted.
inline std::vector<std::string> filesUnder(const std::filesystem::path& root) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
        names.push_back(std::filesystem::relative(entry.path(), root).string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace zelvorin::testing
