#pragma once

#include "domain/UniqueHandle.h"

struct curl_slist;

namespace zelvorin {

// Owners of libcurl's handles, declared without <curl/curl.h> so that only the transport sees
// libcurl. An easy handle is `void` underneath (curl.h: typedef void CURL).
void cleanupEasyHandle(void* curl) noexcept;        // curl_easy_cleanup
void freeHeaderList(curl_slist* headers) noexcept;  // curl_slist_free_all

using CurlEasyHandle = UniqueHandle<void*, cleanupEasyHandle>;
using CurlHeaderList = UniqueHandle<curl_slist*, freeHeaderList>;

}  // namespace zelvorin
