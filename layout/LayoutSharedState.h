#pragma once

#include <mutex>

namespace zelvorin {

// The one lock of the layout module. Layout runs share nothing but the text-width cache, the
// one-time registration of the layout's own face and the installed-font lookup; all three go
// through this mutex.
std::mutex& layoutSharedMutex();

}  // namespace zelvorin
