#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "layout/InvoiceContent.h"
#include "layout/InvoiceLayoutConfig.h"

namespace zelvorin {

// One invoice (or quotation) to lay out: the template's design plus what to print.
struct InvoiceDocument {
    std::string locale = "nl-NL";
    std::string currency = "EUR";
    std::optional<std::string> dateFormat;  // "en-us", "en-gb", "iso" or absent
    InvoiceLayoutConfig layout;
    InvoiceContent content;
};

// JSON text to and from the document and its layout. Decoding throws LayoutError naming the first
// missing or mistyped field; unknown keys are ignored.
InvoiceDocument decodeInvoiceDocument(std::string_view json);
std::string encodeInvoiceDocument(const InvoiceDocument& document);
InvoiceLayoutConfig decodeInvoiceLayoutConfig(std::string_view json);
std::string encodeInvoiceLayoutConfig(const InvoiceLayoutConfig& layout);

}  // namespace zelvorin
