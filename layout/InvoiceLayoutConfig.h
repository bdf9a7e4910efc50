#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zelvorin {

// A CSS-style weight (100...900). Templates write it as a number or as a word.
struct FontWeight {
    double value = 400;
    bool operator==(const FontWeight&) const = default;
};

struct PageConfig {
    std::string pageSize = "A4";  // "A4", "Letter", "Custom"
    std::optional<double> width;
    std::optional<double> height;
    std::string orientation = "portrait";  // "portrait", "landscape"
    double marginTop = 40;
    double marginRight = 40;
    double marginBottom = 40;
    double marginLeft = 40;
    std::string contentWidthMode = "fullWithinMargins";  // or "fixed"
};

struct TypographyConfig {
    std::string headingFontFamily;
    std::string bodyFontFamily;
    std::optional<std::string> amountFontFamily;
    double headingFontSize = 20;
    double bodyFontSize = 9;
    double metaFontSize = 8;
    double tableFontSize = 9;
    double smallPrintFontSize = 7;
    double lineHeightHeading = 1.3;  // multiples of the font size
    double lineHeightBody = 1.4;
    double lineHeightTable = 1.3;
    std::optional<double> letterSpacingHeading;  // em
    std::optional<double> letterSpacingBody;
    std::optional<FontWeight> headingFontWeight;
    std::optional<std::string> headingFontStyle;
    std::optional<FontWeight> bodyFontWeight;
    std::optional<std::string> bodyFontStyle;
};

struct SpacingConfig {
    double blockGap = 16;
    double sectionGap = 24;
    double rowGap = 0;
    double tableRowPaddingY = 5;
    double tableRowPaddingX = 4;
    double headerBottomGap = 24;
    double footerTopGap = 16;
    double totalsTopGap = 8;
};

struct ColorConfig {
    std::string textColor;
    std::string mutedTextColor;
    std::string accentColor;
    std::string borderColor;
    double dividerWeight = 0.5;
    std::optional<std::string> tableHeaderBackground;
};

struct LogoConfig {
    bool visible = true;
    std::string position = "topLeft";
    double maxWidth = 120;
    double maxHeight = 60;
    double marginBottom = 16;
};

enum class BlockType {
    organizationBlock,
    customerBlock,
    documentMetaBlock,
    titleBlock,
    introBlock,
    lineItemsBlock,
    subtotalBlock,
    vatBlock,
    totalsBlock,
    paymentBlock,
    notesBlock,
    footerBlock,
    imageBlock,
    logoBlock,
    textBlock,
    spacerBlock,
    dividerBlock,
    columnsBlock,
    // A type this version does not know (a newer designer wrote it); such blocks print nothing.
    unknown,
};

const char* rawValue(BlockType type);
std::optional<BlockType> parseBlockType(const std::string& raw);

struct BlockConfig {
    BlockType type = BlockType::textBlock;
    std::string typeRaw;  // the text as read, so an unknown type survives a round trip
    std::optional<std::string> id;
    bool visible = true;
    long long order = 0;
    std::string alignment = "left";
    double spacingBefore = 0;
    double spacingAfter = 0;

    std::optional<std::string> fontFamily;
    std::optional<double> fontSize;
    std::optional<FontWeight> fontWeight;
    std::optional<std::string> fontStyle;
    std::optional<std::string> textDecoration;
    std::optional<std::string> textAlign;
    std::optional<double> letterSpacing;
    std::optional<double> lineHeight;
    std::optional<std::string> color;
    std::optional<std::string> backgroundColor;

    std::optional<double> paddingTop, paddingRight, paddingBottom, paddingLeft;
    std::optional<double> marginTop, marginBottom;
    std::optional<bool> keepTogether;
    std::optional<bool> locked;
    std::optional<std::string> variant;
    std::optional<std::string> column;          // "left", "right", "full"
    std::optional<std::string> pageVisibility;  // "first-only", "continuation-only"
    std::optional<bool> asFooter;
    std::optional<std::string> name;

