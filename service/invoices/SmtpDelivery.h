#pragma once

#include <string>

namespace zelvorin::service {

// Hands one RFC 5322 message to the SMTP server at `url` ("smtp://host:port"), from `from` to
// `to`. Throws ServiceError(conflict) with a Dutch text naming the server's or the connection's
// refusal; nothing is retried here, so the caller's transaction can take everything back.
void deliverOverSmtp(const std::string& url, const std::string& from, const std::string& to,
                     const std::string& message);

}  // namespace zelvorin::service
