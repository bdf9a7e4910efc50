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

// Completes the hand-off against the local service's sign-in page as a person in the browser
// would: reads the page's list of accounts, follows the link of the account with `email` (the
// first one when empty) without following the redirect, and returns its Location as the callback.
// A service that signs in without showing the page (a redirect at once) is followed the same way.
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
