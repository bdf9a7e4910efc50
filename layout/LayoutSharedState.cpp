#include "layout/LayoutSharedState.h"

namespace zelvorin {

std::mutex& layoutSharedMutex() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace zelvorin
