#pragma once

#include <string_view>

#include "service/bank/StatementEntry.h"

namespace zelvorin::service {

// Whether the bytes are XML at all (a declaration or an element first, after an optional BOM).
bool looksLikeXml(std::string_view bytes);

// A bank-to-customer statement in ISO 20022 XML (camt.053.001.02 and later versions): every
// booked entry of every statement in the file; an entry of several transactions (a batch) gives
// one entry per transaction. A document of another namespace is ServiceError(unsupportedMediaType);
// XML that is not well-formed, declares a DTD or entities, or lacks an amount or a date is
// ServiceError(badRequest). Entities are never expanded.
ParsedStatement parseCamtStatement(std::string_view bytes);

}  // namespace zelvorin::service
