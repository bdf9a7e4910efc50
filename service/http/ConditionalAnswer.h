#pragma once

#include <string>

#include "service/http/Reply.h"
#include "service/http/RequestContext.h"

namespace zelvorin::service {

// Answers `bytes` with an entity tag (a digest of the bytes): 304 without a body when the
// request's If-None-Match holds that tag (or "*"), else 200 with the bytes.
Reply conditionalReply(const RequestContext& context, std::string bytes, const std::string& contentType);

}  // namespace zelvorin::service
