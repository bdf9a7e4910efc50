#include "layout/DefaultLayout.h"

#include <cstdio>
#include <cstdlib>

#include "layout/InvoiceDocument.h"
#include "layout/LayoutError.h"

namespace zelvorin {

namespace detail {
extern const char kDefaultLayoutJson[];
}

std::string_view defaultLayoutJson() {
    return detail::kDefaultLayoutJson;
}

const InvoiceLayoutConfig& defaultLayout() {
    static const InvoiceLayoutConfig layout = [] {
        try {
            return decodeInvoiceLayoutConfig(defaultLayoutJson());
        } catch (const LayoutError&) {
            // The file ships with the program: failing to read it is a build defect, not a user error.
            std::fputs("InvoicePreviewBuilder: built-in defaultLayout JSON is malformed\n", stderr);
            std::abort();
        }
    }();
    return layout;
}

}  // namespace zelvorin
