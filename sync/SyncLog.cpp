#include "sync/SyncLog.h"

#include <spdlog/sinks/stdout_color_sinks.h>
#include <spdlog/spdlog.h>

namespace zelvorin {

spdlog::logger& syncLog() {
    static const std::shared_ptr<spdlog::logger> logger = [] {
        if (auto existing = spdlog::get("sync")) return existing;
        return spdlog::stderr_color_mt("sync");
    }();
    return *logger;
}

}  // namespace zelvorin
