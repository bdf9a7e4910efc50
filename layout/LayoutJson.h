#pragma once

#include <nlohmann/json.hpp>

#include "layout/InvoiceDocument.h"

namespace zelvorin {

// Columns hold blocks that may hold columns again; a designer nests two or three levels. A
// config that nests deeper is refused before its blocks are read, so that a hostile one cannot
// exhaust the stack of anything that walks the blocks (reading, measuring, drawing, writing).
inline constexpr int kMaxBlockNesting = 8;
// The deepest JSON a layout text may have: a document, its layout, a zone, its sub-blocks and
// kMaxBlockNesting levels of columns (a list and a block each), with room to spare.
inline constexpr int kMaxLayoutJsonDepth = 64;

// The JSON form of every input type: keys equal the field names, optional fields are omitted when
// absent. The from-functions throw LayoutError with the path of the offending field.
InvoiceDocument invoiceDocumentFromJson(const nlohmann::json& json);
InvoiceLayoutConfig layoutConfigFromJson(const nlohmann::json& json);
InvoiceContent invoiceContentFromJson(const nlohmann::json& json);
BlockConfig blockConfigFromJson(const nlohmann::json& json);
FontWeight fontWeightFromJson(const nlohmann::json& json);

nlohmann::json toJson(const InvoiceDocument& document);
nlohmann::json toJson(const InvoiceLayoutConfig& layout);
nlohmann::json toJson(const InvoiceContent& content);
nlohmann::json toJson(const BlockConfig& block);

}  // namespace zelvorin
