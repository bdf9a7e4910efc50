#pragma once

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "api-client/CurlHandles.h"

namespace zelvorin {

// Header names compare without regard to case, as HTTP says.
struct CaseInsensitiveLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
using HttpHeaderMap = std::map<std::string, std::string, CaseInsensitiveLess>;

struct HttpRequest {
    std::string method = "GET";
    std::string url;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    std::chrono::milliseconds timeout{60'000};
};

struct HttpResponse {
    int status = 0;
    HttpHeaderMap headers;
    std::string body;

    std::optional<std::string> header(const std::string& name) const;
};

// One libcurl session for the whole client: easy handles are kept in a pool after use, so the
// connections they hold are reused by later requests. Safe to call from several threads.
// Connection failures throw TransportError; any HTTP answer, whatever its status, is returned.
class HttpSession {
public:
    explicit HttpSession(std::string userAgent);
    ~HttpSession();
    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

    HttpResponse send(const HttpRequest& request);

private:
    CurlEasyHandle takeHandle();
    void returnHandle(CurlEasyHandle handle);

    std::string userAgent_;
    std::mutex mutex_;
    std::vector<CurlEasyHandle> idle_;
};

}  // namespace zelvorin
