#pragma once

#include <stdexcept>
#include <string>

namespace zelvorin {

// The one error of the layout module: a document or layout that cannot be decoded, a font file
// that cannot be opened, a PDF or PNG that cannot be written. The layout run itself never throws.
class LayoutError : public std::runtime_error {
public:
    explicit LayoutError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace zelvorin
