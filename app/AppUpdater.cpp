#include "app/AppUpdater.h"

#include <cstdlib>

#include "app/AppVersion.h"
#include "sync/NetworkError.h"

namespace zelvorin {

AppUpdater::AppUpdater(std::optional<std::string> feedURL, std::string currentVersion,
                       std::shared_ptr<HttpSession> session)
    : feedURL_(std::move(feedURL)), currentVersion_(std::move(currentVersion)), session_(std::move(session)) {
    if (feedURL_ && feedURL_->empty()) feedURL_.reset();
}

AppUpdater AppUpdater::fromConfiguration(const UserDefaults& defaults, std::shared_ptr<HttpSession> session) {
    const char* configured = std::getenv("ZELVORIN_APPCAST_URL");
    std::optional<std::string> feed = configured != nullptr && *configured != '\0'
                                          ? std::optional<std::string>(configured)
                                          : defaults.string(kFeedKey);
    return AppUpdater(std::move(feed), kAppVersion, std::move(session));
}

std::optional<AppcastRelease> AppUpdater::checkForUpdates() {
    if (!feedURL_) throw AppcastError("Er is geen updatefeed ingesteld.");
    HttpRequest request;
    request.url = *feedURL_;
    request.timeout = std::chrono::seconds(30);
    HttpResponse response;
    try {
        response = session_->send(request);
    } catch (const NetworkError& error) {
        throw AppcastError(std::string("De updatefeed is niet bereikbaar: ") + error.what());
    }
    if (response.status != 200)
        throw AppcastError("De updatefeed antwoordde met status " + std::to_string(response.status) + ".");
    return newestReleaseAfter(parseAppcast(response.body), currentVersion_);
}

}  // namespace zelvorin
