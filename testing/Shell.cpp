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

}  // namespace zelvorin::testing
