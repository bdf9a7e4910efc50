#pragma once

#include <string>
#include <vector>

namespace zelvorin {

// One face the organisation uploaded; filePath is where the font synchronisation stored it.
struct OrgFontVariant {
    std::string family;
    double weight = 400;
    std::string style = "normal";
    std::string postscriptName;
    std::string filePath;
};

struct FontResolution {
    enum class Kind { orgVariant, systemFont, missing };
    Kind kind = Kind::missing;
    // The PostScript name of the chosen face, or the requested family when missing.
    std::string name;
    // Where the chosen face lives (empty when missing).
    std::string filePath;
    int faceIndex = 0;

    bool operator==(const FontResolution&) const = default;
};

// The organisation's faces first (exact weight and style, then nearest weight in the style, then
// nearest weight overall); then an installed face of that family; else missing.
FontResolution resolveFont(const std::string& family, double cssWeight, const std::string& style,
                           const std::vector<OrgFontVariant>& variants);

// Only the organisation's faces; nullptr when the family has none.
const OrgFontVariant* pickOrgVariant(const std::string& family, double cssWeight, const std::string& style,
                                     const std::vector<OrgFontVariant>& variants);

// The platform's weight scale (-0.8 ... 0.62) of a CSS weight, piecewise linear between anchors.
double platformWeight(double cssWeight);

// Makes the layout's own face known to the installed-font lookup; safe to call from any thread,
// does its work once per process.
void registerLayoutFace(const std::string& path);

}  // namespace zelvorin
