#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>

#include "layout/DefaultLayout.h"
#include "layout/LayoutEngine.h"
#include "layout/tests/TestDocuments.h"

namespace zelvorin {
namespace {

using testing::sampleInvoice;

const std::chrono::sys_days kToday{std::chrono::year{2024} / 4 / 15};

class LayoutEngineTest : public ::testing::Test {
protected:
    LaidOutDocument layout(const InvoiceDocument& doc) { return layoutDocument(doc, measurer_, kToday); }

    FontSet fonts_;
    TextMeasurer measurer_{fonts_};
};

BlockConfig block(BlockType type, std::string id, long long order) {
    BlockConfig b;
    b.type = type;
    b.typeRaw = rawValue(type);
    b.id = std::move(id);
    b.order = order;
    return b;
}

BlockConfig text(std::string id, long long order, std::string content) {
    BlockConfig b = block(BlockType::textBlock, std::move(id), order);
    b.content = std::move(content);
    return b;
}

// How often each line's row appears over all pages, and which pieces continue a table.
std::map<std::string, int> rowCounts(const LaidOutDocument& doc) {
    std::map<std::string, int> counts;
    for (const LaidOutPage& page : doc.pages) {
        for (const LaidOutBlock& b : page.blocks) {
            if (!b.rows) continue;
            for (const LayoutTableRow& row : *b.rows) {
                if (!row.isHeader && !row.isSectionHeader) ++counts[row.lineItemId];
            }
        }
    }
    return counts;
}

std::vector<std::string> idsOn(const LaidOutPage& page) {
    std::vector<std::string> ids;
    for (const LaidOutBlock& b : page.blocks)
        ids.push_back(b.id);
    return ids;
}

bool contains(const std::vector<std::string>& ids, const std::string& id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

void expectEveryLineOnce(const LaidOutDocument& doc, const InvoiceDocument& input) {
    auto counts = rowCounts(doc);
    ASSERT_EQ(counts.size(), input.content.lineItems.size());
    for (const auto& [id, count] : counts)
        EXPECT_EQ(count, 1) << id;
}

TEST_F(LayoutEngineTest, LongTableSplitsWithRepeatedHeaderAndContinuationPieces) {
    InvoiceDocument doc = sampleInvoice(120);
    LaidOutDocument out = layout(doc);
    ASSERT_GE(out.pages.size(), 3u);
    expectEveryLineOnce(out, doc);
    for (std::size_t p = 0; p < out.pages.size(); ++p) {
        const LaidOutPage& page = out.pages[p];
        EXPECT_EQ(page.pageIndex, static_cast<int>(p));
        for (const LaidOutBlock& b : page.blocks) {
            if (b.type != BlockType::lineItemsBlock) continue;
            EXPECT_TRUE(b.rows->front().isHeader) << "every piece starts with the header";
            EXPECT_EQ(b.isContinuation.value_or(false), p > 0);
            EXPECT_LE(b.y + b.height, page.height - doc.layout.page.marginBottom + 0.01) << "page " << p;
        }
        // Footer blocks repeat on every page; first-page blocks do not.
        EXPECT_TRUE(contains(idsOn(page), "footer"));
        EXPECT_EQ(contains(idsOn(page), "org"), p == 0);
    }
    auto last = idsOn(out.pages.back());
    EXPECT_TRUE(contains(last, "totals"));
    // Page figures are filled in after pagination.
    const LaidOutPage& second = out.pages[1];
    auto numbers = std::find_if(second.blocks.begin(), second.blocks.end(),
                                [](const LaidOutBlock& b) { return b.id == "pageNumbers"; });
    ASSERT_NE(numbers, second.blocks.end());
    EXPECT_EQ(numbers->contentRuns->at(0).text, "Pagina 2 van " + std::to_string(out.pages.size()));
}

TEST_F(LayoutEngineTest, RowsPerPageCapsEachPiece) {
    InvoiceDocument doc = sampleInvoice(25);
    doc.layout.table.rowsPerPage = 10;
    LaidOutDocument out = layout(doc);
    expectEveryLineOnce(out, doc);
    std::vector<std::size_t> pieceSizes;
    for (const LaidOutPage& page : out.pages) {
        for (const LaidOutBlock& b : page.blocks) {
            if (b.rows) pieceSizes.push_back(b.rows->size() - 1);
        }
    }
    EXPECT_EQ(pieceSizes, (std::vector<std::size_t>{10, 10, 5}));
}

TEST_F(LayoutEngineTest, SelectionOrderAndEmptyResult) {
    InvoiceDocument doc = sampleInvoice(1);
    for (BlockConfig& b : doc.layout.blocks)
        b.visible = false;
    doc.layout.footerPageNumbering.reset();
    doc.layout.page.orientation = "landscape";
    LaidOutDocument empty = layout(doc);
    ASSERT_EQ(empty.pages.size(), 1u);
    EXPECT_TRUE(empty.pages[0].blocks.empty());
    EXPECT_DOUBLE_EQ(empty.pages[0].width, 841.89);
    EXPECT_DOUBLE_EQ(empty.pages[0].height, 595.28);

    doc.layout.blocks = {text("b", 1, "B"), text("a", 0, "A"), text("c", 1, "C"), text("hidden", -1, "X")};
    doc.layout.blocks[3].visible = false;
    LaidOutDocument out = layout(doc);
    EXPECT_EQ(idsOn(out.pages[0]), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_LT(out.pages[0].blocks[1].y, out.pages[0].blocks[2].y);
}

TEST_F(LayoutEngineTest, ContinuationOnlyBlocksOpenLaterPages) {
    InvoiceDocument doc = sampleInvoice(120);
    BlockConfig repeat = text("repeat", 100, "Vervolg factuur {{factuurnummer}}");
    repeat.pageVisibility = "continuation-only";
    doc.layout.blocks.push_back(repeat);
    doc.layout.blocks[7].pageVisibility = "all";  // the table is still never repeated
    LaidOutDocument out = layout(doc);
    ASSERT_GE(out.pages.size(), 2u);
    EXPECT_FALSE(contains(idsOn(out.pages[0]), "repeat"));
    for (std::size_t p = 1; p < out.pages.size(); ++p) {
        const LaidOutBlock& top = out.pages[p].blocks.front();
        EXPECT_EQ(top.id, "repeat");
        EXPECT_DOUBLE_EQ(top.y, doc.layout.page.marginTop);
        EXPECT_EQ(top.contentRuns->at(0).text, "Vervolg factuur 2024-0042");
    }
    expectEveryLineOnce(out, doc);
}

TEST_F(LayoutEngineTest, OversizedBlockOverflowsAnEmptyPageAndTheNextStartsANewOne) {
    InvoiceDocument doc = sampleInvoice(0);
    doc.layout.footerPageNumbering.reset();
    std::string tall;
    for (int i = 0; i < 120; ++i)
        tall += "Regel " + std::to_string(i) + "\n";
    doc.layout.blocks = {text("intro", 0, "Kort"), text("tall", 1, tall), text("after", 2, "Daarna")};
    LaidOutDocument out = layout(doc);
    ASSERT_EQ(out.pages.size(), 3u);
    EXPECT_EQ(idsOn(out.pages[0]), std::vector<std::string>{"intro"});
    const LaidOutBlock& placed = out.pages[1].blocks.at(0);
    EXPECT_EQ(placed.id, "tall");
    EXPECT_GT(placed.y + placed.height, out.pages[1].height) << "placed anyway, overflowing";
    EXPECT_EQ(idsOn(out.pages[2]), std::vector<std::string>{"after"});
}

TEST_F(LayoutEngineTest, TwoColumnsPlaceLeftAndRightSideBySide) {
    InvoiceDocument doc = sampleInvoice(3);
    doc.layout.twoColumnEnabled = true;
    doc.layout.columnRatio = 0.9;
    doc.layout.columnGutter = 20;
    doc.layout.blocks[0].column = "left";   // org
    doc.layout.blocks[1].visible = false;   // logo
    doc.layout.blocks[2].column = "right";  // customer
    LaidOutDocument out = layout(doc);
    const auto& blocks = out.pages[0].blocks;
    auto find = [&](const std::string& id) {
        return *std::find_if(blocks.begin(), blocks.end(), [&](const LaidOutBlock& b) { return b.id == id; });
    };
    double content = 595.28 - 80;
    LaidOutBlock org = find("org"), customer = find("customer"), lines = find("lines");
    EXPECT_DOUBLE_EQ(org.width, (content - 20) * 0.8);
    EXPECT_DOUBLE_EQ(customer.x, 40 + org.width + 20);
    EXPECT_DOUBLE_EQ(customer.width, content - 20 - org.width);
    EXPECT_DOUBLE_EQ(org.y, customer.y) << "a paired row shares its top";
    EXPECT_DOUBLE_EQ(lines.width, content);
    expectEveryLineOnce(out, doc);
}

TEST_F(LayoutEngineTest, HeaderAndFooterPanelsPerPage) {
    InvoiceDocument doc = sampleInvoice(120);
    ZonePanelConfig first{60, "#EEEEEE", std::vector<BlockConfig>{text("brand", 0, "{{org.naam}}")}};
    ZonePanelConfig later{30, std::nullopt,
                          std::vector<BlockConfig>{text("brand2", 0, "Pagina {{paginanummer}}")}};
    doc.layout.headerZone = first;
    doc.layout.headerContinuation = later;
    doc.layout.headerContinuationEnabled = true;
    LaidOutDocument out = layout(doc);
    ASSERT_GE(out.pages.size(), 2u);
    ASSERT_TRUE(out.pages[0].headerZone);
    EXPECT_EQ(out.pages[0].headerZone->height, 60);
    EXPECT_EQ(out.pages[0].headerZone->subBlocks.at(0).contentRuns->at(0).text, "Atelier Zeeuw");
    ASSERT_TRUE(out.pages[1].headerZone);
    EXPECT_EQ(out.pages[1].headerZone->subBlocks.at(0).contentRuns->at(0).text, "Pagina 2");
    EXPECT_GE(out.pages[0].blocks.front().y, 60) << "the body starts below a panel taller than the margin";
}

TEST_F(LayoutEngineTest, SameInputGivesTheSamePages) {
    InvoiceDocument doc = sampleInvoice(60);
    LaidOutDocument a = layout(doc), b = layout(doc);
    ASSERT_EQ(a.pages.size(), b.pages.size());
    for (std::size_t p = 0; p < a.pages.size(); ++p) {
        ASSERT_EQ(a.pages[p].blocks.size(), b.pages[p].blocks.size());
        for (std::size_t i = 0; i < a.pages[p].blocks.size(); ++i) {
            EXPECT_EQ(a.pages[p].blocks[i].id, b.pages[p].blocks[i].id);
            EXPECT_EQ(a.pages[p].blocks[i].y, b.pages[p].blocks[i].y);
        }
    }
}

// Templates and content that make no sense still give pages with every line exactly once.
TEST_F(LayoutEngineTest, BadInputNeverLosesALine) {
    struct Case {
        const char* name;
        int lines;
        std::function<void(InvoiceDocument&)> spoil;
    };
    std::vector<Case> cases{
        {"unknown block type, size and alignment", 30,
         [](InvoiceDocument& d) {
             BlockConfig odd = block(BlockType::unknown, "odd", 3);
             odd.typeRaw = "chartBlock";
             d.layout.blocks.push_back(odd);
             d.layout.page.pageSize = "A3+";
             for (BlockConfig& b : d.layout.blocks)
                 b.alignment = "justify";
         }},
        {"unknown font family", 30,
         [](InvoiceDocument& d) { d.layout.typography.bodyFontFamily = "Nergens Sans"; }},
        {"logo that is not an image", 30,
         [](InvoiceDocument& d) {
             d.layout.blocks[1].imagePngDataUrl = "data:image/png;base64,aGFsbG8gd2VyZWxk";
         }},
        {"5000-character word", 5,
         [](InvoiceDocument& d) { d.content.lineItems[2].description = std::string(5000, 'x'); }},
        {"2000-line table", 2000, [](InvoiceDocument&) {}},
        {"negative margins", 40,
         [](InvoiceDocument& d) {
             d.layout.page.marginTop = -30;
             d.layout.page.marginLeft = -10;
         }},
        {"page smaller than its margins", 10,
         [](InvoiceDocument& d) {
             d.layout.page.pageSize = "Custom";
             d.layout.page.width = 60;
             d.layout.page.height = 70;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InvoiceDocument doc = sampleInvoice(c.lines);
        c.spoil(doc);
        LaidOutDocument out = layout(doc);
        ASSERT_FALSE(out.pages.empty());
        expectEveryLineOnce(out, doc);
    }
}

TEST_F(LayoutEngineTest, LongWordIsBrokenInsideTheDescriptionColumn) {
    InvoiceDocument doc = sampleInvoice(1);
    doc.content.lineItems[0].description = std::string(5000, 'w');
    LaidOutDocument out = layout(doc);
    std::string joined;
    double columnWidth = 0;
    for (const LaidOutPage& page : out.pages) {
        for (const LaidOutBlock& b : page.blocks) {
            if (!b.rows) continue;
            for (const LayoutTableRow& row : *b.rows) {
                if (row.lineItemId != "line-0") continue;
                joined = row.cells[0].text;
                columnWidth = row.cells[0].width;
            }
        }
    }
    std::size_t lineCount = std::count(joined.begin(), joined.end(), '\n') + 1;
    EXPECT_GT(lineCount, 20u);
    joined.erase(std::remove(joined.begin(), joined.end(), '\n'), joined.end());
    EXPECT_EQ(joined, std::string(5000, 'w')) << "nothing lost or added by breaking";
    EXPECT_GT(columnWidth, 100);
}

}  // namespace
}  // namespace zelvorin
