#include "layout/FontFileFacts.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include "domain/UniqueHandle.h"

namespace zelvorin {
namespace {

using Library = UniqueHandle<FT_Library, FT_Done_FreeType>;
using Face = UniqueHandle<FT_Face, FT_Done_Face>;

// The sfnt version tag a file starts with: TrueType outlines (1.0 or "true") or CFF ("OTTO").
std::optional<std::string> formatOf(std::string_view bytes) {
    if (bytes.size() < 12) return std::nullopt;
    const std::string_view tag = bytes.substr(0, 4);
    if (tag == std::string_view("\x00\x01\x00\x00", 4) || tag == "true") return "ttf";
    if (tag == "OTTO") return "otf";
    return std::nullopt;
}

}  // namespace

std::optional<FontFileFacts> readFontFile(std::string_view bytes) {
    std::optional<std::string> format = formatOf(bytes);
    if (!format) return std::nullopt;
    // A library of its own: FreeType's face creation is not safe on a library other threads use.
    Library library;
    if (FT_Init_FreeType(library.out()) != 0) return std::nullopt;
    Face face;
    if (FT_New_Memory_Face(library.get(), reinterpret_cast<const FT_Byte*>(bytes.data()),
                           static_cast<FT_Long>(bytes.size()), 0, face.out()) != 0)
        return std::nullopt;
    FT_Face raw = face.get();
    if (!FT_IS_SCALABLE(raw) || raw->num_faces != 1 || raw->num_glyphs < 2 || !raw->family_name ||
        *raw->family_name == '\0')
        return std::nullopt;
    // The face must draw: a file cut short or with damaged outlines opens but fails here.
    const FT_UInt probe = FT_Get_Char_Index(raw, 'a') != 0 ? FT_Get_Char_Index(raw, 'a') : 1;
    if (FT_Load_Glyph(raw, probe, FT_LOAD_NO_SCALE) != 0) return std::nullopt;
    FontFileFacts facts;
    facts.format = *format;
    facts.family = raw->family_name;
    if (raw->style_name) facts.subfamily = raw->style_name;
    if (const char* ps = FT_Get_Postscript_Name(raw)) facts.postscriptName = ps;
    facts.italic = (raw->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(raw, FT_SFNT_OS2));
        os2 && os2->usWeightClass >= 100 && os2->usWeightClass <= 900)
        facts.weight = os2->usWeightClass;
    else if ((raw->style_flags & FT_STYLE_FLAG_BOLD) != 0)
        facts.weight = 700;
    return facts;
}

}  // namespace zelvorin
