#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "layout/FontFace.h"
#include "layout/FontResolver.h"

namespace zelvorin {

// What a run of text asks for: a family (empty: the layout's own face), a CSS weight and a style.
struct FontRequest {
    std::string family;
    double weight = 400;
    std::string style = "normal";
};

// The fonts of one organisation: its uploaded faces, the installed faces and the layout's own
// face as the fallback. Faces are loaded when first asked for and kept; shareable between threads.
class FontSet {
public:
    explicit FontSet(std::vector<OrgFontVariant> orgVariants = {});
    FontSet(const FontSet&) = delete;
    FontSet& operator=(const FontSet&) = delete;

    FontResolution resolve(const FontRequest& request) const;
    // The face a request is set in; the layout's own face when the request cannot be resolved or
    // its file cannot be loaded.
    const FontFace& face(const FontRequest& request) const;
    // The name widths are cached under: the face's PostScript name, "~roboto~" for the own face,
    // the file for an organisation's face.
    std::string cacheFamily(const FontRequest& request) const;
    const FontFace& defaultFace() const;

private:
    struct Entry {
        const FontFace* face = nullptr;
        std::string cacheFamily;
    };
    const Entry& entry(const FontRequest& request) const;

    std::vector<OrgFontVariant> orgVariants_;
    mutable std::mutex mutex_;
    mutable std::map<std::string, std::unique_ptr<FontFace>> facesByFile_;
    mutable std::map<std::string, Entry> entries_;
};

// The layout's own face (Roboto Regular), found next to the program, in the build tree or where
// the system package puts it; ZELVORIN_LAYOUT_FONT overrides the search.
const std::string& layoutFacePath();

}  // namespace zelvorin
