#include "intelligence/ExtractionError.h"

namespace zelvorin {

const char* ExtractionError::what() const noexcept {
    switch (kind_) {
        case Kind::lowConfidence:
            return "lowConfidence";
        case Kind::modelUnavailable:
            return "modelUnavailable";
        case Kind::unreadableDocument:
            return "unreadableDocument";
    }
    return "ExtractionError";
}

}  // namespace zelvorin
