#include "service/http/Reply.h"

#include "service/http/ErrorKinds.h"

namespace zelvorin::service {

Reply Reply::json(const Json& body, int status) {
    return Reply{status, body.dump(), "application/json", {}};
}

Reply Reply::jsonText(std::string text) {
    return Reply{200, std::move(text), "application/json", {}};
}

Reply Reply::content(std::string bytes, std::string contentType) {
    return Reply{200, std::move(bytes), std::move(contentType), {}};
}

Reply Reply::redirect(const std::string& location) {
    return Reply{302, "", "text/plain", {{"Location", location}}};
}

Reply Reply::error(ErrorKind kind, const std::string& message) {
    Json body;
    body["error"] = message;
    return json(body, ServiceError(kind, message).httpStatus());
}

}  // namespace zelvorin::service
