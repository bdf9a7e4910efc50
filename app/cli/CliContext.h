#pragma once

#include <iosfwd>
#include <memory>

#include "api-client/HttpSession.h"
#include "api-client/SyncAPIClient.h"
#include "api-client/TokenStore.h"
#include "app/AppEnvironment.h"

namespace zelvorin::cli {

// What every command gets: the streams and, created on first use, the application environment.
inline constexpr const char* kAppVersion = "1.0";

class CliContext {
public:
    CliContext(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    std::ostream& out() { return out_; }
    std::ostream& err() { return err_; }
    AppEnvironment& environment();
    // The device's token store: a file in the data directory when ZELVORIN_DATA_DIR names one
    // (one device per directory), else the Secret Service with its in-memory fallback.
    std::shared_ptr<TokenStore> tokenStore();
    std::shared_ptr<HttpSession> httpSession();
    SyncAPIClient apiClient();
    // The stored pair; a configuration error telling how to sign in when there is none.
    TokenPair requireSignedIn();

    bool json = false;  // --json: machine-readable output

private:
    std::ostream& out_;
    std::ostream& err_;
    std::unique_ptr<AppEnvironment> environment_;
    std::shared_ptr<TokenStore> tokenStore_;
    std::shared_ptr<HttpSession> httpSession_;
};

}  // namespace zelvorin::cli
