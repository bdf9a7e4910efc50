#pragma once

#include <string>

namespace zelvorin::testing {

// Runs `command` through the shell and returns what it printed on stdout and stderr; the exit
// status (as pclose gives it) in `status`. For the checks that use real tools (pdftotext, qpdf).
std::string runCommand(const std::string& command, int* status = nullptr);

}  // namespace zelvorin::testing
