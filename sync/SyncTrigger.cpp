#include "sync/SyncTrigger.h"

namespace zelvorin {

std::string_view caseName(SyncTrigger trigger) {
    switch (trigger) {
        case SyncTrigger::appLaunch:
            return "appLaunch";
        case SyncTrigger::foregroundReturn:
            return "foregroundReturn";
        case SyncTrigger::reconnect:
            return "reconnect";
        case SyncTrigger::manual:
            return "manual";
        case SyncTrigger::afterLogin:
            return "afterLogin";
        case SyncTrigger::background:
            return "background";
        case SyncTrigger::beforeServerAction:
            return "beforeServerAction";
    }
    return "manual";
}

}  // namespace zelvorin
