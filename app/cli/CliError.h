#pragma once

#include <stdexcept>
#include <string>

namespace zelvorin::cli {

// The CLI's one error type. Every failure that reaches the command line is turned into one of
// these kinds (and so into an exit code and a Dutch message) in exactly one place: reportFailure.
class CliError : public std::runtime_error {
public:
    enum class Kind { usage = 2, configuration = 3, notFound = 4, storage = 5, network = 6, failed = 1 };
    CliError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// Maps the exception in flight to a Dutch message on `err` (or a JSON object when `json`) and
// returns the process exit code.
int reportFailure(std::ostream& err, bool json);

}  // namespace zelvorin::cli
