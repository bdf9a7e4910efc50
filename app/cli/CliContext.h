#pragma once

#include <iosfwd>
#include <memory>

#include "api-client/HttpSession.h"
#include "api-client/SyncAPIClient.h"
#include "api-client/TokenStore.h"
#include "app/AppEnvironment.h"
#include "app/AppVersion.h"

namespace zelvorin::cli {

// What every command gets: the streams and, created on first use, the application environment.
class CliContext {
public:
    CliContext(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    std::ostream& out() { return out_; }
    std::ostream& err() { return err_; }
    AppEnvironment& environment();
    // The environment's token store, session and client.
    std::shared_ptr<TokenStore> tokenStore();
    std::shared_ptr<HttpSession> httpSession();
    SyncAPIClient apiClient();
    // The stored pair of a session this device may resume; a configuration error telling how to
    // sign in when there is none.
    TokenPair requireSignedIn();

    bool json = false;  // --json: machine-readable output

private:
    std::ostream& out_;
    std::ostream& err_;
    std::unique_ptr<AppEnvironment> environment_;
};

}  // namespace zelvorin::cli
