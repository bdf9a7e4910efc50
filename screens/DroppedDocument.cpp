#include "screens/DroppedDocument.h"

#include <string_view>

#include "screens/InputError.h"

namespace zelvorin {

DroppedDocument droppedDocument(const std::string& fileName, std::string bytes) {
    const std::string_view head(bytes.data(), std::min<std::size_t>(bytes.size(), 8));
    std::string type;
    if (head.starts_with("%PDF-"))
        type = "application/pdf";
    else if (head.starts_with("\xFF\xD8\xFF"))
        type = "image/jpeg";
    else if (head.starts_with("\x89PNG\r\n\x1A\n"))
        type = "image/png";
    if (type.empty())
        throw InputError(InputError::Kind::invalidValue,
                         "'" + fileName + "' is geen document. Sleep een PDF, JPG of PNG naar het venster.");
    return {fileName, type, std::move(bytes)};
}

}  // namespace zelvorin
