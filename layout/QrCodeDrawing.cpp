#include "layout/QrCodeDrawing.h"

#include <qrencode.h>

#include <memory>

#include "layout/LayoutError.h"

namespace zelvorin {

namespace {

struct QrCodeFree {
    void operator()(QRcode* code) const noexcept { QRcode_free(code); }
};
using QrCodeHandle = std::unique_ptr<QRcode, QrCodeFree>;

constexpr int kQuietModules = 4;

}  // namespace

void drawPaymentCode(cairo_t* cr, const PaymentCodeBox& box) {
    // Version 0: the smallest that holds the text. Byte mode keeps UTF-8 names as they are.
    const QrCodeHandle code(QRcode_encodeString8bit(box.text.c_str(), 0, QR_ECLEVEL_M));
    if (!code) throw LayoutError(LayoutError::Kind::outputFailed, "De betaalcode kon niet worden gemaakt.");
    const int width = code->width;
    const double module = box.size / (width + 2 * kQuietModules);
    cairo_save(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, box.x, box.y, box.size, box.size);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);
    // Modules side by side in one path, filled once: no hairline seams between them.
    for (int row = 0; row < width; ++row) {
        for (int column = 0; column < width; ++column) {
            if ((code->data[row * width + column] & 1) == 0) continue;
            cairo_rectangle(cr, box.x + (column + kQuietModules) * module,
                            box.y + (row + kQuietModules) * module, module, module);
        }
    }
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_fill(cr);
    cairo_restore(cr);
}

}  // namespace zelvorin
