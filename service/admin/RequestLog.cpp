#include "service/admin/RequestLog.h"

namespace zelvorin::service {

void RequestLog::record(const std::string& path) {
    if (path.rfind("/admin/requests", 0) == 0) return;
    std::lock_guard lock(mutex_);
    ++counts_[path];
}

std::map<std::string, std::int64_t> RequestLog::counts() const {
    std::lock_guard lock(mutex_);
    return counts_;
}

void RequestLog::reset() {
    std::lock_guard lock(mutex_);
    counts_.clear();
}

}  // namespace zelvorin::service
