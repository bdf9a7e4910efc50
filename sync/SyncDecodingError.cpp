#include "sync/SyncDecodingError.h"

namespace zelvorin {

namespace {

std::string describe(const std::string& path, const std::string& problem) {
    return path.empty() ? problem : path + ": " + problem;
}

}  // namespace

SyncDecodingError::SyncDecodingError(std::string path, std::string problem)
    : SyncError(Kind::invalidBody, describe(path, problem)),
      path_(std::move(path)),
      problem_(std::move(problem)) {}

}  // namespace zelvorin
