#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvorin {

// What became of one file taken in.
struct UploadOutcome {
    enum class Kind {
        onDevice,  // uploaded; the device's reading went with it
        server,    // uploaded; the service reads it
        queued,    // waits in the queue for the next drain
    };
    Kind kind = Kind::queued;
    std::vector<std::string> ids;  // the inbox items the service made (not for queued)

    bool operator==(const UploadOutcome&) const = default;
};

std::string_view rawValue(UploadOutcome::Kind kind);

}  // namespace zelvorin
