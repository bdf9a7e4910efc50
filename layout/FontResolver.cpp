#include "layout/FontResolver.h"

#include <fontconfig/fontconfig.h>

#include <strings.h>
#include <algorithm>
#include <array>
#include <cmath>
#include <mutex>
#include <utility>

#include "layout/FontHandles.h"
#include "layout/LayoutSharedState.h"

namespace zelvorin {

namespace {

std::string stringProperty(FcPattern* pattern, const char* object, int index = 0) {
    FcChar8* value = nullptr;
    if (FcPatternGetString(pattern, object, index, &value) != FcResultMatch || value == nullptr) return {};
    return reinterpret_cast<const char*>(value);
}

bool familyMatches(FcPattern* found, const std::string& family) {
    for (int i = 0;; ++i) {
        FcChar8* value = nullptr;
        if (FcPatternGetString(found, FC_FAMILY, i, &value) != FcResultMatch) break;
        if (strcasecmp(reinterpret_cast<const char*>(value), family.c_str()) == 0) return true;
    }
    return strcasecmp(stringProperty(found, FC_POSTSCRIPT_NAME).c_str(), family.c_str()) == 0;
}

// fontconfig always answers with its best substitute; only a face of the family asked for counts
// as found, so "Helvetica" on a machine without it resolves as missing rather than as some sans.
FontResolution findInstalled(const std::string& family, double cssWeight, bool italic) {
    std::lock_guard lock(layoutSharedMutex());
    FcInit();
    FcPatternHandle pattern(FcPatternCreate());
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    double weight = std::isfinite(cssWeight) ? std::clamp(cssWeight, 1.0, 1000.0) : 400.0;
    FcPatternAddInteger(pattern.get(), FC_WEIGHT, FcWeightFromOpenType(static_cast<int>(weight)));
    FcPatternAddInteger(pattern.get(), FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    FcPatternHandle found(FcFontMatch(nullptr, pattern.get(), &result));
    if (!found || result != FcResultMatch || !familyMatches(found.get(), family)) {
        return {FontResolution::Kind::missing, family, {}, 0};
    }
    int index = 0;
    FcPatternGetInteger(found.get(), FC_INDEX, 0, &index);
    std::string file = stringProperty(found.get(), FC_FILE);
    if (file.empty()) return {FontResolution::Kind::missing, family, {}, 0};
    std::string name = stringProperty(found.get(), FC_POSTSCRIPT_NAME);
    return {FontResolution::Kind::systemFont, name.empty() ? family : name, file, index};
}

const OrgFontVariant* nearest(const std::vector<const OrgFontVariant*>& candidates, double weight) {
    const OrgFontVariant* best = nullptr;
    double bestDistance = 0;
    for (const OrgFontVariant* v : candidates) {
        double distance = std::fabs(v->weight - weight);
        if (best == nullptr || distance < bestDistance) {  // strict: ties keep the earlier face
            best = v;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace

const OrgFontVariant* pickOrgVariant(const std::string& family, double cssWeight, const std::string& style,
                                     const std::vector<OrgFontVariant>& variants) {
    std::vector<const OrgFontVariant*> candidates, sameStyle;
    for (const OrgFontVariant& v : variants) {
        if (v.family != family) continue;
        if (v.weight == cssWeight && v.style == style) return &v;
        candidates.push_back(&v);
        if (v.style == style) sameStyle.push_back(&v);
    }
    if (candidates.empty()) return nullptr;
    return nearest(sameStyle.empty() ? candidates : sameStyle, cssWeight);
}

FontResolution resolveFont(const std::string& family, double cssWeight, const std::string& style,
                           const std::vector<OrgFontVariant>& variants) {
    if (const OrgFontVariant* v = pickOrgVariant(family, cssWeight, style, variants)) {
        return {FontResolution::Kind::orgVariant, v->postscriptName, v->filePath, 0};
    }
    if (family.empty()) return {FontResolution::Kind::missing, family, {}, 0};
    return findInstalled(family, cssWeight, style == "italic");
}

double platformWeight(double w) {
    static constexpr std::array<std::pair<double, double>, 9> kAnchors{{{100, -0.8},
                                                                        {200, -0.6},
                                                                        {300, -0.4},
                                                                        {400, 0},
                                                                        {500, 0.23},
                                                                        {600, 0.3},
                                                                        {700, 0.4},
                                                                        {800, 0.56},
                                                                        {900, 0.62}}};
    if (std::isnan(w)) return 0;
    if (w <= kAnchors.front().first) return kAnchors.front().second;
    if (w >= kAnchors.back().first) return kAnchors.back().second;
    for (std::size_t i = 1; i < kAnchors.size(); ++i) {
        auto [b, pb] = kAnchors[i];
        if (w <= b) {
            auto [a, pa] = kAnchors[i - 1];
            return pa + (w - a) / (b - a) * (pb - pa);
        }
    }
    return kAnchors.back().second;
}

void registerLayoutFace(const std::string& path) {
    std::lock_guard lock(layoutSharedMutex());
    static bool registered = false;
    if (registered) return;
    FcInit();
    FcConfigAppFontAddFile(nullptr, reinterpret_cast<const FcChar8*>(path.c_str()));
    registered = true;
}

}  // namespace zelvorin
