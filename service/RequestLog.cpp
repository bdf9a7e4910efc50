#include "service/RequestLog.h"

#include <httplib.h>

#include "service/JsonResponses.h"

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

void addRequestLogRoutes(httplib::Server& server, RequestLog& log) {
    server.Get("/admin/requests", guarded([&log](const httplib::Request&, httplib::Response& response) {
                   nlohmann::ordered_json counts = nlohmann::ordered_json::object();
                   for (const auto& [path, count] : log.counts())
                       counts[path] = count;
                   sendJson(response, 200, {{"requests", std::move(counts)}});
               }));
    server.Post("/admin/requests/reset",
                guarded([&log](const httplib::Request&, httplib::Response& response) {
                    log.reset();
                    sendJson(response, 200, {{"requests", nlohmann::ordered_json::object()}});
                }));
}

}  // namespace zelvorin::service
