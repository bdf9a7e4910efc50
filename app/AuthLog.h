#pragma once

#include <spdlog/logger.h>

namespace zelvorin {

// The log of signing in and out (category "auth").
spdlog::logger& authLog();

}  // namespace zelvorin
