#pragma once

#include <functional>
#include <string>

#include <httplib.h>
#include <nlohmann/json.hpp>

namespace zelvorin::service {

// Every body the service sends goes through here, so content type and error shape stay uniform.
void sendJson(httplib::Response& response, int status, const nlohmann::ordered_json& body);
// {"error": "<message>"}
void sendError(httplib::Response& response, int status, const std::string& message);

// The Dutch text for an error status that no handler explained itself (unknown path, bad request).
std::string defaultErrorMessage(int status);

// Wraps a route handler so that a ServiceError answers with its own status and text and any other
// exception with 500; nothing escapes into the HTTP library's threads.
httplib::Server::Handler guarded(std::function<void(const httplib::Request&, httplib::Response&)> handler);

}  // namespace zelvorin::service
