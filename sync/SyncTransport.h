#pragma once

#include <optional>
#include <span>
#include <string>

#include "sync/PullResponse.h"
#include "sync/PushRequest.h"
#include "sync/PushResponse.h"
#include "sync/SyncEntityType.h"

namespace zelvorin {

// The service side of sync. Calls block and throw. An implementation throws SyncRateLimitedError
// for a 429 answer (with the whole seconds of Retry-After when the header came), repeats a pull
// that was refused with 403 on a cursor once without the cursor (that cursor belongs to another
// organisation), and passes every other error on unchanged, so the engine can tell a lost
// connection from a failure.
class SyncTransport {
public:
    virtual ~SyncTransport();

    virtual PushResponse push(const PushRequest& request) = 0;
    virtual PullResponse pull(const std::optional<std::string>& cursor, int limit,
                              std::span<const SyncEntityType> entityTypes) = 0;
    // The organisation the transport's credentials act for, when it can tell; the engine pushes
    // nothing into another organisation than the one the local data belongs to.
    virtual std::optional<std::string> organizationId() { return std::nullopt; }
};

}  // namespace zelvorin
