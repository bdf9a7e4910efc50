#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "layout/FontHandles.h"

namespace zelvorin {

struct ShapedGlyph {
    std::uint32_t glyphId = 0;
    std::uint32_t cluster = 0;  // byte offset of the glyph's text in the shaped string
    double xAdvance = 0;        // per point of font size
    double xOffset = 0;
    double yOffset = 0;
};

// One font file, loaded once: HarfBuzz shapes with it (unhinted, in font units, so widths scale
// linearly with the size) and cairo draws its glyphs through FreeType.
class FontFace {
public:
    FontFace(const std::string& path, int faceIndex);
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    // Kerning and ligatures as the font defines them. Safe to call from several threads.
    std::vector<ShapedGlyph> shape(std::string_view utf8) const;
    double widthPerPoint(std::string_view utf8) const;

    const std::string& postscriptName() const { return postscriptName_; }
    const std::string& path() const { return path_; }
    double ascentPerPoint() const { return ascent_; }
    double descentPerPoint() const { return descent_; }
    cairo_font_face_t* cairoFace() const { return cairoFace_.get(); }

private:
    std::string path_;
    std::string postscriptName_;
    double ascent_ = 0.9;
    double descent_ = 0.2;
    HbFont hbFont_;
    double unitsPerEm_ = 1000;
    CairoFontFace cairoFace_;
};

}  // namespace zelvorin
