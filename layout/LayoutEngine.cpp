#include "layout/LayoutEngine.h"

#include <algorithm>
#include <climits>
#include <optional>

#include "layout/BlockMeasurer.h"
#include "layout/PageGeometry.h"

namespace zelvorin {

namespace {

// A measured block with the x of the column it sits in.
struct Item {
    MeasuredBlock measured;
    double x = 0;
};

// One row of the body: a block across the width, or a left and a right block side by side.
struct Row {
    std::vector<const Item*> items;
    double height() const {
        double h = 0;
        for (const Item* i : items)
            h = std::max(h, i->measured.height());
        return h;
    }
    double spacingBefore() const {
        double s = 0;
        for (const Item* i : items)
            s = std::max(s, i->measured.spacingBefore);
        return s;
    }
    double spacingAfter() const {
        double s = 0;
        for (const Item* i : items)
            s = std::max(s, i->measured.spacingAfter);
        return s;
    }
    const Item* table() const {
        for (const Item* i : items) {
            const auto& rows = i->measured.block.rows;
            if (i->measured.block.type == BlockType::lineItemsBlock && rows && rows->size() > 1) return i;
        }
        return nullptr;
    }
};

std::string effectiveVisibility(const MeasuredBlock& m) {
    if (m.pageVisibility && (*m.pageVisibility == "first-only" || *m.pageVisibility == "continuation-only")) {
        return *m.pageVisibility;
    }
    if (m.pageVisibility && *m.pageVisibility == "all") return "all";
    return m.isFooter() ? "all" : "first-only";
}

bool repeatsOnContinuation(const MeasuredBlock& m) {
    switch (m.block.type) {
        case BlockType::lineItemsBlock:
        case BlockType::subtotalBlock:
        case BlockType::vatBlock:
        case BlockType::totalsBlock:
            return false;
        default:
            return effectiveVisibility(m) != "first-only";
    }
}

LaidOutBlock placedAt(const LaidOutBlock& source, double x, double y) {
    LaidOutBlock b = source;
    b.x = x;
    b.y = y;
    if (b.contentRuns) {
        for (TextRun& run : *b.contentRuns) {
            run.x += x;
            run.y += y;
        }
    }
    if (b.children) {
        for (auto& child : *b.children) {
            child.x += x;
            child.y += y;
            if (child.contentRuns) {
                for (TextRun& run : *child.contentRuns) {
                    run.x += child.x;
                    run.y += child.y;
                }
            }
        }
    }
    return b;
}

std::vector<Row> rowsOf(const std::vector<const Item*>& items, bool twoColumns) {
    std::vector<Row> rows;
    const Item* pendingLeft = nullptr;
    auto flush = [&] {
        if (pendingLeft) rows.push_back(Row{{pendingLeft}});
        pendingLeft = nullptr;
    };
    for (const Item* item : items) {
        const std::string& column = item->measured.column;
        if (!twoColumns || (column != "left" && column != "right")) {
            flush();
            rows.push_back(Row{{item}});
        } else if (column == "left") {
            flush();
            pendingLeft = item;
        } else if (pendingLeft) {
            rows.push_back(Row{{pendingLeft, item}});
            pendingLeft = nullptr;
        } else {
            rows.push_back(Row{{item}});
        }
    }
    flush();
    return rows;
}

class Paginator {
public:
    Paginator(const InvoiceDocument& doc, const PageGeometry& g) : doc_(doc), geometry_(g) {}

    std::vector<Row> firstFlow, continuationFlow;
    std::vector<const Item*> firstFooters, continuationFooters;

    void run() {
        int steps = 0;
        for (const Row& row : firstFlow) {
            if (++steps > LayoutLimits::kMaxPlacementSteps) break;
            if (row.height() <= 0) continue;
            ensurePage();
            if (const Item* table = row.table()) {
                placeTable(row, *table);
            } else {
                placeWhole(row);
            }
        }
        if (pages_.empty() && (!firstFooters.empty())) ensurePage();
        placeFooters();
    }

