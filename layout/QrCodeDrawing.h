#pragma once

#include <cairo.h>

#include "layout/LaidOutDocument.h"

namespace zelvorin {

// Draws the box's text as a QR code (byte mode, error correction level M as payment codes ask)
// filling the box: white quiet zone of four modules around black modules. Throws LayoutError when
// the text does not fit a QR code.
void drawPaymentCode(cairo_t* cr, const PaymentCodeBox& box);

}  // namespace zelvorin
