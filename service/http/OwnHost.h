#pragma once

#include <string_view>

namespace zelvorin::service {

// True when a request's Host header names this service: 127.0.0.1 or localhost with the port it
// listens on. Anything else (a missing header, another name, another port) came through a name
// that only points here by accident or by design, and is answered with a refusal.
bool isOwnHost(std::string_view host, int port);

}  // namespace zelvorin::service
