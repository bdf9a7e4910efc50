// Uploaded files: any bytes are either a first page to recognise (a PDF text layer, or an image
// of sane size with a resolution) or refused as unreadable — never a crash in the decoders.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "intelligence/ExtractionError.h"
#include "intelligence/IntelligenceTuning.h"
#include "intelligence/PageImage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        const zelvorin::PageImage page = zelvorin::loadFirstPage(bytes);
        if (page.textLayer) return 0;
        if (!page.image || page.dpi < 1) std::abort();
        const long long pixels =
            static_cast<long long>(pixGetWidth(page.image.get())) * pixGetHeight(page.image.get());
        if (pixels > zelvorin::tuning::maxImagePixels * 4) std::abort();
    } catch (const zelvorin::ExtractionError&) {
    }
    return 0;
}
