#include "app/AuthLog.h"

#include <spdlog/sinks/stdout_color_sinks.h>
#include <spdlog/spdlog.h>

namespace zelvorin {

spdlog::logger& authLog() {
    static const std::shared_ptr<spdlog::logger> logger = [] {
        if (auto existing = spdlog::get("auth")) return existing;
        return spdlog::stderr_color_mt("auth");
    }();
    return *logger;
}

}  // namespace zelvorin
