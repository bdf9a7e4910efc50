#pragma once

#include <string>

namespace zelvorin {

// The side-car "<file>.meta.json" that another application leaves beside a file it shares into
// the queue folder: a JSON object of five strings.
struct ShareMeta {
    std::string filename;
    std::string mimeType;
    std::string source;
    std::string idempotencyKey;  // one shared file is queued once, however often it is imported
    std::string createdAt;

    static constexpr const char* kSuffix = ".meta.json";

    // Throws std::invalid_argument (Dutch) for text that is not such an object.
    static ShareMeta parse(const std::string& text);
};

}  // namespace zelvorin
