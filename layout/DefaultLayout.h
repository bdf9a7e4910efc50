#pragma once

#include <string_view>

#include "layout/InvoiceLayoutConfig.h"

namespace zelvorin {

// The layout used for an invoice without a template. The JSON is compiled into the library from
// layout/resources/default_layout.json, the same file the service seeds its templates with.
std::string_view defaultLayoutJson();
const InvoiceLayoutConfig& defaultLayout();

}  // namespace zelvorin
