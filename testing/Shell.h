#pragma once

#include <string>

namespace zelvorin::testing {

// Runs `command` through the shell and returns what it printed on stdout and stderr; the exit
// status (as pclose gives it) in `status`. For the checks that use real tools (pdftotext, qpdf).
std::string runCommand(const std::string& command, int* status = nullptr);

// How many pixels of page 1 of `pdf`, drawn by poppler's pdftoppm at `dpi`, have a colour that
// `match` accepts (red, green, blue, 0-255); -1 when the page could not be drawn.
long pagePixels(const std::string& pdf, int dpi, bool (*match)(int red, int green, int blue));

}  // namespace zelvorin::testing