    std::optional<std::string> imageUrl;
    std::optional<std::string> imagePngDataUrl;
    std::optional<std::string> imagePosition;
    std::optional<double> imageMaxWidth, imageMaxHeight;
    std::optional<double> imageNaturalWidth, imageNaturalHeight;

    std::optional<std::vector<BlockConfig>> columnsLeft;
    std::optional<std::vector<BlockConfig>> columnsRight;
    std::optional<double> columnsRatio;
    std::optional<double> columnsGutter;

    std::optional<std::string> sectionFilter;
    std::optional<bool> showSectionHeader;
    std::optional<std::string> sectionLabel;
    std::optional<std::map<std::string, bool>> visibleFields;
    std::optional<std::string> content;
    std::optional<std::string> verticalAlign;

    // False only when visibleFields names the key and maps it to false.
    bool fieldVisible(const std::string& key) const;
};

struct TableConfig {
    bool showUnitColumn = false;
    bool showHoursColumn = true;
    bool showQuantityColumn = false;
    bool showRateColumn = true;
    bool showVatColumn = false;
    bool showDiscountColumn = false;
    bool showLineTotalColumn = true;
    bool allowWrappedDescriptions = true;
    std::optional<long long> maxDescriptionLines;
    std::map<std::string, double> columnWidths;
    std::optional<std::map<std::string, std::string>> columnAlignments;
    std::string headerStyle = "underline";
    bool zebraRows = false;
    std::optional<bool> zebra;
    std::string tableBorderStyle = "none";
    std::optional<std::string> tableHeaderBackground;
    std::optional<std::string> headerBackgroundColor;
    std::optional<double> cellPadding, cellPaddingTop, cellPaddingBottom;
    std::optional<std::string> rowSeparator;
    std::optional<std::string> rowSeparatorColor;
    std::optional<double> rowSeparatorWeight;
    std::optional<bool> headerBorderBottom;
    std::optional<std::string> headerBorderColor;
    std::optional<double> headerBorderWeight;
    std::optional<std::string> headerFontFamily;
    std::optional<double> headerFontSize;
    std::optional<FontWeight> headerFontWeight;
    std::optional<std::string> headerFontStyle;
    std::optional<std::string> headerTextColor;
    std::optional<long long> rowsPerPage;
};

struct FooterPageNumbering {
    bool enabled = false;
    std::string format;  // "{{paginanummer}}" and "{{totaalpaginas}}" stand for the numbers
    std::string position;
};

struct ZonePanelConfig {
    double height = 0;
    std::optional<std::string> backgroundColor;
    std::optional<std::vector<BlockConfig>> subBlocks;
};

struct InvoiceLayoutConfig {
    std::optional<std::string> preset;
    PageConfig page;
    TypographyConfig typography;
    SpacingConfig spacing;
    ColorConfig colors;
    LogoConfig logo;
    std::vector<BlockConfig> blocks;
    TableConfig table;
    std::optional<bool> twoColumnEnabled;
    std::optional<double> columnRatio;
    std::optional<double> columnGutter;
    std::optional<FooterPageNumbering> footerPageNumbering;
    std::optional<std::vector<std::string>> continuationHeaderBlocks;
    std::optional<std::string> pageBackgroundColor;
    std::optional<std::vector<std::string>> orgPalette;
    std::optional<ZonePanelConfig> headerZone;
    std::optional<ZonePanelConfig> footerZone;
    std::optional<bool> headerContinuationEnabled;
    std::optional<ZonePanelConfig> headerContinuation;
    std::optional<bool> footerContinuationEnabled;
    std::optional<ZonePanelConfig> footerContinuation;

    // The share of the left column, clamped to 0.2...0.8 (0.5 when absent).
    double effectiveColumnRatio() const;
    // The gap between the columns, never negative (12 when absent).
    double effectiveColumnGutter() const;
};

}  // namespace zelvorin
