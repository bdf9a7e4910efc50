#include "domain/InvoiceDocumentTitle.h"

namespace zelvorin::InvoiceDocumentTitle {

namespace {

bool isDutch(std::string_view languageCode) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    return languageCode.size() >= 2 && lower(languageCode[0]) == 'n' && lower(languageCode[1]) == 'l';
}

}  // namespace

std::string_view title(bool isCreditNote, std::string_view languageCode) {
    if (isDutch(languageCode)) return isCreditNote ? "Credit factuur" : "Factuur";
    return isCreditNote ? "Credit note" : "Invoice";
}

}  // namespace zelvorin::InvoiceDocumentTitle
