#include "api-client/HttpSession.h"

#include <curl/curl.h>
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <mutex>
#include <type_traits>

#include "api-client/APIError.h"

namespace zelvorin {

static_assert(std::is_same_v<CURL, void>, "CurlEasyHandle holds the easy handle as void*");

void cleanupEasyHandle(void* curl) noexcept {
    curl_easy_cleanup(curl);
}

void freeHeaderList(curl_slist* headers) noexcept {
    curl_slist_free_all(headers);
}

bool CaseInsensitiveLess::operator()(const std::string& a, const std::string& b) const {
    return ::strcasecmp(a.c_str(), b.c_str()) < 0;
}

std::optional<std::string> HttpResponse::header(const std::string& name) const {
    auto it = headers.find(name);
    if (it == headers.end()) return std::nullopt;
    return it->second;
}

namespace {

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// curl_slist_append returns the grown list, or null when it runs out of memory (the list stays).
void appendHeader(CurlHeaderList& headers, const std::string& line) {
    curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
    if (grown == nullptr) throw std::bad_alloc();
    (void)headers.release();  // `grown` is the same list with one more line
    headers.reset(grown);
}

struct BodySink {
    std::string& body;
    bool overflowed = false;
};

// Returning less than was offered makes libcurl stop with CURLE_WRITE_ERROR.
std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* target) {
    auto* sink = static_cast<BodySink*>(target);
    if (sink->body.size() + size * count > kMaxResponseBytes) {
        sink->overflowed = true;
        return 0;
    }
    sink->body.append(data, size * count);
    return size * count;
}

using CurlUrlHandle = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;

// A part of `url` as libcurl reads it (the same reading the request will get), lower-cased.
std::optional<std::string> urlPart(const CurlUrlHandle& url, CURLUPart part) {
    char* text = nullptr;
    if (curl_url_get(url.get(), part, &text, 0) != CURLUE_OK || text == nullptr) return std::nullopt;
    std::string value(text);
    curl_free(text);
    for (char& c : value)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return value;
}

std::size_t collectHeader(char* data, std::size_t size, std::size_t count, void* target) {
    std::string_view line(data, size * count);
    auto* headers = static_cast<HttpHeaderMap*>(target);
    if (line.starts_with("HTTP/")) {
        headers->clear();  // a new response starts (after a redirect or a 100 Continue)
    } else if (auto colon = line.find(':'); colon != std::string_view::npos) {
        std::string_view value = line.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
            value.remove_prefix(1);
        while (!value.empty() && (value.back() == '\r' || value.back() == '\n' || value.back() == ' ')) {
            value.remove_suffix(1);
        }
        (*headers)[std::string(line.substr(0, colon))] = std::string(value);
    }
    return size * count;
}

TransportError transportError(CURLcode code, const char* detail) {
    std::string description =
        std::string(curl_easy_strerror(code)) + (detail[0] ? std::string(": ") + detail : "");
    switch (code) {
        case CURLE_COULDNT_CONNECT:
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
            return TransportError(TransportError::Kind::notConnected, description);
        case CURLE_OPERATION_TIMEDOUT:
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
        case CURLE_GOT_NOTHING:
        case CURLE_PARTIAL_FILE:
            return TransportError(TransportError::Kind::connectionLost, description);
        default:
            return TransportError(TransportError::Kind::other, description);
    }
}

}  // namespace

bool isSafeServiceURL(const std::string& url) {
    const CurlUrlHandle parsed(curl_url(), curl_url_cleanup);
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return false;
    const std::optional<std::string> scheme = urlPart(parsed, CURLUPART_SCHEME);
    const std::optional<std::string> host = urlPart(parsed, CURLUPART_HOST);
    if (scheme == "https") return true;
    return scheme == "http" && (host == "127.0.0.1" || host == "localhost" || host == "[::1]");
}

HttpSession::HttpSession(std::string userAgent) : userAgent_(std::move(userAgent)) {
    initialiseCurlOnce();
}

HttpSession::~HttpSession() = default;

CurlEasyHandle HttpSession::takeHandle() {
    std::unique_lock lock(mutex_);
    if (idle_.empty()) {
        lock.unlock();
        CurlEasyHandle made(curl_easy_init());
        if (!made) throw std::bad_alloc();
        return made;
    }
    CurlEasyHandle handle = std::move(idle_.back());
    idle_.pop_back();
    return handle;
}

void HttpSession::returnHandle(CurlEasyHandle handle) {
    std::lock_guard lock(mutex_);
    idle_.push_back(std::move(handle));
}

HttpResponse HttpSession::send(const HttpRequest& request) {
    if (!isSafeServiceURL(request.url))
        throw TransportError(TransportError::Kind::other, "Onveilige verbinding geweigerd: " + request.url +
                                                              " (alleen https, of http naar deze computer).");
    CurlEasyHandle handle = takeHandle();
    CURL* curl = handle.get();
    curl_easy_reset(curl);  // keeps the connection cache, drops the previous request's options

    HttpResponse response;
    CurlHeaderList headers;
    for (const auto& [name, value] : request.headers)
        appendHeader(headers, name + ": " + value);
    appendHeader(headers, "Expect:");  // no 100-continue round trip on larger bodies
    char errorBuffer[CURL_ERROR_SIZE] = {0};

    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, userAgent_.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(request.timeout.count()));
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, 30'000L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // gzip only: a service answering a 500-change pull page with brotli at its default quality
    // spends ~0.7 s compressing it, gzip ~5 ms, for about the same size on the wire.
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
    BodySink sink{response.body};
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, collectHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &response.headers);
    if (request.method == "GET") {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
    } else {
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, request.method.c_str());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, request.body.data());
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    }

    CURLcode code = curl_easy_perform(curl);
    if (code != CURLE_OK) {
        // The handle may hold a broken connection; let it go rather than pool it.
        if (sink.overflowed)
            throw TransportError(TransportError::Kind::other,
                                 "Het antwoord van de server is groter dan " +
                                     std::to_string(kMaxResponseBytes / (1024 * 1024)) + " MB.");
        throw transportError(code, errorBuffer);
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    response.status = static_cast<int>(status);
    returnHandle(std::move(handle));
    return response;
}

}  // namespace zelvorin
