#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "layout/DefaultLayout.h"
#include "layout/LayoutError.h"
#include "layout/LayoutJson.h"
#include "layout/PageGeometry.h"

namespace zelvorin {
namespace {

using nlohmann::json;

json defaultJson() {
    return json::parse(defaultLayoutJson());
}

TEST(LayoutJsonTest, BuiltInLayoutDecodesAndSurvivesARoundTrip) {
    const InvoiceLayoutConfig& layout = defaultLayout();
    EXPECT_EQ(layout.preset, "classic");
    ASSERT_EQ(layout.blocks.size(), 14u);
    EXPECT_EQ(layout.blocks[7].type, BlockType::lineItemsBlock);
    EXPECT_EQ(layout.blocks[13].alignment, "center");
    EXPECT_EQ(layout.typography.headingFontWeight, FontWeight{700});
    EXPECT_FALSE(layout.table.showQuantityColumn);

    json encoded = toJson(layout);
    EXPECT_EQ(toJson(layoutConfigFromJson(encoded)), encoded);
    EXPECT_FALSE(encoded.contains("columnRatio")) << "absent optionals are omitted";
}

TEST(LayoutJsonTest, RequiredFieldsFailAndOptionalOnesMayBeMissing) {
    json withoutTypography = defaultJson();
    withoutTypography.erase("typography");
    EXPECT_THROW(layoutConfigFromJson(withoutTypography), LayoutError);

    json blockWithoutOrder = defaultJson();
    blockWithoutOrder["blocks"][0].erase("order");
    try {
        layoutConfigFromJson(blockWithoutOrder);
        FAIL() << "a block without order decoded";
    } catch (const LayoutError& e) {
        EXPECT_NE(std::string(e.what()).find("order"), std::string::npos) << e.what();
    }

    json minimal = defaultJson();
    minimal.erase("twoColumnEnabled");
    minimal["unexpected"] = {1, 2, 3};
    minimal["columnGutter"] = nullptr;
    InvoiceLayoutConfig layout = layoutConfigFromJson(minimal);
    EXPECT_FALSE(layout.twoColumnEnabled.value_or(false));
    EXPECT_EQ(layout.effectiveColumnGutter(), 12);

    EXPECT_THROW(decodeInvoiceDocument("{\"locale\": \"nl-NL\""), LayoutError);
    EXPECT_THROW(decodeInvoiceDocument(R"({"locale": 5, "currency": "EUR"})"), LayoutError);
}

// The default layout's first block with `levels` levels of columns nested in its left column.
json withNestedColumns(int levels) {
    json layout = defaultJson();
    json block = layout["blocks"][0];
    for (int level = 0; level < levels; ++level) {
        json outer = layout["blocks"][0];
        outer["columnsLeft"] = json::array({block});
        block = std::move(outer);
    }
    layout["blocks"][0] = block;
    return layout;
}

TEST(LayoutJsonTest, NestingIsRefusedPastItsLimitBeforeTheBlocksAreRead) {
    EXPECT_NO_THROW(layoutConfigFromJson(withNestedColumns(kMaxBlockNesting)));
    try {
        layoutConfigFromJson(withNestedColumns(kMaxBlockNesting + 1));
        FAIL() << "columns nested past the limit decoded";
    } catch (const LayoutError& error) {
        EXPECT_NE(std::string(error.what()).find("columnsLeft"), std::string::npos) << error.what();
    }
    json zone = defaultJson();
    zone["headerZone"] = {{"height", 40}, {"subBlocks", withNestedColumns(kMaxBlockNesting)["blocks"]}};
    EXPECT_THROW(layoutConfigFromJson(zone), LayoutError) << "a zone's sub-blocks count as one level";

    // Ten thousand levels as text never reach the recursive reader (nor the stack).
    std::string deep;
    for (int level = 0; level < 10'000; ++level)
        deep += R"({"type":"columns","visible":true,"columnsLeft":[)";
    EXPECT_THROW(decodeInvoiceLayoutConfig(R"({"blocks":[)" + deep), LayoutError);
}

TEST(LayoutJsonTest, FontWeightsFromNumbersAndWords) {
    EXPECT_EQ(fontWeightFromJson("bold").value, 700);
    EXPECT_EQ(fontWeightFromJson("semibold").value, 400);
    EXPECT_EQ(fontWeightFromJson("normal").value, 400);
    EXPECT_EQ(fontWeightFromJson(600).value, 600);
    EXPECT_EQ(fontWeightFromJson(json::array()).value, 400);

    json j = defaultJson();
    j["typography"]["headingFontWeight"] = "bold";
    InvoiceLayoutConfig layout = layoutConfigFromJson(j);
    EXPECT_EQ(layout.typography.headingFontWeight->value, 700);
    EXPECT_EQ(toJson(layout)["typography"]["headingFontWeight"], 700) << "weights encode as numbers";
}

TEST(LayoutJsonTest, PageGeometryOfSizesAndOrientations) {
    PageConfig page;
    page.pageSize = "Custom";
    PageGeometry custom = PageGeometry::of(page);
    EXPECT_DOUBLE_EQ(custom.pageWidth, 595.28);
    EXPECT_DOUBLE_EQ(custom.pageHeight, 841.89);

    page.pageSize = "Letter";
    page.orientation = "landscape";
    PageGeometry letter = PageGeometry::of(page);
    EXPECT_EQ(letter.pageWidth, 792);
    EXPECT_EQ(letter.pageHeight, 612);

    page.pageSize = "B5-ish";
    page.orientation = "landscape";
    EXPECT_DOUBLE_EQ(PageGeometry::of(page).pageWidth, 841.89) << "unknown sizes are A4";

    // A fixed content width is used as given, not turned with the page.
    page.pageSize = "Custom";
    page.width = 500;
    page.height = 700;
    page.contentWidthMode = "fixed";
    PageGeometry fixed = PageGeometry::of(page);
    EXPECT_EQ(fixed.pageWidth, 700);
    EXPECT_EQ(fixed.contentWidth, 500 - 80);

    page.marginLeft = 400;
    page.marginRight = 400;
    EXPECT_EQ(PageGeometry::of(page).contentWidth, 1) << "margins wider than the page leave a sliver";
}

TEST(LayoutJsonTest, ColumnRatioAndGutterAreClamped) {
    InvoiceLayoutConfig layout;
    layout.columnRatio = 0.9;
    EXPECT_EQ(layout.effectiveColumnRatio(), 0.8);
    layout.columnRatio = 0.1;
    EXPECT_EQ(layout.effectiveColumnRatio(), 0.2);
    layout.columnRatio.reset();
    EXPECT_EQ(layout.effectiveColumnRatio(), 0.5);
    layout.columnGutter = -5;
    EXPECT_EQ(layout.effectiveColumnGutter(), 0);
}

TEST(LayoutJsonTest, DocumentRoundTripKeepsContentAndUnknownBlockTypes) {
    json doc = {{"locale", "en-GB"},
                {"currency", "EUR"},
                {"dateFormat", "en-gb"},
                {"layout", defaultJson()},
                {"content",
                 {{"invoiceNumber", "F-1"},
                  {"customerSnapshot", {{"companyName", "Klant BV"}}},
                  {"lineItems",
                   {{{"id", "a"},
                     {"sortOrder", 1},
                     {"description", "Werk"},
                     {"vatRate", 21},
                     {"hoursHundredths", 150},
                     {"subtotalExVatCents", 12750},
                     {"vatAmountCents", 2678},
                     {"totalIncVatCents", 15428}}}}}}};
    doc["layout"]["blocks"].push_back({{"type", "chartBlock"},
                                       {"visible", true},
                                       {"order", 99},
                                       {"alignment", "left"},
                                       {"spacingBefore", 0},
                                       {"spacingAfter", 0}});
    InvoiceDocument decoded = decodeInvoiceDocument(doc.dump());
    EXPECT_EQ(decoded.layout.blocks.back().type, BlockType::unknown);
    EXPECT_EQ(decoded.content.lineItems.at(0).hoursHundredths, 150);
    json again = json::parse(encodeInvoiceDocument(decoded));
    EXPECT_EQ(again["layout"]["blocks"].back()["type"], "chartBlock");
    EXPECT_EQ(again["content"], doc["content"]);
}

}  // namespace
}  // namespace zelvorin
