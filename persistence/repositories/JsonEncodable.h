#pragma once

#include <optional>
#include <string>

#include "sync/JSONValue.h"

namespace zelvorin {

// Where a JSON document cannot be written as JSON text: a string or key that is not valid UTF-8,
// or a number that is not finite (the JSON library would quietly write those as null). The path
// names the member from the root ("lines[2].description", empty for the root itself) and is
// followed by the problem in Dutch. Nothing when every member can be written.
std::optional<std::string> unencodableMember(const JSONValue& value);

// True when `text` is well-formed UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isValidUtf8(std::string_view text);

}  // namespace zelvorin
