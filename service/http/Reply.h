#pragma once

#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "service/http/ServiceError.h"

namespace zelvorin::service {

using Json = nlohmann::ordered_json;

// What a route answers: status, body, content type and any extra headers. Routes return one; the
// router writes it out, so no route touches the HTTP library's response.
struct Reply {
    int status = 200;
    std::string body;
    std::string contentType;
    std::vector<std::pair<std::string, std::string>> headers;

    static Reply json(const Json& body, int status = 200);
    // A JSON body the route assembled as text itself (a pull page).
    static Reply jsonText(std::string text);
    static Reply content(std::string bytes, std::string contentType);
    static Reply redirect(const std::string& location);
    // {"error": "<message>"} with the kind's status: the one shape of every error answer.
    static Reply error(ErrorKind kind, const std::string& message);

    Reply& withHeader(std::string name, std::string value) {
        headers.emplace_back(std::move(name), std::move(value));
        return *this;
    }
};

}  // namespace zelvorin::service
