#pragma once

#include <memory>
#include <optional>
#include <string>

#include "api-client/HttpSession.h"
#include "app/Appcast.h"
#include "app/UserDefaults.h"

namespace zelvorin {

// Checks an update feed for a newer version than this build. The feed's address is
// configuration: ZELVORIN_APPCAST_URL, else the user default "updateFeedURL"; without one the
// updater cannot check. Installing is left to the distribution's packages: the updater only
// tells the user that a newer version exists and where it is.
class AppUpdater {
public:
    static constexpr const char* kFeedKey = "updateFeedURL";

    AppUpdater(std::optional<std::string> feedURL, std::string currentVersion,
               std::shared_ptr<HttpSession> session);
    // The feed of this installation's configuration, for this build's version.
    static AppUpdater fromConfiguration(const UserDefaults& defaults, std::shared_ptr<HttpSession> session);

    bool canCheckForUpdates() const { return feedURL_.has_value(); }
    // The newest release after ours, or nothing when we are current. Throws AppcastError (Dutch)
    // for a feed that cannot be fetched or read.
    std::optional<AppcastRelease> checkForUpdates();

private:
    std::optional<std::string> feedURL_;
    std::string currentVersion_;
    std::shared_ptr<HttpSession> session_;
};

}  // namespace zelvorin
