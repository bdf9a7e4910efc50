#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "intelligence/OCRHandles.h"

namespace zelvorin {

// The first page of an uploaded document, ready for recognition: the text layer of a PDF that
// has one, otherwise an image with the resolution to read it at. The format is told by the
// leading bytes, never by a file name; images and renderings are bounded in pixels, so a small
// file that claims a huge page cannot exhaust memory.
struct PageImage {
    std::optional<std::string> textLayer;
    PixHandle image;  // empty when there is a text layer
    int dpi = 0;
    int pages = 1;  // of the whole document
};

// Throws ExtractionError::unreadableDocument for anything that is not a readable PDF, JPEG or PNG
// (a locked or empty PDF, a truncated photo, a page too large to render).
PageImage loadFirstPage(std::string_view document);

// A PNG of the first page in colour, its longer side `longestEdge` pixels at most (a small image is
// not enlarged): the preview beside an inbox item. Throws as loadFirstPage does.
std::string firstPageThumbnail(std::string_view document, int longestEdge);

}  // namespace zelvorin
