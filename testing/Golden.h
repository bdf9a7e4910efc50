#pragma once

#include <filesystem>
#include <string>

namespace zelvorin::testing {

// Compares `actual` with the committed golden file `golden`. Returns "" when they are the same;
// otherwise writes `actual` beside it as `<golden>.actual` and returns what differs (diff -u of
// the two), naming both files. With ZELVORIN_UPDATE_GOLDEN=1 in the environment it writes
// `actual` over the golden file instead and returns "" (a missing golden file is written the same
// way, and reported, without the switch).
std::string goldenMismatch(const std::filesystem::path& golden, const std::string& actual);

// True when ZELVORIN_UPDATE_GOLDEN=1: the tests rewrite their golden files.
bool updatingGoldenFiles();

}  // namespace zelvorin::testing
