#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "layout/FontSet.h"
#include "layout/LaidOutDocument.h"

namespace zelvorin {

// One page drawn into memory: 32 bits per pixel, native-endian xRGB with the top byte unused
// (the layout of cairo's RGB24 and of QImage::Format_RGB32), rows `stride` bytes apart.
struct PageImage {
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<unsigned char> pixels;
};

struct PdfOptions {
    // Written as the file's creation date, so the same document gives the same bytes. Callers
    // usually pass the invoice date ("2024-03-01T00:00:00Z").
    std::string creationDate = "2000-01-01T00:00:00Z";
    std::optional<std::string> title;
};

// Draws laid-out pages with cairo: PDF with the fonts embedded as subsets (text stays selectable),
// or one page as PNG. Uses the same FontSet as the layout run, so glyphs advance as measured.
// Throws LayoutError when the output cannot be produced.
class DocumentRenderer {
public:
    explicit DocumentRenderer(const FontSet& fonts) : fonts_(fonts) {}

    std::string pdf(const LaidOutDocument& document, const PdfOptions& options = {}) const;
    void writePdf(const LaidOutDocument& document, const std::filesystem::path& path,
                  const PdfOptions& options = {}) const;
    // scale 1 draws a point as a pixel; 0.5 gives a half-size thumbnail.
    std::string png(const LaidOutDocument& document, std::size_t pageIndex, double scale) const;
    // The same drawing without the PNG encoding, for a screen that shows it at once.
    PageImage image(const LaidOutDocument& document, std::size_t pageIndex, double scale) const;

private:
    void drawPage(cairo_t* cr, const LaidOutPage& page, const std::optional<std::string>& background) const;
    void drawBlock(cairo_t* cr, const LaidOutBlockBase& block) const;
    void drawRun(cairo_t* cr, const TextRun& run, const std::optional<std::string>& decoration) const;
    void drawTable(cairo_t* cr, const LaidOutBlockBase& block) const;
    void drawImage(cairo_t* cr, const LaidOutBlockBase& block) const;
    void drawText(cairo_t* cr, const FontRequest& font, double size, double x, double baseline,
                  const std::string& text, double letterSpacingEm) const;

    const FontSet& fonts_;
};

}  // namespace zelvorin
