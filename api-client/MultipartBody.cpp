#include "api-client/MultipartBody.h"

#include <algorithm>
#include <cctype>

#include "domain/Uuid.h"

namespace zelvorin {

namespace {

std::string upperCased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// A name or file name inside a quoted header parameter: a quote, a backslash or a line break in
// a file name would end the parameter or start a header of its own, so they are left out (no
// reader agrees on an escape for them; the service takes file names apart the same way).
std::string quoted(std::string_view text) {
    std::string kept;
    for (const char c : text) {
        if (c != '"' && c != '\\' && c != '\r' && c != '\n') kept.push_back(c);
    }
    return kept;
}

}  // namespace

MultipartBody::MultipartBody(std::string_view boundaryPrefix)
    : boundary_(std::string(boundaryPrefix) + upperCased(randomUuid())) {}

MultipartBody MultipartBody::withBoundary(std::string boundary) {
    return MultipartBody(FixedBoundary{}, std::move(boundary));
}

MultipartBody& MultipartBody::field(std::string_view name, std::string_view value) {
    parts_ += "--" + boundary_ + "\r\n";
    parts_ += "Content-Disposition: form-data; name=\"" + quoted(name) + "\"\r\n\r\n";
    parts_ += value;
    parts_ += "\r\n";
    return *this;
}

MultipartBody& MultipartBody::file(std::string_view name, std::string_view fileName,
                                   std::string_view contentType, std::string_view bytes) {
    parts_ += "--" + boundary_ + "\r\n";
    parts_ += "Content-Disposition: form-data; name=\"" + quoted(name) + "\"; filename=\"" +
              quoted(fileName) + "\"\r\n";
    parts_ += "Content-Type: " + quoted(contentType) + "\r\n\r\n";
    parts_ += bytes;
    parts_ += "\r\n";
    return *this;
}

std::string MultipartBody::finish() const {
    return parts_ + "--" + boundary_ + "--\r\n";
}

}  // namespace zelvorin