    std::vector<LaidOutPage> takePages() { return std::move(pages_); }

private:
    const ZonePanelConfig* headerZone(int index) const {
        const auto& l = doc_.layout;
        if (index > 0 && l.headerContinuationEnabled.value_or(false) && l.headerContinuation)
            return &*l.headerContinuation;
        return l.headerZone ? &*l.headerZone : nullptr;
    }
    const ZonePanelConfig* footerZone(int index) const {
        const auto& l = doc_.layout;
        if (index > 0 && l.footerContinuationEnabled.value_or(false) && l.footerContinuation)
            return &*l.footerContinuation;
        return l.footerZone ? &*l.footerZone : nullptr;
    }
    // Panels sit in the margins; a panel taller than its margin pushes the body away from the edge.
    double bodyTop(int index) const {
        const ZonePanelConfig* z = headerZone(index);
        return std::max(geometry_.bodyTop, z ? z->height : 0.0);
    }
    double bodyBottom(int index) const {
        const ZonePanelConfig* z = footerZone(index);
        return std::min(geometry_.bodyBottom, geometry_.pageHeight - (z ? std::max(0.0, z->height) : 0.0));
    }
    double reservation(int index) const {
        double sum = 0;
        for (const Item* f : index == 0 ? firstFooters : continuationFooters)
            sum += f->measured.height();
        return sum;
    }
    int pageIndex() const { return static_cast<int>(pages_.size()) - 1; }
    double available(double y) const { return bodyBottom(pageIndex()) - y - reservation(pageIndex()); }
    bool pageHoldsBlocks() const { return !pages_.back().blocks.empty(); }

    void ensurePage() {
        if (pages_.empty()) startPage();
    }

    void startPage() {
        LaidOutPage page;
        page.pageIndex = static_cast<int>(pages_.size());
        page.width = geometry_.pageWidth;
        page.height = geometry_.pageHeight;
        pages_.push_back(std::move(page));
        cursor_ = bodyTop(pageIndex());
        if (pageIndex() == 0) return;
        for (const Row& row : continuationFlow) {
            if (row.height() <= 0) continue;
            double y = cursor_ + row.spacingBefore();
            for (const Item* item : row.items)
                put(item->measured.block, item->x, y);
            cursor_ = y + row.height() + row.spacingAfter();
        }
    }

    void put(const LaidOutBlock& block, double x, double y) {
        pages_.back().blocks.push_back(placedAt(block, x, y));
    }

    void placeWhole(const Row& row) {
        double y = cursor_ + row.spacingBefore();
        if (row.height() > available(y) && pageHoldsBlocks()) {
            startPage();  // once: on the fresh page the block goes in even when it overflows
            y = cursor_ + row.spacingBefore();
        }
        for (const Item* item : row.items)
            put(item->measured.block, item->x, y);
        cursor_ = y + row.height() + row.spacingAfter();
    }

    void placeTable(const Row& row, const Item& table) {
        const std::vector<LayoutTableRow>& all = *table.measured.block.rows;
        std::optional<LayoutTableRow> header;
        std::vector<const LayoutTableRow*> body;
        for (const LayoutTableRow& r : all) {
            if (r.isHeader && !header) {
                header = r;
            } else {
                body.push_back(&r);
            }
        }
        double headerHeight = header ? header->height : 0;
        std::size_t cap = table.measured.rowsPerPage && *table.measured.rowsPerPage >= 1
                              ? static_cast<std::size_t>(*table.measured.rowsPerPage)
                              : SIZE_MAX;
        std::size_t next = 0;
        int retries = 0;
        bool firstPiece = true;
        while (next < body.size()) {
            double y = cursor_ + row.spacingBefore();
            double limit = available(y);
            double height = headerHeight;
            std::size_t taken = 0;
            while (next + taken < body.size() && taken < cap &&
                   height + body[next + taken]->height <= limit) {
                height += body[next + taken]->height;
                ++taken;
            }
            if (taken == 0) {
                if (pageHoldsBlocks() && retries < LayoutLimits::kMaxTableRetries) {
                    ++retries;
                    startPage();
                    continue;
                }
                height += body[next]->height;  // a row that fits nowhere still prints, overflowing
                taken = 1;
            }
            LaidOutBlock piece = table.measured.block;
            piece.rows = std::vector<LayoutTableRow>{};
            double rowY = 0;
            if (header) {
                piece.rows->push_back(*header);
                piece.rows->back().y = 0;
                rowY = header->height;
            }
            for (std::size_t i = 0; i < taken; ++i) {
                LayoutTableRow r = *body[next + i];
                r.y = rowY;
                rowY += r.height;
                piece.rows->push_back(std::move(r));
            }
            piece.height = height;
            if (!firstPiece) piece.isContinuation = true;
            put(piece, table.x, y);
            if (firstPiece) {
                for (const Item* other : row.items) {
                    if (other != &table) put(other->measured.block, other->x, y);
                }
            }
            firstPiece = false;
            next += taken;
            cursor_ = y + height;
            if (next < body.size()) startPage();
        }
        cursor_ += row.spacingAfter();
    }

