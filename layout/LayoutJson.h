#pragma once

#include <nlohmann/json.hpp>

#include "layout/InvoiceDocument.h"

namespace zelvorin {

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
