#pragma once

#include <spdlog/logger.h>

namespace zelvorin {

// The log of the sync subsystem (category "sync"): cycles that fail, rate-limit waits, a pull
// cursor that belongs to another organisation.
spdlog::logger& syncLog();

}  // namespace zelvorin
