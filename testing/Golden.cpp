#include "testing/Golden.h"

#include <cstdlib>
#include <cstring>

#include "testing/Shell.h"
#include "testing/TempDir.h"

namespace zelvorin::testing {

bool updatingGoldenFiles() {
    const char* update = std::getenv("ZELVORIN_UPDATE_GOLDEN");
    return update != nullptr && std::strcmp(update, "1") == 0;
}

std::string goldenMismatch(const std::filesystem::path& golden, const std::string& actual) {
    std::filesystem::path actualFile = golden;
    actualFile += ".actual";
    if (updatingGoldenFiles()) {
        writeFile(golden, actual);
        std::filesystem::remove(actualFile);
        return "";
    }
    if (!std::filesystem::exists(golden)) {
        writeFile(actualFile, actual);
        return "No golden file " + golden.string() + "; the output is in " + actualFile.string() +
               " (ZELVORIN_UPDATE_GOLDEN=1 writes it).";
    }
    if (readFile(golden) == actual) {
        std::filesystem::remove(actualFile);
        return "";
    }
    writeFile(actualFile, actual);
    return "Output differs from " + golden.string() + " (ZELVORIN_UPDATE_GOLDEN=1 accepts it):\n" +
           runCommand("diff -u '" + golden.string() + "' '" + actualFile.string() + "'");
}

}  // namespace zelvorin::testing
