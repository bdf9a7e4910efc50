#pragma once

#include <string>

#include "sync/SyncError.h"

namespace zelvorin {

// A sync body or payload that does not have the expected shape. `path` names the member from the
// root of the body ("changes[3].serverRevision"), empty for the root itself; what() is
// "<path>: <problem>", or only the problem at the root.
class SyncDecodingError : public SyncError {
public:
    SyncDecodingError(std::string path, std::string problem);

    const std::string& path() const { return path_; }
    const std::string& problem() const { return problem_; }

private:
    std::string path_;
    std::string problem_;
};

}  // namespace zelvorin
