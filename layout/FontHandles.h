#pragma once

#include <cairo-ft.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb.h>

#include <memory>

namespace zelvorin {

// Move-only owners of the C handles of the text stack; each destroys its handle exactly once and
// an empty owner destroys nothing.
template <typename T, void (*Destroy)(T*)>
struct HandleDeleter {
    void operator()(T* handle) const noexcept {
        if (handle != nullptr) Destroy(handle);
    }
};

using HbBlob = std::unique_ptr<hb_blob_t, HandleDeleter<hb_blob_t, hb_blob_destroy>>;
using HbFace = std::unique_ptr<hb_face_t, HandleDeleter<hb_face_t, hb_face_destroy>>;
using HbFont = std::unique_ptr<hb_font_t, HandleDeleter<hb_font_t, hb_font_destroy>>;
using HbBuffer = std::unique_ptr<hb_buffer_t, HandleDeleter<hb_buffer_t, hb_buffer_destroy>>;
using CairoFontFace =
    std::unique_ptr<cairo_font_face_t, HandleDeleter<cairo_font_face_t, cairo_font_face_destroy>>;
using CairoSurface = std::unique_ptr<cairo_surface_t, HandleDeleter<cairo_surface_t, cairo_surface_destroy>>;
using CairoContext = std::unique_ptr<cairo_t, HandleDeleter<cairo_t, cairo_destroy>>;

inline void doneFace(FT_FaceRec_* face) {
    FT_Done_Face(face);
}
using FtFace = std::unique_ptr<FT_FaceRec_, HandleDeleter<FT_FaceRec_, doneFace>>;

// The process's FreeType library. It lives until exit because cairo may release the faces it was
// handed later than any owner of ours.
class FtLibrary {
public:
    static FT_Library shared();

    FtLibrary(const FtLibrary&) = delete;
    FtLibrary& operator=(const FtLibrary&) = delete;
    ~FtLibrary();

private:
    FtLibrary();
    FT_Library library_ = nullptr;
};

}  // namespace zelvorin
