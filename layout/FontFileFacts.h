#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelvorin {

// What an uploaded font file says about itself, read by FreeType from the bytes alone.
struct FontFileFacts {
    std::string format;  // "ttf" (TrueType outlines) or "otf" (CFF outlines)
    std::string family;
    std::string subfamily;  // FreeType's style name ("Bold Italic"); may be empty
    std::string postscriptName;
    int weight = 400;  // the OS/2 weight class, 400 when the table is missing or out of range
    bool italic = false;
};

// The facts of a single-face TrueType or OpenType file; nothing for anything else (collections,
// web fonts, bitmap fonts, text renamed to .ttf) or for a file FreeType cannot open as a scalable
// face with a family name.
std::optional<FontFileFacts> readFontFile(std::string_view bytes);

}  // namespace zelvorin
