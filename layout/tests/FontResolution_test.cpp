#include <gtest/gtest.h>

#include <cmath>

#include "layout/FontResolver.h"
#include "layout/FontSet.h"
#include "layout/TextMeasurer.h"

namespace zelvorin {
namespace {

std::vector<OrgFontVariant> faces(std::initializer_list<std::pair<double, const char*>> weightsAndStyles) {
    std::vector<OrgFontVariant> out;
    for (auto [weight, style] : weightsAndStyles) {
        out.push_back({"Huisletter", weight, style,
                       "Huisletter-" + std::to_string(static_cast<int>(weight)) + style, ""});
    }
    return out;
}

TEST(FontResolutionTest, OrganisationFacesByWeightAndStyle) {
    auto v = faces({{400, "normal"}, {700, "normal"}, {500, "italic"}, {600, "normal"}});
    EXPECT_EQ(resolveFont("Huisletter", 650, "normal", v).name, "Huisletter-700normal")
        << "700 and 600 are equally near: the earlier face";
    EXPECT_EQ(resolveFont("Huisletter", 600, "normal", v).name, "Huisletter-600normal") << "exact";
    EXPECT_EQ(resolveFont("Huisletter", 900, "italic", v).name, "Huisletter-500italic")
        << "style before weight";

    auto tie = faces({{500, "normal"}, {600, "normal"}});
    EXPECT_EQ(resolveFont("Huisletter", 550, "normal", tie).name, "Huisletter-500normal")
        << "ties: first listed";

    auto normalOnly = faces({{300, "normal"}, {800, "normal"}});
    FontResolution italic = resolveFont("Huisletter", 700, "italic", normalOnly);
    EXPECT_EQ(italic.kind, FontResolution::Kind::orgVariant);
    EXPECT_EQ(italic.name, "Huisletter-800normal");

    EXPECT_EQ(resolveFont("huisletter", 400, "normal", v).kind, FontResolution::Kind::missing)
        << "organisation families match case-sensitively";
}

TEST(FontResolutionTest, InstalledFacesAndMissingFamilies) {
    FontSet fonts;
    FontResolution roboto = fonts.resolve({"Roboto", 400, "normal"});
    EXPECT_EQ(roboto.kind, FontResolution::Kind::systemFont);
    EXPECT_EQ(roboto.name, "Roboto-Regular");
    FontResolution missing = fonts.resolve({"Geen Bestaande Letter", 400, "normal"});
    EXPECT_EQ(missing.kind, FontResolution::Kind::missing);
    EXPECT_EQ(missing.name, "Geen Bestaande Letter");
    // A missing family measures and draws in the layout's own face.
    EXPECT_EQ(&fonts.face({"Geen Bestaande Letter", 400, "normal"}), &fonts.defaultFace());
    EXPECT_EQ(fonts.cacheFamily({"", 400, "normal"}), "~roboto~");
}

TEST(FontResolutionTest, UnreadableOrganisationFileFallsBackToTheOwnFace) {
    FontSet fonts({{"Kapot", 400, "normal", "Kapot-Regular", "/nonexistent/kapot.ttf"}});
    EXPECT_EQ(fonts.resolve({"Kapot", 400, "normal"}).kind, FontResolution::Kind::orgVariant);
    EXPECT_EQ(&fonts.face({"Kapot", 400, "normal"}), &fonts.defaultFace());
}

TEST(FontResolutionTest, PlatformWeightIsPiecewiseLinear) {
    EXPECT_DOUBLE_EQ(platformWeight(450), 0.115);
    EXPECT_DOUBLE_EQ(platformWeight(350), -0.2);
    EXPECT_DOUBLE_EQ(platformWeight(700), 0.4);
    EXPECT_DOUBLE_EQ(platformWeight(50), -0.8);
    EXPECT_DOUBLE_EQ(platformWeight(1000), 0.62);
    EXPECT_DOUBLE_EQ(platformWeight(std::nan("")), 0);
}

TEST(TextMeasurerTest, ShapedWidthsScaleWithSizeAndApplyKerning) {
    FontSet fonts;
    TextMeasurer measurer(fonts);
    FontRequest own{"", 400, "normal"};
    double av = measurer.widthPerPoint(own, "AV");
    EXPECT_LT(av, measurer.widthPerPoint(own, "A") + measurer.widthPerPoint(own, "V")) << "the font kerns AV";
    EXPECT_DOUBLE_EQ(measurer.width(own, 20, "Factuur"), 2 * measurer.width(own, 10, "Factuur"));
    EXPECT_DOUBLE_EQ(measurer.width(own, 10, "ab", 0.1), measurer.width(own, 10, "ab") + 2.0);
    const FontFace& bold = fonts.face({"Roboto", 700, "normal"});
    EXPECT_EQ(bold.postscriptName(), "Roboto-Bold");
    EXPECT_NE(bold.widthPerPoint("Totaal"), measurer.widthPerPoint(own, "Totaal"));
}

TEST(TextMeasurerTest, WidthCacheIsEmptiedWhenFull) {
    TextWidthCache& cache = TextWidthCache::shared();
    cache.clear();
    for (std::size_t i = 0; i < TextWidthCache::kFlushAt; ++i)
        cache.insert("k\x01" + std::to_string(i), 1.0);
    EXPECT_EQ(cache.size(), TextWidthCache::kFlushAt);
    cache.insert("one more", 2.0);
    EXPECT_EQ(cache.size(), 1u);
    EXPECT_EQ(cache.find("one more"), 2.0);
    cache.insert("zero", 0.0);
    EXPECT_FALSE(cache.find("zero").has_value());
}

}  // namespace
}  // namespace zelvorin
