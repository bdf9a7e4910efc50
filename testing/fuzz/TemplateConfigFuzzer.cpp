// A template's layout as it arrives from the service (or from another device): any text either
// decodes into a layout that writes itself out and reads back the same, or is refused with a
// LayoutError — never a crash, however deep it nests.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "layout/InvoiceDocument.h"
#include "layout/LayoutError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const std::string encoded =
            zelvorin::encodeInvoiceLayoutConfig(zelvorin::decodeInvoiceLayoutConfig(text));
        if (zelvorin::encodeInvoiceLayoutConfig(zelvorin::decodeInvoiceLayoutConfig(encoded)) != encoded)
            std::abort();
    } catch (const zelvorin::LayoutError&) {
    }
    return 0;
}
