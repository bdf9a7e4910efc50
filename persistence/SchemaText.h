#pragma once

namespace zelvorin {

// The schema description (see SchemaText.cpp for its grammar).
extern const char* const kSchemaText;

}  // namespace zelvorin
