#include <gtest/gtest.h>

#include <algorithm>

#include "layout/BlockMeasurer.h"
#include "layout/tests/TestDocuments.h"

namespace zelvorin {
namespace {

using testing::sampleInvoice;

const std::chrono::sys_days kToday{std::chrono::year{2024} / 4 / 15};

class BlockMeasurerTest : public ::testing::Test {
protected:
    MeasuredBlock measure(const InvoiceDocument& doc, const BlockConfig& block, double width = 515.28) {
        BlockContext context(doc, measurer_, kToday);
        return measureBlock(block, context, width);
    }
    std::string textOf(const InvoiceDocument& doc, const BlockConfig& block) {
        BlockContext context(doc, measurer_, kToday);
        return blockText(block, context);
    }
    static const BlockConfig& blockOf(const InvoiceDocument& doc, BlockType type) {
        return *std::find_if(doc.layout.blocks.begin(), doc.layout.blocks.end(),
                             [&](const BlockConfig& b) { return b.type == type; });
    }

    FontSet fonts_;
    TextMeasurer measurer_{fonts_};
};

std::vector<std::string> headers(const MeasuredBlock& m) {
    std::vector<std::string> out;
    for (const TableCell& c : m.block.rows->front().cells)
        out.push_back(c.text);
    return out;
}

TEST_F(BlockMeasurerTest, TableColumnsFollowFlagsVisibleFieldsAndWidths) {
    InvoiceDocument doc = sampleInvoice(2);
    BlockConfig lines = blockOf(doc, BlockType::lineItemsBlock);
    MeasuredBlock standard = measure(doc, lines);
    EXPECT_EQ(headers(standard), (std::vector<std::string>{"Omschrijving", "Tarief", "Bedrag"}));
    const auto& cells = standard.block.rows->front().cells;
    EXPECT_DOUBLE_EQ(cells[0].width, 515.28 - 65 - 80);
    EXPECT_EQ(cells[2].alignment, "right");

    doc.layout.table.showQuantityColumn = true;
    doc.layout.table.columnWidths = {{"qty", 40}, {"rate", 70}};
    doc.layout.table.columnAlignments = std::map<std::string, std::string>{{"omschrijving", "center"}};
    MeasuredBlock wide = measure(doc, lines);
    EXPECT_EQ(headers(wide), (std::vector<std::string>{"Omschrijving", "Aantal", "Tarief", "Bedrag"}));
    EXPECT_DOUBLE_EQ(wide.block.rows->front().cells[2].width, 80) << "the rate column gets 10 extra";
    EXPECT_EQ(wide.block.rows->front().cells[0].alignment, "center");
    EXPECT_EQ(wide.block.rows->at(1).cells[1].text, "1") << "hours stand in for a missing quantity";

    lines.visibleFields =
        std::map<std::string, bool>{{"tarief", false}, {"bedrag", false}, {"aantal", false}};
    MeasuredBlock bare = measure(doc, lines);
    ASSERT_EQ(bare.block.rows->front().cells.size(), 1u);
    EXPECT_DOUBLE_EQ(bare.block.rows->front().cells[0].width, 515.28);

    doc.locale = "en-GB";
    EXPECT_EQ(headers(measure(doc, blockOf(doc, BlockType::lineItemsBlock))).front(), "Description");
}

TEST_F(BlockMeasurerTest, SectionRowsZebraAndHeaderBackground) {
    InvoiceDocument doc = sampleInvoice(4);
    doc.content.lineItems[0].section = "Ontwerp";
    doc.content.lineItems[1].section = "Ontwerp";
    doc.content.lineItems[2].section = "Bouw";
    doc.content.lineItems[3].section = "Bouw";
    doc.layout.table.zebraRows = true;
    doc.layout.table.headerStyle = "background";
    BlockConfig lines = blockOf(doc, BlockType::lineItemsBlock);
    lines.showSectionHeader = true;
    MeasuredBlock m = measure(doc, lines);
    const auto& rows = *m.block.rows;
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[0].backgroundColor, "#f0f0f0");
    EXPECT_EQ(rows[1].lineItemId, "__section__");
    EXPECT_EQ(rows[1].cells.at(0).text, "Ontwerp");
    EXPECT_EQ(rows[4].cells.at(0).text, "Bouw");
    EXPECT_FALSE(rows[2].backgroundColor);
    EXPECT_EQ(rows[3].backgroundColor, "#f9f9f9");
    for (std::size_t i = 1; i < rows.size(); ++i)
        EXPECT_DOUBLE_EQ(rows[i].y, rows[i - 1].y + rows[i - 1].height);
    EXPECT_DOUBLE_EQ(m.height(), rows.back().y + rows.back().height);

