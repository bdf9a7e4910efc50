#pragma once

#include <functional>
#include <future>
#include <mutex>
#include <optional>

namespace zelvorin {

// At most one token refresh in flight. A caller that finds one running waits for it and shares its
// outcome (success or the same exception); otherwise it runs the refresh itself. So any number of
// requests answered 401 at the same moment cause a single refresh call.
class TokenRefreshCoordinator {
public:
    void refresh(const std::function<void()>& run);

private:
    std::mutex mutex_;
    std::optional<std::shared_future<void>> inFlight_;
};

}  // namespace zelvorin
