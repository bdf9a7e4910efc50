#include "layout/DocumentRenderer.h"
#include "layout/QrCodeDrawing.h"

#include <cairo-pdf.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

#include "layout/ImageSource.h"
#include "layout/LayoutError.h"
#include "layout/SvgImage.h"

namespace zelvorin {

namespace {

struct Rgba {
    double r = 0, g = 0, b = 0, a = 1;
};

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "#RGB", "#RRGGBB" or "#RRGGBBAA"; nullopt for anything else.
std::optional<Rgba> parseColor(const std::optional<std::string>& text) {
    if (!text || text->empty() || (*text)[0] != '#') return std::nullopt;
    std::string hex = text->substr(1);
    if (hex.size() == 3) hex = {hex[0], hex[0], hex[1], hex[1], hex[2], hex[2]};
    if (hex.size() != 6 && hex.size() != 8) return std::nullopt;
    double channels[4] = {0, 0, 0, 1};
    for (std::size_t i = 0; i < hex.size() / 2; ++i) {
        int hi = hexDigit(hex[2 * i]), lo = hexDigit(hex[2 * i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        channels[i] = (hi * 16 + lo) / 255.0;
    }
    return Rgba{channels[0], channels[1], channels[2], channels[3]};
}

void setColor(cairo_t* cr, const std::optional<std::string>& text, Rgba fallback = {}) {
    Rgba c = parseColor(text).value_or(fallback);
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

void fillRect(cairo_t* cr, const std::optional<std::string>& color, double x, double y, double w, double h) {
    if (!parseColor(color) || !(w > 0 && h > 0)) return;
    setColor(cr, color);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

void strokeLine(cairo_t* cr, const std::optional<std::string>& color, double weight, double x0, double y,
                double x1) {
    if (!(weight > 0)) return;
    setColor(cr, color, Rgba{0.89, 0.9, 0.92, 1});
    cairo_set_line_width(cr, weight);
    cairo_move_to(cr, x0, y);
    cairo_line_to(cr, x1, y);
    cairo_stroke(cr);
}

cairo_status_t appendToString(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    if (lines.empty()) lines.emplace_back();
    return lines;
}

}  // namespace

void DocumentRenderer::drawText(cairo_t* cr, const FontRequest& font, double size, double x, double baseline,
                                const std::string& text, double letterSpacingEm) const {
    if (text.empty() || !(size > 0)) return;
    const FontFace& face = fonts_.face(font);
    std::vector<ShapedGlyph> shaped = face.shape(text);
    std::vector<cairo_glyph_t> glyphs;
    glyphs.reserve(shaped.size());
    double pen = x;
    for (const ShapedGlyph& g : shaped) {
        glyphs.push_back({g.glyphId, pen + g.xOffset * size, baseline - g.yOffset * size});
        pen += g.xAdvance * size + letterSpacingEm * size;
    }
    cairo_set_font_face(cr, face.cairoFace());
    cairo_set_font_size(cr, size);
    // Clusters tell the PDF which text each glyph stands for, so copying and searching find the
    // original characters even where the font substituted a ligature.
    std::vector<cairo_text_cluster_t> clusters;
    bool forward = true;
    for (std::size_t i = 0; i < shaped.size();) {
        std::size_t j = i;
        while (j < shaped.size() && shaped[j].cluster == shaped[i].cluster)
            ++j;
        std::size_t end = j < shaped.size() ? shaped[j].cluster : text.size();
        if (end < shaped[i].cluster) {
            forward = false;
            break;
        }
        clusters.push_back({static_cast<int>(end - shaped[i].cluster), static_cast<int>(j - i)});
        i = j;
    }
    if (forward && !shaped.empty() && shaped.front().cluster == 0) {
        cairo_show_text_glyphs(cr, text.data(), static_cast<int>(text.size()), glyphs.data(),
                               static_cast<int>(glyphs.size()), clusters.data(),
                               static_cast<int>(clusters.size()), cairo_text_cluster_flags_t{});
    } else {
        cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
    }
}

void DocumentRenderer::drawRun(cairo_t* cr, const TextRun& run,
                               const std::optional<std::string>& decoration) const {
    FontRequest font{run.fontFamily, run.fontWeight.value_or(400), run.fontStyle.value_or("normal")};
    const FontFace& face = fonts_.face(font);
    double lineHeight = run.lineHeight > 0 ? run.lineHeight : run.fontSize * 1.2;
    double glyphHeight = (face.ascentPerPoint() + face.descentPerPoint()) * run.fontSize;
    double baseline = run.y + (lineHeight - glyphHeight) / 2 + face.ascentPerPoint() * run.fontSize;
    setColor(cr, run.color);
    drawText(cr, font, run.fontSize, run.x, baseline, run.text, run.letterSpacingEm);
    if (decoration && *decoration == "underline") {
        strokeLine(cr, run.color.value_or("#000000"), std::max(0.5, run.fontSize / 16), run.x,
                   baseline + run.fontSize * 0.12, run.x + run.width);
    }
}

void DocumentRenderer::drawTable(cairo_t* cr, const LaidOutBlockBase& block) const {
    for (const LayoutTableRow& row : *block.rows) {
        double top = block.y + row.y;
        fillRect(cr, row.backgroundColor, block.x, top, block.width, row.height);
        FontRequest font{row.fontFamily.value_or(""), row.fontWeight.value_or(400),
                         row.fontStyle.value_or("normal")};
        const FontFace& face = fonts_.face(font);
        double size = row.fontSize.value_or(9);
        double lineHeight = row.lineHeightPt.value_or(size * 1.3);
        double pad = row.cellPaddingPt.value_or(0);
        for (const TableCell& cell : row.cells) {
            std::vector<std::string> lines = splitLines(cell.text);
            double y = top + (row.height - lineHeight * static_cast<double>(lines.size())) / 2;
            for (const std::string& line : lines) {
                double width = face.widthPerPoint(line) * size;
                double x = block.x + cell.x + pad;
                if (cell.alignment == "right") x = block.x + cell.x + cell.width - pad - width;
                if (cell.alignment == "center") x = block.x + cell.x + (cell.width - width) / 2;
                double glyphHeight = (face.ascentPerPoint() + face.descentPerPoint()) * size;
                double baseline = y + (lineHeight - glyphHeight) / 2 + face.ascentPerPoint() * size;
                setColor(cr, row.textColor);
                drawText(cr, font, size, x, baseline, line, 0);
                y += lineHeight;
            }
        }
        if (row.borderBottom && row.borderBottom->style != "none") {
            strokeLine(cr, row.borderBottom->color, row.borderBottom->weight, block.x, top + row.height,
                       block.x + block.width);
        }
    }
}

void DocumentRenderer::drawImage(cairo_t* cr, const LaidOutBlockBase& block) const {
    auto bytes = loadImageBytes(*block.imageUrl);
    if (!bytes) return;
    // Where a picture of the natural size goes in the block, and at what scale.
    const auto place = [&](double naturalW, double naturalH) -> std::optional<std::pair<double, double>> {
        if (!(naturalW > 0 && naturalH > 0)) return std::nullopt;
        double boxW = block.imageMaxWidth.value_or(naturalW), boxH = block.imageMaxHeight.value_or(naturalH);
        double scale = std::min(boxW / naturalW, boxH / naturalH);
        double drawW = naturalW * scale;
        double x = block.x;
        if (block.alignment == "right") x = block.x + block.width - drawW;
        if (block.alignment == "center") x = block.x + (block.width - drawW) / 2;
        return std::pair{x, scale};
    };
    if (looksLikeSvg(*bytes)) {
        // Drawn as vectors: sharp at any zoom, and the PDF keeps no picture of it.
        const std::optional<SvgImage> svg = SvgImage::parse(*bytes);
        if (!svg) return;
        const ImageSize natural = svg->size();
        if (const auto at = place(natural.width, natural.height))
            svg->draw(cr, at->first, block.y, natural.width * at->second, natural.height * at->second);
        return;
    }
    CairoSurface image = decodeImage(*bytes);
    if (!image) return;
    const auto at =
        place(cairo_image_surface_get_width(image.get()), cairo_image_surface_get_height(image.get()));
    if (!at) return;
    cairo_save(cr);
    cairo_translate(cr, at->first, block.y);
    cairo_scale(cr, at->second, at->second);
    cairo_set_source_surface(cr, image.get(), 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
}

void DocumentRenderer::drawBlock(cairo_t* cr, const LaidOutBlockBase& block) const {
    fillRect(cr, block.backgroundColor, block.x, block.y, block.width, block.height);
    if (block.type == BlockType::dividerBlock) {
        strokeLine(cr, block.blockColor, block.height, block.x, block.y + block.height / 2,
                   block.x + block.width);
    }
    if (block.imageUrl) drawImage(cr, block);
    if (block.rows) drawTable(cr, block);
    if (block.contentRuns) {
        for (const TextRun& run : *block.contentRuns)
            drawRun(cr, run, block.textDecoration);
    }
}

void DocumentRenderer::drawPage(cairo_t* cr, const LaidOutPage& page,
                                const std::optional<std::string>& background) const {
    fillRect(cr, background, 0, 0, page.width, page.height);
    for (const auto* zone : {&page.headerZone, &page.footerZone}) {
        if (!*zone) continue;
        fillRect(cr, (*zone)->backgroundColor, 0, (*zone)->y, page.width, (*zone)->height);
        for (const LaidOutBlock& block : (*zone)->subBlocks)
            drawBlock(cr, block);
    }
    for (const LaidOutBlock& block : page.blocks) {
        drawBlock(cr, block);
        if (block.children) {
            for (const auto& child : *block.children)
                drawBlock(cr, child);
        }
    }
    if (page.paymentCode) drawPaymentCode(cr, *page.paymentCode);
}

std::string DocumentRenderer::pdf(const LaidOutDocument& document, const PdfOptions& options) const {
    std::string bytes;
    const LaidOutPage* first = document.pages.empty() ? nullptr : &document.pages.front();
    CairoSurface surface(cairo_pdf_surface_create_for_stream(
        appendToString, &bytes, first ? first->width : 595.28, first ? first->height : 841.89));
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATE_DATE,
                                   options.creationDate.c_str());
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_MOD_DATE, options.creationDate.c_str());
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "Zelvorin");
    if (options.title)
        cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, options.title->c_str());
    CairoContext cr(cairo_create(surface.get()));
    for (const LaidOutPage& page : document.pages) {
        cairo_pdf_surface_set_size(surface.get(), page.width, page.height);
        drawPage(cr.get(), page, document.pageBackgroundColor);
        cairo_show_page(cr.get());
    }
    cr.reset();
    cairo_surface_finish(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        throw LayoutError(LayoutError::Kind::outputFailed,
                          std::string("PDF kon niet worden gemaakt: ") +
                              cairo_status_to_string(cairo_surface_status(surface.get())));
    }
    return bytes;
}

void DocumentRenderer::writePdf(const LaidOutDocument& document, const std::filesystem::path& path,
                                const PdfOptions& options) const {
    std::string bytes = pdf(document, options);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw LayoutError(LayoutError::Kind::outputFailed,
                          "PDF kon niet worden opgeslagen: " + path.string());
}

PageImage DocumentRenderer::image(const LaidOutDocument& document, std::size_t pageIndex,
                                  double scale) const {
    if (pageIndex >= document.pages.size())
        throw LayoutError(LayoutError::Kind::invalidRequest, "Die pagina bestaat niet");
    const LaidOutPage& page = document.pages[pageIndex];
    if (!(scale > 0 && scale <= 8))
        throw LayoutError(LayoutError::Kind::invalidRequest, "Ongeldige schaal voor de afbeelding");
    PageImage image;
    image.width = std::max(1, static_cast<int>(std::ceil(page.width * scale)));
    image.height = std::max(1, static_cast<int>(std::ceil(page.height * scale)));
    image.stride = cairo_format_stride_for_width(CAIRO_FORMAT_RGB24, image.width);
    image.pixels.resize(static_cast<std::size_t>(image.stride) * static_cast<std::size_t>(image.height));
    CairoSurface surface(cairo_image_surface_create_for_data(image.pixels.data(), CAIRO_FORMAT_RGB24,
                                                             image.width, image.height, image.stride));
    CairoContext cr(cairo_create(surface.get()));
    cairo_set_source_rgb(cr.get(), 1, 1, 1);
    cairo_paint(cr.get());
    cairo_scale(cr.get(), scale, scale);
    const CairoFontOptions fontOptions(cairo_font_options_create());
    cairo_font_options_set_hint_metrics(fontOptions.get(), CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_hint_style(fontOptions.get(), CAIRO_HINT_STYLE_NONE);
    cairo_set_font_options(cr.get(), fontOptions.get());
    drawPage(cr.get(), page, document.pageBackgroundColor);
    cr.reset();
    cairo_surface_flush(surface.get());
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        throw LayoutError(LayoutError::Kind::outputFailed, "De pagina kon niet worden getekend");
    return image;
}

std::string DocumentRenderer::png(const LaidOutDocument& document, std::size_t pageIndex,
                                  double scale) const {
    PageImage drawn = image(document, pageIndex, scale);
    CairoSurface surface(cairo_image_surface_create_for_data(drawn.pixels.data(), CAIRO_FORMAT_RGB24,
                                                             drawn.width, drawn.height, drawn.stride));
    std::string bytes;
    if (cairo_surface_write_to_png_stream(surface.get(), appendToString, &bytes) != CAIRO_STATUS_SUCCESS) {
        throw LayoutError(LayoutError::Kind::outputFailed, "PNG kon niet worden gemaakt");
    }
    return bytes;
}

}  // namespace zelvorin
