#include "app/UploadOutcome.h"

namespace zelvorin {

std::string_view rawValue(UploadOutcome::Kind kind) {
    switch (kind) {
        case UploadOutcome::Kind::onDevice:
            return "onDevice";
        case UploadOutcome::Kind::server:
            return "server";
        case UploadOutcome::Kind::queued:
            return "queued";
    }
    return "queued";
}

}  // namespace zelvorin
