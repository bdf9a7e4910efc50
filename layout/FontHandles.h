#pragma once

#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb.h>

#include "domain/UniqueHandle.h"

namespace zelvorin {

// Owners of the C handles of the text and drawing stack (HarfBuzz, FreeType, fontconfig, cairo).
using HbBlob = UniqueHandle<hb_blob_t*, hb_blob_destroy>;
using HbFace = UniqueHandle<hb_face_t*, hb_face_destroy>;
using HbFont = UniqueHandle<hb_font_t*, hb_font_destroy>;
using HbBuffer = UniqueHandle<hb_buffer_t*, hb_buffer_destroy>;
using CairoFontFace = UniqueHandle<cairo_font_face_t*, cairo_font_face_destroy>;
using CairoFontOptions = UniqueHandle<cairo_font_options_t*, cairo_font_options_destroy>;
using CairoSurface = UniqueHandle<cairo_surface_t*, cairo_surface_destroy>;
using CairoContext = UniqueHandle<cairo_t*, cairo_destroy>;
using FcPatternHandle = UniqueHandle<FcPattern*, FcPatternDestroy>;
using FtFace = UniqueHandle<FT_Face, FT_Done_Face>;

// The process's FreeType library. It lives until exit because cairo may release the faces it was
// handed later than any owner of ours.
FT_Library sharedFtLibrary();

}  // namespace zelvorin
