#pragma once

#include <array>
#include <iosfwd>
#include <stdexcept>
#include <string>

namespace zelvorin::cli {

// The command line's own failures, beside the kinds of the subsystems (screens/ErrorMessages.h).
// `detail` is what the message names: an address, an id, a path.
class CliError : public std::runtime_error {
public:
    enum class Kind {
        invalidBaseUrl,       // ZELVORIN_BASE_URL is not a usable address
        notSignedIn,          // a command that needs the service, on a device without tokens
        unknownOrganisation,  // switch-org to an organisation the user is no member of
        fileNotFound,         // an input file that cannot be opened
        fileNotWritable,      // an output file that cannot be written
        signInNoConnection,   // sign-in could not reach the service; detail: the login screen's text
        signInFailed,         // sign-in refused or failed; detail: the login screen's text
        noOrganisation,       // the account signed in but belongs to no organisation yet
        notAZelvorinLink,     // open-url given a link of another scheme
        switchRefused,        // the service refused the organisation switch
        switchNoConnection,   // the switch could not reach the service
        switchFailed,         // the switch failed otherwise
        noUpdateFeed,         // update-check without a configured feed
        needsConnection,      // an action only the service can do, without a connection; detail: the sheet's
                              // notice
    };
    static constexpr std::array allKinds{
        Kind::invalidBaseUrl,   Kind::notSignedIn,        Kind::unknownOrganisation, Kind::fileNotFound,
        Kind::fileNotWritable,  Kind::signInNoConnection, Kind::signInFailed,        Kind::noOrganisation,
        Kind::notAZelvorinLink, Kind::switchRefused,      Kind::switchNoConnection,  Kind::switchFailed,
        Kind::noUpdateFeed,     Kind::needsConnection};

    CliError(Kind kind, const std::string& detail);
    Kind kind() const { return kind_; }
    const std::string& detail() const { return detail_; }

private:
    Kind kind_;
    std::string detail_;
};

// Maps the exception in flight to its Dutch message on `err` (a JSON object {"error", "exitCode"}
// when `json`) and returns the process exit code. The one place a failure is reported.
int reportFailure(std::ostream& err, bool json);

}  // namespace zelvorin::cli
