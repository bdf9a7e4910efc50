#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "api-client/HandoffAuthenticator.h"
#include "api-client/HttpSession.h"
#include "persistence/Executor.h"

namespace zelvorin::ui {

// The desktop's side of the browser hand-off: it opens the sign-in page in the default browser and
// waits (on the session's worker) for the "zelvorin:" link the browser comes back with, which the
// scheme handler delivers. `automatic` walks the local service's development page itself instead
// (scripts/run), so the same flow completes without a person.
//
//   idle --present()--> waiting --deliver(url)--> idle (returns url)
//                          └──cancel() or 10 minutes──> idle (HandoffError cancelled)
class DesktopBrowserHandoff final : public BrowserHandoff {
public:
    DesktopBrowserHandoff(std::shared_ptr<Executor> mainExecutor, std::shared_ptr<HttpSession> session,
                          bool automatic);

    std::string present(const std::string& handoffURL) override;
    // True when a hand-off was waiting for this link and takes it.
    bool deliver(const std::string& callbackURL);
    void cancel();

private:
    std::shared_ptr<Executor> mainExecutor_;
    std::shared_ptr<HttpSession> session_;
    bool automatic_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    bool waiting_ = false;
    bool cancelled_ = false;
    std::optional<std::string> callback_;
};

}  // namespace zelvorin::ui
