#pragma once

#include <string>

namespace zelvorin::service {

// Text made safe to stand in HTML, also inside a double-quoted attribute.
std::string htmlEscaped(const std::string& text);

}  // namespace zelvorin::service
