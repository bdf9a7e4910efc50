#include "testing/Shell.h"

#include <array>
#include <cstdio>

namespace zelvorin::testing {

std::string runCommand(const std::string& command, int* status) {
    std::string out;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        if (status) *status = -1;
        return out;
    }
    std::array<char, 4096> buffer{};
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
        out.append(buffer.data(), n);
    const int rc = ::pclose(pipe);
    if (status) *status = rc;
    return out;
}

long pagePixels(const std::string& pdf, int dpi, bool (*match)(int red, int green, int blue)) {
    // Without an output name pdftoppm writes a binary PPM to stdout: "P6\n<w> <h>\n255\n", then RGB.
    const std::string ppm = runCommand("pdftoppm -r " + std::to_string(dpi) + " -f 1 -l 1 '" + pdf + "'");
    const std::size_t header = ppm.find("\n255\n");
    if (!ppm.starts_with("P6") || header == std::string::npos) return -1;
    long count = 0;
    for (std::size_t at = header + 5; at + 2 < ppm.size(); at += 3) {
        if (match(static_cast<unsigned char>(ppm[at]), static_cast<unsigned char>(ppm[at + 1]),
                  static_cast<unsigned char>(ppm[at + 2])))
            ++count;
    }
    return count;
}

}  // namespace zelvorin::testing
