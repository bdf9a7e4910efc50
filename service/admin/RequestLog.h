#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace zelvorin::service {

// How often each path was asked for since the start or the last reset, so tests can count calls
// (one refresh for two concurrent 401s). Shown by GET /admin/requests, emptied by
// POST /admin/requests/reset; neither counts itself.
class RequestLog {
public:
    void record(const std::string& path);
    std::map<std::string, std::int64_t> counts() const;
    void reset();

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::int64_t> counts_;
};

}  // namespace zelvorin::service
