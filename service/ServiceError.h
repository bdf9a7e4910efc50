#pragma once

#include <stdexcept>
#include <string>

namespace zelvorin::service {

// The one error of the service. It carries the HTTP status it is answered with; its text is
// Dutch, because it ends up in the app's conflict messages as it is.
class ServiceError : public std::runtime_error {
public:
    ServiceError(int httpStatus, const std::string& message)
        : std::runtime_error(message), httpStatus_(httpStatus) {}

    int httpStatus() const { return httpStatus_; }

private:
    int httpStatus_;
};

}  // namespace zelvorin::service