    void placeFooters() {
        for (LaidOutPage& page : pages_) {
            const auto& footers = page.pageIndex == 0 ? firstFooters : continuationFooters;
            double y = bodyBottom(page.pageIndex) - reservation(page.pageIndex);
            for (const Item* f : footers) {
                page.blocks.push_back(placedAt(f->measured.block, f->x, y));
                y += f->measured.height();
            }
        }
    }

    const InvoiceDocument& doc_;
    PageGeometry geometry_;
    std::vector<LaidOutPage> pages_;
    double cursor_ = 0;
};

std::vector<BlockConfig> selectedBlocks(const InvoiceLayoutConfig& layout) {
    std::vector<BlockConfig> blocks;
    for (const BlockConfig& b : layout.blocks) {
        if (b.visible) blocks.push_back(b);
    }
    std::stable_sort(blocks.begin(), blocks.end(),
                     [](const BlockConfig& a, const BlockConfig& b) { return a.order < b.order; });
    if (const auto& numbering = layout.footerPageNumbering;
        numbering && numbering->enabled && !numbering->format.empty()) {
        BlockConfig line;
        line.type = BlockType::textBlock;
        line.typeRaw = rawValue(BlockType::textBlock);
        line.id = "pageNumbers";
        line.order = LLONG_MAX;
        const std::string& p = numbering->position;
        line.alignment = p.find("left") != std::string::npos    ? "left"
                         : p.find("right") != std::string::npos ? "right"
                                                                : "center";
        line.content = numbering->format;
        line.asFooter = true;
        line.fontSize = layout.typography.smallPrintFontSize;
        line.color = layout.colors.mutedTextColor;
        line.spacingBefore = line.spacingAfter = 0;
        blocks.push_back(std::move(line));
    }
    return blocks;
}

LaidOutZone zoneFor(const ZonePanelConfig& panel, double zoneY, const BlockContext& ctx,
                    const PageGeometry& g) {
    LaidOutZone zone;
    zone.height = std::max(0.0, panel.height);
    zone.y = zoneY;
    zone.backgroundColor = panel.backgroundColor;
    if (!panel.subBlocks) return zone;
    std::vector<MeasuredBlock> measured;
    double total = 0;
    std::string verticalAlign;
    for (const BlockConfig& b : *panel.subBlocks) {
        if (!b.visible) continue;
        MeasuredBlock m = measureBlock(b, ctx, g.contentWidth);
        if (m.height() <= 0) continue;
        if (verticalAlign.empty() && b.verticalAlign) verticalAlign = *b.verticalAlign;
        total += m.spacingBefore + m.height() + m.spacingAfter;
        measured.push_back(std::move(m));
    }
    double y = zoneY + (verticalAlign == "top"      ? 0
                        : verticalAlign == "bottom" ? zone.height - total
                                                    : (zone.height - total) / 2);
    for (const MeasuredBlock& m : measured) {
        y += m.spacingBefore;
        zone.subBlocks.push_back(placedAt(m.block, g.contentLeft, y));
        y += m.height() + m.spacingAfter;
    }
    return zone;
}

void addZones(std::vector<LaidOutPage>& pages, const InvoiceLayoutConfig& l, const BlockContext& ctx,
              const PageGeometry& g) {
    for (LaidOutPage& page : pages) {
        bool later = page.pageIndex > 0;
        const auto& header = later && l.headerContinuationEnabled.value_or(false) && l.headerContinuation
                                 ? l.headerContinuation
                                 : l.headerZone;
        const auto& footer = later && l.footerContinuationEnabled.value_or(false) && l.footerContinuation
                                 ? l.footerContinuation
                                 : l.footerZone;
        if (header) page.headerZone = zoneFor(*header, 0, ctx, g);
        if (footer) page.footerZone = zoneFor(*footer, g.pageHeight - std::max(0.0, footer->height), ctx, g);
    }
}

// Fills in the page figures now that they are known; a run that changed is measured again and
// moved so that centred and right-aligned lines keep their alignment.
void numberRuns(std::vector<TextRun>& runs, const std::string& alignment, int number, int count,
                const TextMeasurer& measurer) {
    for (TextRun& run : runs) {
        std::string filled = fillPageNumbers(run.text, number, count);
        if (filled == run.text) continue;
        FontRequest font{run.fontFamily, run.fontWeight.value_or(400), run.fontStyle.value_or("normal")};
        double width = measurer.width(font, run.fontSize, filled, run.letterSpacingEm);
        double shift = alignment == "center"  ? (run.width - width) / 2
                       : alignment == "right" ? run.width - width
                                              : 0;
        run.x += shift;
        run.width = width;
        run.text = std::move(filled);
    }
}

void numberBlock(LaidOutBlockBase& block, int number, int count, const TextMeasurer& measurer) {
    if (block.contentRuns) numberRuns(*block.contentRuns, block.alignment, number, count, measurer);
    if (block.rows) {
        for (LayoutTableRow& row : *block.rows) {
            for (TableCell& cell : row.cells)
                cell.text = fillPageNumbers(cell.text, number, count);
        }
    }
}

void numberPages(std::vector<LaidOutPage>& pages, const TextMeasurer& measurer) {
    int count = static_cast<int>(pages.size());
    for (LaidOutPage& page : pages) {
        int number = page.pageIndex + 1;
        auto numberAll = [&](std::vector<LaidOutBlock>& blocks) {
            for (LaidOutBlock& block : blocks) {
                numberBlock(block, number, count, measurer);
                if (block.children) {
                    for (auto& child : *block.children)
                        numberBlock(child, number, count, measurer);
                }
            }
        };
        numberAll(page.blocks);
        if (page.headerZone) numberAll(page.headerZone->subBlocks);
        if (page.footerZone) numberAll(page.footerZone->subBlocks);
    }
}

}  // namespace

LaidOutDocument layoutDocument(const InvoiceDocument& document, const TextMeasurer& measurer,
                               std::chrono::sys_days today) {
    const InvoiceLayoutConfig& layout = document.layout;
    PageGeometry g = PageGeometry::of(layout.page);
    BlockContext ctx(document, measurer, today);
    bool twoColumns = layout.twoColumnEnabled.value_or(false);
    double gutter = layout.effectiveColumnGutter();
    double leftWidth = std::max(1.0, (g.contentWidth - gutter) * layout.effectiveColumnRatio());
    double rightWidth = std::max(1.0, g.contentWidth - gutter - leftWidth);

    // Measure every block once, before pagination.
    std::vector<Item> items;
    for (const BlockConfig& block : selectedBlocks(layout)) {
        std::string column = block.column.value_or("full");
        if (!twoColumns || (column != "left" && column != "right")) {
            items.push_back({measureBlock(block, ctx, g.contentWidth), g.contentLeft});
        } else if (column == "left") {
            items.push_back({measureBlock(block, ctx, leftWidth), g.contentLeft});
        } else {
            items.push_back({measureBlock(block, ctx, rightWidth), g.contentLeft + leftWidth + gutter});
        }
    }

    Paginator paginator(document, g);
    std::vector<const Item*> firstFlow, continuationFlow;
    for (const Item& item : items) {
        const MeasuredBlock& m = item.measured;
        std::string visibility = effectiveVisibility(m);
        bool first = visibility != "continuation-only";
        bool later = repeatsOnContinuation(m);
        if (m.isFooter()) {
            if (m.height() <= 0) continue;
            if (first) paginator.firstFooters.push_back(&item);
            if (visibility != "first-only") paginator.continuationFooters.push_back(&item);
            continue;
        }
        if (first) firstFlow.push_back(&item);
        if (later) continuationFlow.push_back(&item);
    }
    paginator.firstFlow = rowsOf(firstFlow, twoColumns);
    paginator.continuationFlow = rowsOf(continuationFlow, twoColumns);
    paginator.run();

    LaidOutDocument result;
    result.pageBackgroundColor = layout.pageBackgroundColor;
    result.pages = paginator.takePages();
    if (result.pages.empty()) {
        result.pages.push_back(
            LaidOutPage{0, g.pageWidth, g.pageHeight, {}, std::nullopt, std::nullopt, std::nullopt});
        return result;
    }
    addZones(result.pages, layout, ctx, g);
    numberPages(result.pages, measurer);
    return result;
}

}  // namespace zelvorin
