#include "service/http/OwnHost.h"

#include <string>

namespace zelvorin::service {

bool isOwnHost(std::string_view host, int port) {
    if (port <= 0) return false;
    const std::string suffix = ":" + std::to_string(port);
    if (!host.ends_with(suffix)) return false;
    const std::string_view name = host.substr(0, host.size() - suffix.size());
    return name == "127.0.0.1" || name == "localhost";
}

}  // namespace zelvorin::service
