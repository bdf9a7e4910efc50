#include "layout/LineItemsTable.h"

#include <algorithm>
#include <cmath>

#include "layout/LineBreaker.h"

namespace zelvorin {

namespace {

enum class Column { description, quantity, rate, amount };

struct ColumnSpec {
    Column column;
    const char* key;  // for columnAlignments
    double width;
    std::string alignment;
    std::string header;
};

double widthOr(const TableConfig& t, const char* key, double extra, double fallback) {
    auto it = t.columnWidths.find(key);
    if (it == t.columnWidths.end() || !std::isfinite(it->second)) return fallback;
    return std::max(0.0, it->second + extra);
}

std::string alignmentOf(const TableConfig& t, const char* key, const char* fallback) {
    if (t.columnAlignments) {
        auto it = t.columnAlignments->find(key);
        if (it != t.columnAlignments->end() &&
            (it->second == "left" || it->second == "center" || it->second == "right")) {
            return it->second;
        }
    }
    return fallback;
}

std::vector<ColumnSpec> columnsFor(const BlockConfig& block, const TableConfig& t, bool dutch,
                                   double tableWidth) {
    std::vector<ColumnSpec> columns;
    columns.push_back({Column::description, "omschrijving", 0, alignmentOf(t, "omschrijving", "left"),
                       dutch ? "Omschrijving" : "Description"});
    if (t.showQuantityColumn && block.fieldVisible("aantal")) {
        columns.push_back({Column::quantity, "aantal", widthOr(t, "qty", 0, 50),
                           alignmentOf(t, "aantal", "right"), dutch ? "Aantal" : "Qty"});
    }
    if (t.showRateColumn && block.fieldVisible("tarief")) {
        columns.push_back({Column::rate, "tarief", widthOr(t, "rate", 10, 65),
                           alignmentOf(t, "tarief", "right"), dutch ? "Tarief" : "Rate"});
    }
    if (t.showLineTotalColumn && block.fieldVisible("bedrag")) {
        columns.push_back({Column::amount, "bedrag", widthOr(t, "amount", 0, 80),
                           alignmentOf(t, "bedrag", "right"), dutch ? "Bedrag" : "Amount"});
    }
    double others = 0;
    for (std::size_t i = 1; i < columns.size(); ++i)
        others += columns[i].width;
    columns[0].width = std::max(0.0, tableWidth - others);
    return columns;
}

struct TableStyle {
    TextStyle body;
    TextStyle header;
    double bodyLineHeight = 0;
    double headerLineHeight = 0;
    double padX = 0;
    double padTop = 0;
    double padBottom = 0;
    std::string textColor;
    std::string headerColor;
};

TableStyle tableStyle(const BlockConfig& block, const InvoiceLayoutConfig& layout) {
    const TableConfig& t = layout.table;
    const TypographyConfig& ty = layout.typography;
    TableStyle s;
    s.body.font = {block.fontFamily.value_or(ty.bodyFontFamily),
                   ty.bodyFontWeight ? ty.bodyFontWeight->value : 400, ty.bodyFontStyle.value_or("normal")};
    s.body.size = block.fontSize.value_or(ty.tableFontSize);
    s.header.font = {t.headerFontFamily.value_or(s.body.font.family),
                     t.headerFontWeight ? t.headerFontWeight->value : 700,
                     t.headerFontStyle.value_or("normal")};
    s.header.size = t.headerFontSize.value_or(s.body.size);
    s.bodyLineHeight = s.body.size * ty.lineHeightTable;
    s.headerLineHeight = s.header.size * ty.lineHeightTable;
    s.padX = std::max(0.0, t.cellPadding.value_or(layout.spacing.tableRowPaddingX));
    s.padTop =
        std::max(0.0, t.cellPaddingTop.value_or(t.cellPadding.value_or(layout.spacing.tableRowPaddingY)));
    s.padBottom =
        std::max(0.0, t.cellPaddingBottom.value_or(t.cellPadding.value_or(layout.spacing.tableRowPaddingY)));
    s.textColor = block.color.value_or(layout.colors.textColor);
    s.headerColor = t.headerTextColor.value_or(s.textColor);
    return s;
}

std::vector<TableCell> cellsAt(const std::vector<ColumnSpec>& columns, std::vector<std::string> texts) {
    std::vector<TableCell> cells;
    double x = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        cells.push_back({std::move(texts[i]), x, columns[i].width, columns[i].alignment});
        x += columns[i].width;
    }
    return cells;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) {
        if (!out.empty()) out += '\n';
        out += line;
    }
    return out;
}

class RowBuilder {
public:
    RowBuilder(const BlockConfig& block, const BlockContext& context, double width)
        : block_(block),
          context_(context),
          table_(context.document.layout.table),
          style_(tableStyle(block, context.document.layout)),
          columns_(columnsFor(block, table_, context.dutch(), std::max(1.0, width))) {}

    std::vector<LayoutTableRow> build() {
        addHeader();
        std::vector<const InvoiceLineItem*> lines;
        for (const InvoiceLineItem& line : context_.document.content.lineItems) {
            if (block_.sectionFilter && line.section.value_or("") != *block_.sectionFilter) continue;
            lines.push_back(&line);
        }
        std::stable_sort(lines.begin(), lines.end(), [](const InvoiceLineItem* a, const InvoiceLineItem* b) {
            return a->sortOrder < b->sortOrder;
        });
        std::optional<std::string> section;
        bool first = true;
        for (const InvoiceLineItem* line : lines) {
            if (block_.showSectionHeader.value_or(false) && line->section &&
                (first || line->section != section)) {
                addSection(*line->section);
            }
            section = line->section;
            first = false;
            addLine(*line);
        }
        return std::move(rows_);
    }

private:
    void place(LayoutTableRow row, double lineCount, double lineHeight) {
        row.y = y_;
        row.height = style_.padTop + lineCount * lineHeight + style_.padBottom;
        row.cellPaddingPt = style_.padX;
        row.lineHeightPt = lineHeight;
        y_ += row.height;
        rows_.push_back(std::move(row));
    }

