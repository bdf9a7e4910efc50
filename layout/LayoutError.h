#pragma once

#include <array>
#include <stdexcept>
#include <string>

namespace zelvorin {

// The one error of the layout module: a document or layout that cannot be decoded, a font file
// that cannot be opened, a PDF or PNG that cannot be written. The layout run itself never throws.
class LayoutError : public std::runtime_error {
public:
    enum class Kind {
        invalidDocument,  // a layout, document or invoice that cannot be decoded
        fontUnavailable,  // a font file that cannot be found, opened or prepared
        outputFailed,     // a PDF or PNG that cannot be made or written
        invalidRequest,   // a page or scale outside the document
    };
    static constexpr std::array allKinds{Kind::invalidDocument, Kind::fontUnavailable, Kind::outputFailed,
                                         Kind::invalidRequest};

    LayoutError(Kind kind, const std::string& message) : std::runtime_error(message), kind_(kind) {}
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

}  // namespace zelvorin
