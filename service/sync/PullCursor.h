#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zelvorin::service {

// A pull cursor: the organisation it was handed out for and the last change sequence it covers.
// Clients only store and return it; the organisation inside lets the service refuse a cursor that
// a device kept from before it switched organisations.
struct PullCursor {
    std::string organizationId;
    std::int64_t sequence = 0;

    std::string encode() const;
    // Nothing for text that is no cursor of this service.
    static std::optional<PullCursor> decode(const std::string& text);
};

}  // namespace zelvorin::service
