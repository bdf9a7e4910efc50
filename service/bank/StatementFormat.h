#pragma once

#include <string_view>

#include "service/bank/StatementEntry.h"

namespace zelvorin::service {

// Reads a statement file of any format this service knows, recognised by its content (the file's
// name says nothing): CAMT.053 XML, MT940 or a bank's CSV export. Nothing is written; a file that
// is none of them is ServiceError(unsupportedMediaType), one that is empty, too large or broken
// ServiceError(badRequest), each with a Dutch text.
ParsedStatement readStatement(std::string_view bytes);

}  // namespace zelvorin::service
