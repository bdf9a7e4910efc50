#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "api-client/HandoffAuthenticator.h"
#include "api-client/HttpSession.h"

namespace zelvorin {

// For a terminal: prints the hand-off URL and reads the "zelvorin://" URL the browser ends on
// from `in` (one line). An empty line or end of input is `cancelled`.
class PrintingBrowserHandoff final : public BrowserHandoff {
public:
    PrintingBrowserHandoff(std::ostream& out, std::istream& in) : out_(out), in_(in) {}
    std::string present(const std::string& handoffURL) override;

private:
    std::ostream& out_;
    std::istream& in_;
};

// Completes the hand-off against a service that signs in without asking (the local service's
// development switch, auto=1): one GET without following redirects, and the redirect's Location
// is the callback. `email` picks the account; the service's first one when empty.
class AutoBrowserHandoff final : public BrowserHandoff {
public:
    AutoBrowserHandoff(std::shared_ptr<HttpSession> session, std::string email = {})
        : session_(std::move(session)), email_(std::move(email)) {}
    std::string present(const std::string& handoffURL) override;

private:
    std::shared_ptr<HttpSession> session_;
    std::string email_;
};

}  // namespace zelvorin
