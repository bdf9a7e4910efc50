#pragma once

#include <string>

#include "intelligence/ExtractedInvoiceData.h"

namespace zelvorin {

// Turns recognised text into invoice fields. Blocking; safe to call from several threads at once.
class InvoiceStructurer {
public:
    virtual ~InvoiceStructurer() = default;
    // Whether structuring can run now (a model server that does not answer makes this false).
    virtual bool isAvailable() const = 0;
    // Name and version of what does the structuring, e.g. "zelvorin-rules/2"; stored with every
    // reading so the server can tell readings of different structurers apart.
    virtual std::string modelVersion() const = 0;
    // Throws ExtractionError (modelUnavailable, unreadableDocument) or the structurer's own
    // transport error.
    virtual ExtractedInvoiceData structure(const std::string& ocrText) const = 0;
};

}  // namespace zelvorin
