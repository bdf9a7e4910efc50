#include "service/invoices/SmtpDelivery.h"

#include <algorithm>
#include <cstring>

#include <curl/curl.h>

#include "domain/UniqueHandle.h"
#include "service/ServiceTunables.h"
#include "service/http/ServiceError.h"

namespace zelvorin::service {
namespace {

using CurlEasy = UniqueHandle<CURL*, curl_easy_cleanup>;
using CurlList = UniqueHandle<curl_slist*, curl_slist_free_all>;

struct Upload {
    const std::string& text;
    std::size_t sent = 0;
};

std::size_t readMessage(char* buffer, std::size_t size, std::size_t count, void* user) {
    Upload& upload = *static_cast<Upload*>(user);
    const std::size_t n = std::min(size * count, upload.text.size() - upload.sent);
    std::memcpy(buffer, upload.text.data() + upload.sent, n);
    upload.sent += n;
    return n;
}

}  // namespace

void deliverOverSmtp(const std::string& url, const std::string& from, const std::string& to,
                     const std::string& message) {
    CurlEasy curl(curl_easy_init());
    if (!curl) throw ServiceError(ErrorKind::internal, "De e-mail kon niet worden voorbereid.");
    const std::string sender = "<" + from + ">";
    CurlList recipients(curl_slist_append(nullptr, ("<" + to + ">").c_str()));
    Upload upload{message};
    char error[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_MAIL_FROM, sender.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_MAIL_RCPT, recipients.get());
    curl_easy_setopt(curl.get(), CURLOPT_READFUNCTION, readMessage);
    curl_easy_setopt(curl.get(), CURLOPT_READDATA, &upload);
    curl_easy_setopt(curl.get(), CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl.get(), CURLOPT_CONNECTTIMEOUT, tunables::kSmtpConnectSeconds);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, tunables::kSmtpDeliverySeconds);
    curl_easy_setopt(curl.get(), CURLOPT_NOSIGNAL, 1L);
    const CURLcode result = curl_easy_perform(curl.get());
    if (result != CURLE_OK) {
        const std::string reason = error[0] != '\0' ? error : curl_easy_strerror(result);
        // A 409 like every refusal of an action, so that the device shows the text.
        throw ServiceError(ErrorKind::conflict,
                           "De e-mail kon niet worden afgeleverd (" + reason + "); er is niets verstuurd.");
    }
}

}  // namespace zelvorin::service
