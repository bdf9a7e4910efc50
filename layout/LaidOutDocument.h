#pragma once

#include <optional>
#include <string>
#include <vector>

#include "layout/InvoiceLayoutConfig.h"

namespace zelvorin {

// One line of text, positioned: (x, y) is the top-left of the line box, width the measured advance.
struct TextRun {
    std::string text;
    double x = 0;
    double y = 0;
    double width = 0;
    double fontSize = 0;
    std::string fontFamily;
    std::optional<std::string> color;
    std::optional<double> fontWeight;
    std::optional<std::string> fontStyle;
    // Height of the line box; the baseline sits where the font's ascent puts it inside it.
    double lineHeight = 0;
    double letterSpacingEm = 0;
};

struct TableCell {
    std::string text;  // several lines are separated by line feeds
    double x = 0;      // relative to the table's left edge
    double width = 0;
    std::string alignment = "left";
};

struct LayoutTableRow {
    struct BorderSpec {
        std::string color;
        std::string style;
        double weight = 0;
    };
    std::string lineItemId;  // the line's id, "__header__" or "__section__"
    std::vector<TableCell> cells;
    double y = 0;  // relative to the top of the block that holds the row
    double height = 0;
    bool isHeader = false;
    std::optional<bool> isSectionHeader;
    std::optional<std::string> backgroundColor;
    std::optional<BorderSpec> borderBottom;
    std::optional<double> cellPaddingPt;
    std::optional<double> lineHeightPt;
    std::optional<std::string> fontFamily;
    std::optional<double> fontSize;
    std::optional<double> fontWeight;
    std::optional<std::string> fontStyle;
    std::optional<std::string> textColor;
};

// Drawing attributes shared by placed blocks and by the children of a columns block.
struct LaidOutBlockBase {
    std::string id;
    BlockType type = BlockType::textBlock;
    double x = 0, y = 0, width = 0, height = 0;       // page coordinates
    std::optional<std::vector<TextRun>> contentRuns;  // page coordinates
    std::optional<std::vector<LayoutTableRow>> rows;  // y relative to the block's top
    std::optional<std::string> imageUrl;
    std::optional<double> imageMaxWidth, imageMaxHeight;
    std::optional<std::string> imagePosition;
    std::optional<std::string> backgroundColor;
    std::optional<double> letterSpacingEm;
    std::optional<std::string> textDecoration;
    // Dividers draw a line of this colour; other blocks use it as their default text colour.
    std::optional<std::string> blockColor;
    std::string alignment = "left";
};

struct LaidOutBlock : LaidOutBlockBase {
    using ChildBlock = LaidOutBlockBase;
    std::optional<bool> isContinuation;
    std::optional<std::vector<ChildBlock>> children;
};

struct LaidOutZone {
    double height = 0;
    double y = 0;  // the panel's top on the page
    std::optional<std::string> backgroundColor;
    std::vector<LaidOutBlock> subBlocks;
};

// A payment QR code on a page: the text it encodes, in a square of `size` points at (x, y),
// quiet zone included.
struct PaymentCodeBox {
    std::string text;
    double x = 0, y = 0, size = 0;
};

struct LaidOutPage {
    int pageIndex = 0;
    double width = 0;
    double height = 0;
    std::vector<LaidOutBlock> blocks;
    std::optional<LaidOutZone> headerZone;
    std::optional<LaidOutZone> footerZone;
    std::optional<PaymentCodeBox> paymentCode;
};

struct LaidOutDocument {
    std::vector<LaidOutPage> pages;
    std::optional<std::string> pageBackgroundColor;
};

}  // namespace zelvorin
