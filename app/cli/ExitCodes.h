#pragma once

#include <string_view>

#include "app/cli/CliError.h"
#include "screens/ErrorMessages.h"

namespace zelvorin::cli {

// The exit codes of zelvorin-cli. A missing record is 4 in every command.
enum class ExitCode {
    success = 0,
    failed = 1,         // the service, the layout or the reading refused or failed
    usage = 2,          // what was typed does not fit
    configuration = 3,  // not signed in, a bad address, an expired session
    notFound = 4,       // no such record, organisation or file
    storage = 5,        // the local database or a file could not be written
    network = 6,        // the service or the model server cannot be reached
};

// The command line's half of the table: the exit code of every kind, and the message of its own.
ExitCode exitCode(const ErrorKind& kind);
ExitCode exitCode(CliError::Kind kind);
std::string_view messageFormat(CliError::Kind kind);

}  // namespace zelvorin::cli
