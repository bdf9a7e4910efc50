#pragma once

#include <stdexcept>

namespace zelvorin {

// An exchange with the service that never got an answer. Transports throw a subclass; the engine
// only asks whether the device is offline (no connection at all, or one that broke mid-exchange),
// which it reports as "offline" instead of a failure.
class NetworkError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
    virtual bool isOffline() const = 0;
};

}  // namespace zelvorin
