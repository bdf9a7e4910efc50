#pragma once

#include <array>
#include <stdexcept>
#include <string>

namespace zelvorin {

// The errors of a sync exchange that got an answer, as one closed set: each concrete error below
// derives from this and names its kind. (No answer at all is a NetworkError of the transport.)
class SyncError : public std::runtime_error {
public:
    enum class Kind {
        rateLimited,        // SyncRateLimitedError: 429s past the retries
        invalidBody,        // SyncDecodingError: a body or payload of the wrong shape
        pageLimitExceeded,  // PullPageLimitExceededError: the server's cursor does not move
    };
    static constexpr std::array allKinds{Kind::rateLimited, Kind::invalidBody, Kind::pageLimitExceeded};

    Kind kind() const { return kind_; }

protected:
    SyncError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}

private:
    Kind kind_;
};

}  // namespace zelvorin
