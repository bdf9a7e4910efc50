#include "layout/FontFace.h"

#include "layout/LayoutError.h"

namespace zelvorin {

FT_Library sharedFtLibrary() {
    static const UniqueHandle<FT_Library, FT_Done_FreeType> library = [] {
        UniqueHandle<FT_Library, FT_Done_FreeType> started;
        if (FT_Init_FreeType(started.out()) != 0)
            throw LayoutError(LayoutError::Kind::fontUnavailable, "FreeType kon niet worden gestart");
        return started;
    }();
    return library.get();
}

namespace {
const cairo_user_data_key_t kFtFaceKey{};

void releaseFtFace(void* face) {
    FT_Done_Face(static_cast<FT_Face>(face));
}
}  // namespace

FontFace::FontFace(const std::string& path, int faceIndex) : path_(path) {
    HbBlob blob(hb_blob_create_from_file_or_fail(path.c_str()));
    if (!blob) throw LayoutError(LayoutError::Kind::fontUnavailable, "Lettertype niet leesbaar: " + path);
    HbFace face(hb_face_create(blob.get(), static_cast<unsigned>(faceIndex)));
    unitsPerEm_ = hb_face_get_upem(face.get());
    if (unitsPerEm_ <= 0 || hb_face_get_glyph_count(face.get()) == 0) {
        throw LayoutError(LayoutError::Kind::fontUnavailable, "Geen bruikbaar lettertype: " + path);
    }
    hbFont_.reset(hb_font_create(face.get()));
    hb_font_make_immutable(hbFont_.get());

    FtFace ftFace;
    if (FT_New_Face(sharedFtLibrary(), path.c_str(), faceIndex, ftFace.out()) != 0) {
        throw LayoutError(LayoutError::Kind::fontUnavailable, "Lettertype niet leesbaar: " + path);
    }
    FT_Face raw = ftFace.get();
    if (const char* ps = FT_Get_Postscript_Name(raw)) postscriptName_ = ps;
    if (raw->units_per_EM > 0) {
        ascent_ = static_cast<double>(raw->ascender) / raw->units_per_EM;
        descent_ = -static_cast<double>(raw->descender) / raw->units_per_EM;
    }
    // No hinting: the drawn glyphs then advance exactly as HarfBuzz measured them.
    cairoFace_.reset(cairo_ft_font_face_create_for_ft_face(raw, FT_LOAD_NO_HINTING));
    // cairo may keep using the face after our owner is gone; it releases it when it is done.
    if (cairo_font_face_set_user_data(cairoFace_.get(), &kFtFaceKey, raw, releaseFtFace) !=
        CAIRO_STATUS_SUCCESS) {
        throw LayoutError(LayoutError::Kind::fontUnavailable,
                          "Lettertype kon niet worden voorbereid: " + path);
    }
    static_cast<void>(ftFace.release());
}

std::vector<ShapedGlyph> FontFace::shape(std::string_view utf8) const {
    std::vector<ShapedGlyph> glyphs;
    if (utf8.empty()) return glyphs;
    HbBuffer buffer(hb_buffer_create());
    hb_buffer_add_utf8(buffer.get(), utf8.data(), static_cast<int>(utf8.size()), 0,
                       static_cast<int>(utf8.size()));
    hb_buffer_guess_segment_properties(buffer.get());
    hb_shape(hbFont_.get(), buffer.get(), nullptr, 0);
    unsigned count = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer.get(), &count);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer.get(), &count);
    glyphs.reserve(count);
    for (unsigned i = 0; i < count; ++i) {
        glyphs.push_back({infos[i].codepoint, infos[i].cluster, positions[i].x_advance / unitsPerEm_,
                          positions[i].x_offset / unitsPerEm_, positions[i].y_offset / unitsPerEm_});
    }
    return glyphs;
}

double FontFace::widthPerPoint(std::string_view utf8) const {
    double width = 0;
    for (const ShapedGlyph& g : shape(utf8))
        width += g.xAdvance;
    return width;
}

}  // namespace zelvorin
