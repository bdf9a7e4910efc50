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

// The largest answer read: a year's data export or a scanned document is far below it; a server
// (or whatever answers in its name) that sends more gets a transport error, not the device's memory.
inline constexpr std::size_t kMaxResponseBytes = 64 * 1024 * 1024;

// True for an http(s) URL that may carry a token: https anywhere, plain http to this machine only
// (127.0.0.1, ::1, localhost: the local service), where nothing crosses a network in the clear.
bool isSafeServiceURL(const std::string& url);

// One libcurl session for the whole client: easy handles are kept in a pool after use, so the
// connections they hold are reused by later requests. Safe to call from several threads.
// Connection failures throw TransportError; any HTTP answer, whatever its status, is returned.
// A URL that isSafeServiceURL refuses, or an answer past kMaxResponseBytes, throws TransportError
// (other) before or instead of anything being sent or kept.
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
