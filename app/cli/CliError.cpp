#include "app/cli/CliError.h"

#include <ostream>

#include <nlohmann/json.hpp>

#include "app/cli/ExitCodes.h"

namespace zelvorin::cli {
namespace {

struct Failure {
    std::string message;
    ExitCode code;
};

Failure classify() {
    try {
        throw;
    } catch (const CliError& error) {
        return {withDetail(messageFormat(error.kind()), error.detail()), exitCode(error.kind())};
    } catch (...) {
        const ClassifiedError error = classifyCurrentException();
        return {errorMessage(error), exitCode(error.kind)};
    }
}

}  // namespace

CliError::CliError(Kind kind, const std::string& detail)
    : std::runtime_error(withDetail(messageFormat(kind), detail)), kind_(kind), detail_(detail) {}

int reportFailure(std::ostream& err, bool json) {
    const Failure failure = classify();
    const int code = static_cast<int>(failure.code);
    if (json) {
        nlohmann::ordered_json body;
        body["error"] = failure.message;
        body["exitCode"] = code;
        err << body.dump() << '\n';
    } else {
        err << "zelvorin-cli: " << failure.message << '\n';
    }
    return code;
}

}  // namespace zelvorin::cli
