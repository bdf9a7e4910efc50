#include "intelligence/DocumentFormat.h"

namespace zelvorin {

DocumentFormat detectDocumentFormat(std::string_view bytes) {
    using namespace std::string_view_literals;
    if (bytes.starts_with("%PDF-"sv)) return DocumentFormat::pdf;
    if (bytes.starts_with("\xFF\xD8\xFF"sv)) return DocumentFormat::jpeg;
    if (bytes.starts_with("\x89PNG\r\n\x1A\n"sv)) return DocumentFormat::png;
    return DocumentFormat::unknown;
}

}  // namespace zelvorin
