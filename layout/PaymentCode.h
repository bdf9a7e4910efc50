#pragma once

#include <optional>
#include <string>

#include "layout/InvoiceSource.h"
#include "layout/LaidOutDocument.h"

namespace zelvorin {

// The payment QR code's text for an invoice: the organisation as beneficiary, the open balance,
// the invoice number as remittance. Nothing for a draft (no number), nothing left to pay, or an
// organisation without a name or IBAN.
std::optional<std::string> invoicePaymentCodeText(const InvoiceSource& source);

// Puts the code on the last page, right-aligned with the content, in the lowest free room above the
// footer that touches no block (under the totals and payment text on the usual page);
// on a page of its own after it when the last page has no room left. The pages are laid out
// already: the code never moves what was placed.
void placePaymentCode(LaidOutDocument& document, const std::string& text);

}  // namespace zelvorin
