#pragma once

#include <string_view>

namespace zelvorin::InvoiceDocumentTitle {

// "Factuur" / "Credit factuur" for a language code starting with "nl" in any case, else
// "Invoice" / "Credit note" (an empty code is English).
std::string_view title(bool isCreditNote, std::string_view languageCode);

}  // namespace zelvorin::InvoiceDocumentTitle