    void addHeader() {
        LayoutTableRow row;
        row.lineItemId = "__header__";
        row.isHeader = true;
        std::vector<std::string> texts;
        for (const ColumnSpec& c : columns_)
            texts.push_back(c.header);
        row.cells = cellsAt(columns_, std::move(texts));
        if (table_.headerStyle == "background") {
            row.backgroundColor =
                table_.tableHeaderBackground ? table_.tableHeaderBackground
                : table_.headerBackgroundColor
                    ? table_.headerBackgroundColor
                    : context_.document.layout.colors.tableHeaderBackground.value_or("#f0f0f0");
        }
        if (table_.headerStyle == "underline" || table_.headerBorderBottom.value_or(false)) {
            const ColorConfig& colors = context_.document.layout.colors;
            row.borderBottom =
                LayoutTableRow::BorderSpec{table_.headerBorderColor.value_or(colors.borderColor), "solid",
                                           table_.headerBorderWeight.value_or(colors.dividerWeight)};
        }
        setFont(row, style_.header, style_.headerColor);
        place(std::move(row), 1, style_.headerLineHeight);
    }

    void addSection(const std::string& section) {
        LayoutTableRow row;
        row.lineItemId = "__section__";
        row.isSectionHeader = true;
        std::string label = block_.sectionLabel.value_or(section);
        double tableWidth = 0;
        for (const ColumnSpec& c : columns_)
            tableWidth += c.width;
        row.cells.push_back({label, 0, tableWidth, "left"});
        setFont(row, style_.header, style_.headerColor);
        place(std::move(row), 1, style_.headerLineHeight);
    }

    void addLine(const InvoiceLineItem& line) {
        LayoutTableRow row;
        row.lineItemId = line.id;
        std::vector<std::string> texts;
        std::size_t lineCount = 1;
        for (const ColumnSpec& c : columns_) {
            switch (c.column) {
                case Column::description: {
                    std::vector<std::string> lines = descriptionLines(line.description, c.width);
                    lineCount = std::max<std::size_t>(1, lines.size());
                    texts.push_back(joinLines(lines));
                    break;
                }
                case Column::quantity:
                    texts.push_back(context_.format.quantity(line.quantityHundredths ? line.quantityHundredths
                                                                                     : line.hoursHundredths));
                    break;
                case Column::rate:
                    texts.push_back(line.unitPriceCents ? context_.format.money(*line.unitPriceCents) : "");
                    break;
                case Column::amount:
                    texts.push_back(context_.format.money(line.subtotalExVatCents));
                    break;
            }
        }
        row.cells = cellsAt(columns_, std::move(texts));
        if ((table_.zebraRows || table_.zebra.value_or(false)) && bodyIndex_ % 2 == 1)
            row.backgroundColor = "#f9f9f9";
        ++bodyIndex_;
        std::string separator = table_.rowSeparator.value_or(table_.tableBorderStyle);
        if (!separator.empty() && separator != "none") {
            const ColorConfig& colors = context_.document.layout.colors;
            row.borderBottom =
                LayoutTableRow::BorderSpec{table_.rowSeparatorColor.value_or(colors.borderColor), separator,
                                           table_.rowSeparatorWeight.value_or(colors.dividerWeight)};
        }
        setFont(row, style_.body, style_.textColor);
        place(std::move(row), static_cast<double>(lineCount), style_.bodyLineHeight);
    }

    std::vector<std::string> descriptionLines(const std::string& description, double columnWidth) const {
        double textWidth = std::max(1.0, columnWidth - 2 * style_.padX);
        if (!table_.allowWrappedDescriptions) {
            return {fitOnOneLine(context_.measurer, style_.body, description, textWidth)};
        }
        std::vector<std::string> lines = breakLines(context_.measurer, style_.body, description, textWidth);
        long long cap = table_.maxDescriptionLines.value_or(0);
        if (cap >= 1 && lines.size() > static_cast<std::size_t>(cap)) {
            lines.resize(static_cast<std::size_t>(cap));
            lines.back() =
                fitOnOneLine(context_.measurer, style_.body, lines.back() + " \xE2\x80\xA6", textWidth);
        }
        return lines;
    }

    static void setFont(LayoutTableRow& row, const TextStyle& style, const std::string& color) {
        row.fontFamily = style.font.family;
        row.fontSize = style.size;
        row.fontWeight = style.font.weight;
        row.fontStyle = style.font.style;
        row.textColor = color;
    }

    const BlockConfig& block_;
    const BlockContext& context_;
    const TableConfig& table_;
    TableStyle style_;
    std::vector<ColumnSpec> columns_;
    std::vector<LayoutTableRow> rows_;
    double y_ = 0;
    std::size_t bodyIndex_ = 0;
};

}  // namespace

std::vector<LayoutTableRow> buildLineItemRows(const BlockConfig& block, const BlockContext& context,
                                              double width) {
    return RowBuilder(block, context, width).build();
}

}  // namespace zelvorin
