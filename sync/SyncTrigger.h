#pragma once

#include <string_view>

namespace zelvorin {

// Why a sync cycle was raised. The case name is what the failure log prints.
enum class SyncTrigger {
    appLaunch,
    foregroundReturn,
    reconnect,
    manual,
    afterLogin,
    background,
    beforeServerAction,
};

std::string_view caseName(SyncTrigger trigger);

}  // namespace zelvorin
