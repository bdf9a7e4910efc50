#pragma once

#include <string_view>

#include "service/bank/StatementEntry.h"

namespace zelvorin::service {

// Whether the bytes read as a SWIFT MT940 message: a ":20:" field near the start, with or without
// the message's {1:…}{2:…}{4: blocks around it.
bool looksLikeMt940(std::string_view bytes);

// Every :61: statement line with its :86: information, of every statement in the file. Each
// statement must end in its closing balance (:62F: or :62M:) and opening balance plus movements
// must come to it; a file cut short or with a line that cannot be read is
// ServiceError(badRequest) and gives nothing.
ParsedStatement parseMt940Statement(std::string_view bytes);

}  // namespace zelvorin::service
