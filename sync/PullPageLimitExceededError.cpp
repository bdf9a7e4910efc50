#include "sync/PullPageLimitExceededError.h"

#include <string>

namespace zelvorin {

PullPageLimitExceededError::PullPageLimitExceededError(int pageLimit)
    : SyncError(Kind::pageLimitExceeded,
                "Sync-pull overschreed de pagina-limiet (" + std::to_string(pageLimit) +
                    ") zonder hasMore=false — mogelijk een server-bug (cursor schuift niet op)."),
      pageLimit_(pageLimit) {}

}  // namespace zelvorin
