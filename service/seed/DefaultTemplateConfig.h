#pragma once

#include <string_view>

namespace zelvorin::service {

// The built-in default invoice layout, as JSON text: the `config` of the seeded invoice template.
// Compiled in from the layout's own resource file, so the service and the app start from the
// same layout.
std::string_view defaultTemplateConfigJson();

}  // namespace zelvorin::service