    lines.sectionFilter = "Bouw";
    MeasuredBlock filtered = measure(doc, lines);
    EXPECT_EQ(filtered.block.rows->size(), 4u) << "header, one section row, two lines";
}

TEST_F(BlockMeasurerTest, DescriptionsWrapOrAreCut) {
    InvoiceDocument doc = sampleInvoice(1);
    doc.content.lineItems[0].description = std::string(40, 'a') + " " + std::string(300, 'b');
    BlockConfig lines = blockOf(doc, BlockType::lineItemsBlock);
    auto description = [&] { return measure(doc, lines).block.rows->at(1).cells[0].text; };
    std::string wrapped = description();
    EXPECT_EQ(wrapped.substr(0, 41), std::string(40, 'a') + "\n");

    doc.layout.table.maxDescriptionLines = 1;
    std::string capped = description();
    EXPECT_EQ(capped.find('\n'), std::string::npos);
    EXPECT_EQ(capped.substr(capped.size() - 3), "\xE2\x80\xA6");

    doc.layout.table.maxDescriptionLines.reset();
    doc.layout.table.allowWrappedDescriptions = false;
    EXPECT_EQ(description().find('\n'), std::string::npos);
}

TEST_F(BlockMeasurerTest, PartyAndMetaBlocksComposeTheirLines) {
    InvoiceDocument doc = sampleInvoice(1);
    BlockConfig org = blockOf(doc, BlockType::organizationBlock);
    org.visibleFields = std::map<std::string, bool>{{"adres", false}, {"iban", false}};
    EXPECT_EQ(textOf(doc, org), "Atelier Zeeuw\ninfo@atelierzeeuw.nl\nKVK: 12345678\nBTW-ID: NL001234567B01");
    doc.locale = "en-US";
    doc.dateFormat = "en-us";
    EXPECT_EQ(textOf(doc, blockOf(doc, BlockType::documentMetaBlock)),
              "Invoice number: 2024-0042\nInvoice date: 03/01/2024\nDue date: 03/31/2024");
    EXPECT_EQ(textOf(doc, blockOf(doc, BlockType::customerBlock)),
              "Bakkerij de Korenschoof\nMarktplein 3\n4461 AA Goes");
    BlockConfig custom = blockOf(doc, BlockType::customerBlock);
    custom.content = "T.a.v. {{klant.bedrijf}}\n{{klant.land}}";
    EXPECT_EQ(textOf(doc, custom), "T.a.v. Bakkerij de Korenschoof");
}

TEST_F(BlockMeasurerTest, VatBlockGroupsByTreatmentInDocumentLanguage) {
    InvoiceDocument doc = sampleInvoice(0);
    auto line = [](const char* treatment, std::int64_t vat) {
        InvoiceLineItem item;
        item.id = treatment ? treatment : "none";
        if (treatment) item.vatTreatmentOverride = treatment;
        item.vatAmountCents = vat;
        return item;
    };
    doc.content.lineItems = {line("nl_9", 90), line(nullptr, 210), line("verlegd", 0), line("onbekend", 21),
                             line("exempt", 0)};
    EXPECT_EQ(textOf(doc, blockOf(doc, BlockType::vatBlock)),
              "BTW 21%  € 2,31\nBTW 9%  € 0,90\nBTW verlegd  € 0,00\nBTW 0%  € 0,00");
    doc.locale = "en-GB";
    EXPECT_EQ(textOf(doc, blockOf(doc, BlockType::vatBlock)),
              "VAT 21%  €2.31\nVAT 9%  €0.90\nVAT reverse-charge  €0.00\nVAT 0%  €0.00");
}

TEST_F(BlockMeasurerTest, TextRunsAreAlignedInsideThePaddedBox) {
    InvoiceDocument doc = sampleInvoice(1);
    BlockConfig totals = blockOf(doc, BlockType::totalsBlock);
    totals.paddingLeft = 10;
    totals.paddingRight = 20;
    totals.paddingTop = 5;
    MeasuredBlock m = measure(doc, totals, 300);
    const TextRun& run = m.block.contentRuns->at(0);
    EXPECT_DOUBLE_EQ(run.x + run.width, 300 - 20);
    EXPECT_DOUBLE_EQ(run.y, 5);
    EXPECT_EQ(run.fontWeight, 700);
    EXPECT_DOUBLE_EQ(m.height(), 5 + run.lineHeight);
}

TEST_F(BlockMeasurerTest, LogoFitsItsBoxAndNonImagesPrintNothing) {
    InvoiceDocument doc = sampleInvoice(1);
    BlockConfig logo = blockOf(doc, BlockType::logoBlock);
    // The 24-byte head of a PNG of 300×100 pixels is enough to size it.
    std::string head("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x01\x2c\0\0\0\x64", 24);
    const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    for (std::size_t i = 0; i < head.size(); i += 3) {
        unsigned v = (static_cast<unsigned char>(head[i]) << 16) |
                     (static_cast<unsigned char>(head[i + 1]) << 8) | static_cast<unsigned char>(head[i + 2]);
        for (int s = 18; s >= 0; s -= 6)
            encoded += alphabet[(v >> s) & 63];
    }
    logo.imagePngDataUrl = "data:image/png;base64," + encoded;
    MeasuredBlock m = measure(doc, logo);
    EXPECT_DOUBLE_EQ(*m.block.imageMaxWidth, 120);
    EXPECT_DOUBLE_EQ(m.height(), 40);
    EXPECT_DOUBLE_EQ(m.spacingAfter, 16) << "the logo's own bottom margin";

    logo.imagePngDataUrl = "data:text/plain;base64,aGFsbG8=";
    EXPECT_EQ(measure(doc, logo).height(), 0);
    doc.layout.logo.visible = false;
    logo.imagePngDataUrl = "data:image/png;base64," + encoded;
    EXPECT_EQ(measure(doc, logo).height(), 0);
}

}  // namespace
}  // namespace zelvorin
