#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "domain/TimePoint.h"
#include "service/ServiceTunables.h"

namespace zelvorin::service {

struct ServiceOptions {
    int port = 0;  // 0: the system picks a free port
    std::filesystem::path dataDir;
    bool seedDemo = false;
    // The day the demo data is laid out around; the same day always gives the same records.
    std::chrono::year_month_day seedDate{};
    // Records added to the demo organisation on top of the demo, for sync at volume.
    int seedVolume = 0;
    // Seconds an access token is valid; tests shorten it to see expiry.
    std::int64_t accessTokenLifetime = tunables::kDefaultAccessTokenLifetime;
    // Where sent messages are delivered besides the outbox ("smtp://host:port"); none: outbox only.
    std::optional<std::string> smtpUrl;
    // The service's clock stands still at this instant instead of following the system's, and only
    // the admin clock route moves it: every stamp a run writes is then the same from run to run.
    std::optional<TimePoint> fixedNow;
    // The operator's token (read from --admin-token FILE); without it the admin routes are off.
    std::optional<std::string> adminToken;
};

// A command line that cannot be used, or a request for the help text. `exitCode` is what the
// process should end with; the text is printed as it is (to stdout for help, stderr otherwise).
class CommandLineError : public std::runtime_error {
public:
    CommandLineError(const std::string& text, int exitCode) : std::runtime_error(text), exitCode_(exitCode) {}
    int exitCode() const { return exitCode_; }

private:
    int exitCode_;
};

// `arguments` excludes the program name. `today` is the default seed date (UTC).
ServiceOptions parseCommandLine(const std::vector<std::string>& arguments, std::chrono::year_month_day today);

}  // namespace zelvorin::service
