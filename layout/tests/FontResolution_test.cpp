#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "layout/FontResolver.h"
#include "layout/FontSet.h"
#include "layout/TextMeasurer.h"
#include "testing/TempDir.h"

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

// A copy of a TrueType file whose name table gives `name` as its PostScript name (shorter or as
// long as the one it had), as a second version of a family or a careless foundry might.
std::string withPostscriptName(std::string font, const std::string& name) {
    const auto u16 = [&](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(font[at]) << 8 |
                                        static_cast<unsigned char>(font[at + 1]));
    };
    const auto u32 = [&](std::size_t at) { return u16(at) << 16 | u16(at + 2); };
    for (std::size_t table = 0; table < u16(4); ++table) {
        const std::size_t entry = 12 + 16 * table;
        if (font.compare(entry, 4, "name") != 0) continue;
        const std::size_t base = u32(entry + 8), strings = base + u16(base + 4);
        for (std::size_t record = 0; record < u16(base + 2); ++record) {
            const std::size_t at = base + 6 + 12 * record;
            if (u16(at + 6) != 6) continue;  // the PostScript name
            const bool wide = u16(at) != 1;  // Unicode and Windows records are UTF-16BE
            std::string text;
            for (const char c : name)
                text += wide ? std::string{'\0', c} : std::string{c};
            EXPECT_LE(text.size(), u16(at + 8));
            font.replace(strings + u16(at + 10), text.size(), text);
            font[at + 8] = static_cast<char>(text.size() >> 8);
            font[at + 9] = static_cast<char>(text.size() & 0xFF);
        }
    }
    return font;
}

TEST(TextMeasurerTest, OrganisationsFacesWithOneNameKeepTheirOwnWidths) {
    zelvorin::testing::TempDir dir("font-names");
    const std::filesystem::path sans = dir.path() / "a.ttf", mono = dir.path() / "b.ttf";
    zelvorin::testing::writeFile(
        sans,
        withPostscriptName(zelvorin::testing::readFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"),
                           "Huisletter"));
    zelvorin::testing::writeFile(
        mono,
        withPostscriptName(zelvorin::testing::readFile("/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf"),
                           "Huisletter"));
    const FontSet first({{"Huisletter", 400, "normal", "Huisletter", sans.string()}});
    const FontSet second({{"Huisletter", 400, "normal", "Huisletter", mono.string()}});
    const FontRequest request{"Huisletter", 400, "normal"};
    ASSERT_EQ(first.face(request).postscriptName(), "Huisletter");
    ASSERT_EQ(second.face(request).postscriptName(), "Huisletter");
    // One process-wide width cache serves both organisations' runs.
    const double narrow = TextMeasurer(first).widthPerPoint(request, "iiiiiiii");
    const double wide = TextMeasurer(second).widthPerPoint(request, "iiiiiiii");
    EXPECT_DOUBLE_EQ(wide, second.face(request).widthPerPoint("iiiiiiii"));
    EXPECT_LT(narrow, wide);
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
