#pragma once

#include <string>

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace zelvorin::service {

// Answers `bytes` with an entity tag (a digest of the bytes): 304 without a body when the
// request's If-None-Match holds that tag (or "*"), else 200 with the bytes.
void sendConditional(const httplib::Request& request, httplib::Response& response, std::string bytes,
                     const std::string& contentType);

}  // namespace zelvorin::service
