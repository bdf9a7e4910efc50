#pragma once

#include "sync/SyncError.h"

namespace zelvorin {

// A cycle received `pageLimit` pages that all said another page follows: the server's cursor is
// most likely not moving, so the cycle gives up instead of pulling for ever.
class PullPageLimitExceededError : public SyncError {
public:
    explicit PullPageLimitExceededError(int pageLimit);

    int pageLimit() const { return pageLimit_; }

private:
    int pageLimit_;
};

}  // namespace zelvorin
