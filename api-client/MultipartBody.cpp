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

}  // namespace

MultipartBody::MultipartBody(std::string_view boundaryPrefix)
    : boundary_(std::string(boundaryPrefix) + upperCased(randomUuid())) {}

MultipartBody MultipartBody::withBoundary(std::string boundary) {
    return MultipartBody(FixedBoundary{}, std::move(boundary));
}

MultipartBody& MultipartBody::field(std::string_view name, std::string_view value) {
    parts_ += "--" + boundary_ + "\r\n";
    parts_ += "Content-Disposition: form-data; name=\"" + std::string(name) + "\"\r\n\r\n";
    parts_ += value;
    parts_ += "\r\n";
    return *this;
}

MultipartBody& MultipartBody::file(std::string_view name, std::string_view fileName,
                                   std::string_view contentType, std::string_view bytes) {
    parts_ += "--" + boundary_ + "\r\n";
    parts_ += "Content-Disposition: form-data; name=\"" + std::string(name) + "\"; filename=\"" +
              std::string(fileName) + "\"\r\n";
    parts_ += "Content-Type: " + std::string(contentType) + "\r\n\r\n";
    parts_ += bytes;
    parts_ += "\r\n";
    return *this;
}

std::string MultipartBody::finish() const {
    return parts_ + "--" + boundary_ + "--\r\n";
}

}  // namespace zelvorin
