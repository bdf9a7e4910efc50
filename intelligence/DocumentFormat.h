#pragma once

#include <string_view>

namespace zelvorin {

enum class DocumentFormat { pdf, jpeg, png, unknown };

// Decided by the leading bytes only; the file name is never trusted.
DocumentFormat detectDocumentFormat(std::string_view bytes);

}  // namespace zelvorin
