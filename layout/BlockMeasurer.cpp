#include "layout/BlockMeasurer.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "layout/ImageSource.h"
#include "layout/LineItemsTable.h"

namespace zelvorin {

namespace {

double positive(std::optional<double> value) {
    return value && std::isfinite(*value) ? std::max(0.0, *value) : 0.0;
}

std::string knownAlignment(const std::string& value) {
    return value == "center" || value == "right" ? value : "left";
}

bool isHeading(BlockType type) {
    return type == BlockType::titleBlock;
}

void addLine(std::string& text, const std::string& line) {
    if (line.find_first_not_of(' ') == std::string::npos) return;
    if (!text.empty()) text += '\n';
    text += line;
}

std::string joined(std::initializer_list<std::optional<std::string>> parts) {
    std::string out;
    for (const auto& part : parts) {
        if (!part || part->empty()) continue;
        if (!out.empty()) out += ' ';
        out += *part;
    }
    return out;
}

template <typename Party>
void addAddress(std::string& text, const Party& party) {
    addLine(text, joined({party.street, party.houseNumber}));
    addLine(text, joined({party.postcode, party.city}));
    addLine(text, party.country.value_or(""));
}

std::string organizationText(const BlockConfig& block, const BlockContext& ctx) {
    const auto& org = ctx.document.content.organizationSnapshot;
    if (!org) return {};
    bool nl = ctx.dutch();
    std::string text;
    auto labelled = [&](const char* label, const std::optional<std::string>& value) {
        if (value && !value->empty()) addLine(text, label + *value);
    };
    if (block.fieldVisible("naam")) addLine(text, org->name);
    if (block.fieldVisible("adres")) {
        if (!org->street && org->address) addLine(text, *org->address);
        addAddress(text, *org);
    }
    if (block.fieldVisible("telefoon")) addLine(text, org->phone.value_or(""));
    if (block.fieldVisible("email")) addLine(text, org->email.value_or(""));
    labelled(nl ? "KVK: " : "CoC: ", org->kvkNumber);
    labelled(nl ? "BTW-ID: " : "VAT: ", org->vatNumber);
    if (block.fieldVisible("iban")) {
        labelled("BIC: ", org->bic);
        labelled("IBAN: ", org->iban);
    }
    return text;
}

bool shiftsVatToCustomer(const InvoiceContent& content) {
    if (content.vatTreatment == std::string("verlegd")) return true;
    return std::ranges::any_of(content.lineItems, [](const InvoiceLineItem& line) {
        return line.vatTreatmentOverride == std::string("verlegd");
    });
}

std::string customerText(const BlockConfig& block, const BlockContext& ctx) {
    const InvoiceContent& c = ctx.document.content;
    std::string text;
    if (block.fieldVisible("naam")) {
        if (c.customerSnapshot) addLine(text, c.customerSnapshot->companyName);
        addLine(text, ctx.variables.value("{{klant.naam}}"));
    }
    if (block.fieldVisible("adres") && c.customerSnapshot) addAddress(text, *c.customerSnapshot);
    // With the VAT shifted to the customer, the invoice must name the customer's VAT number too.
    if (c.customerSnapshot && c.customerSnapshot->vatNumber && !c.customerSnapshot->vatNumber->empty() &&
        shiftsVatToCustomer(c))
        addLine(text,
                std::string(ctx.dutch() ? "BTW-nummer: " : "VAT number: ") + *c.customerSnapshot->vatNumber);
    if (c.contactSnapshot) {
        if (block.fieldVisible("telefoon")) addLine(text, c.contactSnapshot->phone.value_or(""));
        if (block.fieldVisible("email")) addLine(text, c.contactSnapshot->email.value_or(""));
    }
    return text;
}

std::string metaText(const BlockConfig& block, const BlockContext& ctx) {
    const InvoiceContent& c = ctx.document.content;
    bool nl = ctx.dutch();
    std::string text;
    auto line = [&](const char* label, const std::string& value) {
        if (!value.empty()) addLine(text, std::string(label) + ": " + value);
    };
    if (block.fieldVisible("titel") && c.projectDescription)
        line(nl ? "Onderwerp" : "Subject", *c.projectDescription);
    if (block.fieldVisible("nummer"))
        line(nl ? "Factuurnummer" : "Invoice number", c.invoiceNumber.value_or(""));
    if (block.fieldVisible("datum")) {
        line(nl ? "Factuurdatum" : "Invoice date", ctx.variables.value("{{factuurdatum}}"));
        line(nl ? "Vervaldatum" : "Due date", ctx.variables.value("{{vervaldatum}}"));
    }
    if (block.fieldVisible("nummer")) line(nl ? "Referentie" : "Reference", c.referenceNumber.value_or(""));
    return text;
}

struct VatLabel {
    int group;
    const char* dutch;
    const char* english;
};

VatLabel vatLabel(const std::string& code) {
    if (code == "nl_9") return {1, "BTW 9%", "VAT 9%"};
    if (code == "nl_0") return {2, "BTW 0%", "VAT 0%"};
    if (code == "verlegd") return {3, "BTW verlegd", "VAT reverse-charge"};
    if (code == "exempt") return {4, "BTW 0%", "VAT 0%"};
    return {0, "BTW 21%", "VAT 21%"};
}

std::string vatText(const BlockContext& ctx) {
    struct Group {
        const char* label;
        std::int64_t vatCents = 0;
    };
    std::map<int, Group> groups;  // by group number, so the lines come out 21%, 9%, 0%, verlegd
    const InvoiceContent& c = ctx.document.content;
    for (const InvoiceLineItem& line : c.lineItems) {
        VatLabel label = vatLabel(line.vatTreatmentOverride.value_or(c.vatTreatment.value_or("")));
        Group& group =
            groups.try_emplace(label.group, Group{ctx.dutch() ? label.dutch : label.english}).first->second;
        group.vatCents += line.vatAmountCents;
    }
    std::string text;
    for (const auto& [number, group] : groups)
        addLine(text, std::string(group.label) + "  " + ctx.format.money(group.vatCents));
    return text;
}

std::string amountLine(const char* label, std::int64_t cents, const BlockContext& ctx) {
    return std::string(label) + "  " + ctx.format.money(cents);
}

std::string paymentText(const BlockContext& ctx) {
    const InvoiceContent& c = ctx.document.content;
    if (c.paymentInstructions && !c.paymentInstructions->empty())
        return ctx.variables.substituteLines(*c.paymentInstructions);
    if (!c.organizationSnapshot || !c.organizationSnapshot->iban) return {};
    return ctx.variables.substitute(
        ctx.dutch()
            ? "Gelieve het factuurbedrag binnen {{betaaltermijn}} dagen over te maken naar IBAN {{org.iban}} "
              "t.n.v. {{org.naam}} onder vermelding van het factuurnummer."
            : "Please transfer the invoice amount within {{betaaltermijn}} days to IBAN {{org.iban}} in the "
              "name of {{org.naam}}, mentioning the invoice number.");
}

std::int64_t sumOf(const InvoiceContent& c, std::int64_t InvoiceLineItem::*field) {
    std::int64_t sum = 0;
    for (const InvoiceLineItem& line : c.lineItems)
        sum += line.*field;
    return sum;
}

void measureText(MeasuredBlock& m, const BlockConfig& block, const BlockContext& ctx, double width) {
    const std::string text = blockText(block, ctx);
    if (text.empty()) return;
    BlockStyle style = styleFor(block, ctx.document.layout);
    double padLeft = positive(block.paddingLeft), padTop = positive(block.paddingTop);
    double inner = std::max(1.0, width - padLeft - positive(block.paddingRight));
    std::vector<std::string> lines = breakLines(ctx.measurer, style.text, text, inner);
    std::vector<TextRun> runs;
    double lineHeight = style.lineHeightPt();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        TextRun run;
        run.text = lines[i];
        run.width =
            ctx.measurer.width(style.text.font, style.text.size, run.text, style.text.letterSpacingEm);
        run.x = padLeft;
        if (style.alignment == "center") run.x += (inner - run.width) / 2;
        if (style.alignment == "right") run.x += inner - run.width;
        run.y = padTop + static_cast<double>(i) * lineHeight;
        run.fontSize = style.text.size;
        run.fontFamily = style.text.font.family;
        run.color = style.color;
        run.fontWeight = style.text.font.weight;
        run.fontStyle = style.text.font.style;
        run.lineHeight = lineHeight;
        run.letterSpacingEm = style.text.letterSpacingEm;
        runs.push_back(std::move(run));
    }
    m.block.height = padTop + static_cast<double>(lines.size()) * lineHeight + positive(block.paddingBottom);
    m.block.alignment = style.alignment;
    m.block.contentRuns = std::move(runs);
}

void measureImage(MeasuredBlock& m, const BlockConfig& block, const BlockContext& ctx, double width) {
    const LogoConfig& logo = ctx.document.layout.logo;
    if (block.type == BlockType::logoBlock && !logo.visible) return;
    std::string url = block.imagePngDataUrl.value_or(block.imageUrl.value_or(""));
    if (!url.starts_with("data:")) return;  // only data URLs are drawn (see ImageSource.h)
    bool isLogo = block.type == BlockType::logoBlock;
    double maxW = std::min(width, positive(block.imageMaxWidth ? block.imageMaxWidth
                                           : isLogo            ? std::optional(logo.maxWidth)
                                                               : std::optional(width)));
    double maxH = positive(block.imageMaxHeight ? block.imageMaxHeight
                           : isLogo             ? std::optional(logo.maxHeight)
                                                : std::optional(200.0));
    std::optional<ImageSize> natural;
    if (block.imageNaturalWidth && block.imageNaturalHeight && *block.imageNaturalWidth > 0 &&
        *block.imageNaturalHeight > 0) {
        natural = ImageSize{*block.imageNaturalWidth, *block.imageNaturalHeight};
    } else if (auto bytes = dataUrlBytes(url)) {
        natural = imageSize(*bytes);
        if (!natural) return;  // a data URL that is not a picture prints nothing
    } else if (url.substr(0, 5) == "data:") {
        return;
    }
    double drawW = maxW, drawH = maxH;
    if (natural) {
        double scale = std::min(maxW / natural->width, maxH / natural->height);
        drawW = natural->width * scale;
        drawH = natural->height * scale;
    }
    if (!(drawW > 0 && drawH > 0)) return;
    m.block.imageUrl = url;
    m.block.imageMaxWidth = drawW;
    m.block.imageMaxHeight = drawH;
    m.block.imagePosition = block.imagePosition;
    m.block.height = drawH;
    m.block.alignment = knownAlignment(block.alignment);
    if (isLogo) m.spacingAfter += std::max(0.0, logo.marginBottom);
}

void measureColumns(MeasuredBlock& m, const BlockConfig& block, const BlockContext& ctx, double width) {
    double ratio = std::clamp(block.columnsRatio.value_or(0.5), 0.1, 0.9);
    double gutter = positive(block.columnsGutter ? block.columnsGutter : std::optional(12.0));
    double leftWidth = std::max(1.0, (width - gutter) * ratio);
    double rightWidth = std::max(1.0, width - gutter - leftWidth);
    std::vector<LaidOutBlock::ChildBlock> children;
    double tallest = 0;
    auto stack = [&](const std::optional<std::vector<BlockConfig>>& blocks, double x, double w) {
        if (!blocks) return;
        double y = 0;
        for (const BlockConfig& child : *blocks) {
            if (!child.visible || child.type == BlockType::columnsBlock) continue;  // one level deep
            MeasuredBlock measured = measureBlock(child, ctx, w);
            if (measured.height() <= 0) continue;
            y += measured.spacingBefore;
            LaidOutBlock::ChildBlock placed = measured.block;
            placed.x = x;
            placed.y = y;
            y += measured.height() + measured.spacingAfter;
            children.push_back(std::move(placed));
        }
        tallest = std::max(tallest, y);
    };
    stack(block.columnsLeft, 0, leftWidth);
    stack(block.columnsRight, leftWidth + gutter, rightWidth);
    if (children.empty()) return;
    m.block.height = tallest;
    m.block.children = std::move(children);
}

}  // namespace

BlockStyle styleFor(const BlockConfig& block, const InvoiceLayoutConfig& layout) {
    const TypographyConfig& t = layout.typography;
    BlockStyle s;
    bool heading = isHeading(block.type);
    double size = heading ? t.headingFontSize : t.bodyFontSize;
    if (block.type == BlockType::documentMetaBlock) size = t.metaFontSize;
    if (block.type == BlockType::footerBlock) size = t.smallPrintFontSize;
    std::optional<FontWeight> weight = heading ? t.headingFontWeight : t.bodyFontWeight;
    double defaultWeight = heading || block.type == BlockType::totalsBlock ? 700 : 400;
    std::string family = heading ? t.headingFontFamily : t.bodyFontFamily;
    bool amounts = block.type == BlockType::subtotalBlock || block.type == BlockType::vatBlock ||
                   block.type == BlockType::totalsBlock;
    if (amounts && t.amountFontFamily) family = *t.amountFontFamily;
    s.text.font.family = block.fontFamily.value_or(family);
    s.text.font.weight = block.fontWeight                       ? block.fontWeight->value
                         : block.type == BlockType::totalsBlock ? 700
                         : weight                               ? weight->value
                                                                : defaultWeight;
    s.text.font.style =
        block.fontStyle.value_or((heading ? t.headingFontStyle : t.bodyFontStyle).value_or("normal"));
    s.text.size = block.fontSize && *block.fontSize > 0 ? *block.fontSize : size;
    if (!(std::isfinite(s.text.size) && s.text.size > 0)) s.text.size = 9;
    s.text.letterSpacingEm =
        block.letterSpacing.value_or((heading ? t.letterSpacingHeading : t.letterSpacingBody).value_or(0));
    s.lineHeight = block.lineHeight.value_or(heading ? t.lineHeightHeading : t.lineHeightBody);
    if (!(std::isfinite(s.lineHeight) && s.lineHeight > 0)) s.lineHeight = 1.2;
    bool muted = block.type == BlockType::footerBlock;
    s.color = block.color.value_or(muted ? layout.colors.mutedTextColor : layout.colors.textColor);
    s.alignment = knownAlignment(block.textAlign.value_or(block.alignment));
    return s;
}

std::string blockText(const BlockConfig& block, const BlockContext& ctx) {
    if (block.content) return ctx.variables.substituteLines(*block.content);
    const InvoiceContent& c = ctx.document.content;
    bool nl = ctx.dutch();
    auto filled = [&](const std::optional<std::string>& text) {
        return text ? ctx.variables.substituteLines(*text) : std::string();
    };
    switch (block.type) {
        case BlockType::organizationBlock:
            return organizationText(block, ctx);
        case BlockType::customerBlock:
            return customerText(block, ctx);
        case BlockType::documentMetaBlock:
            return metaText(block, ctx);
        case BlockType::titleBlock:
            return c.title && !c.title->empty() ? *c.title : nl ? "Factuur" : "Invoice";
        case BlockType::introBlock:
            return filled(c.introText);
        case BlockType::notesBlock:
            return filled(c.notesExternal);
        case BlockType::footerBlock:
            return filled(c.footerText);
        case BlockType::paymentBlock:
            return paymentText(ctx);
        case BlockType::subtotalBlock:
            return amountLine(nl ? "Subtotaal" : "Subtotal", sumOf(c, &InvoiceLineItem::subtotalExVatCents),
                              ctx);
        case BlockType::vatBlock:
            return vatText(ctx);
        case BlockType::totalsBlock:
            return amountLine(nl ? "Totaal" : "Total", sumOf(c, &InvoiceLineItem::totalIncVatCents), ctx);
        default:
            return {};
    }
}

MeasuredBlock measureBlock(const BlockConfig& block, const BlockContext& ctx, double width) {
    MeasuredBlock m;
    width = std::isfinite(width) ? std::max(1.0, width) : 1.0;
    m.block.id = block.id.value_or(block.typeRaw.empty() ? rawValue(block.type) : block.typeRaw);
    m.block.type = block.type;
    m.block.width = width;
    m.block.backgroundColor = block.backgroundColor;
    m.block.textDecoration = block.textDecoration;
    if (block.letterSpacing) m.block.letterSpacingEm = block.letterSpacing;
    m.block.alignment = knownAlignment(block.alignment);
    m.keepTogether = block.keepTogether.value_or(false);
    m.spacingBefore = positive(block.spacingBefore) + positive(block.marginTop);
    m.spacingAfter = positive(block.spacingAfter) + positive(block.marginBottom);
    m.asFooter = block.asFooter.value_or(false);
    m.pageVisibility = block.pageVisibility;
    m.column = block.column.value_or("full");
    const InvoiceLayoutConfig& layout = ctx.document.layout;
    if (layout.table.rowsPerPage) m.rowsPerPage = layout.table.rowsPerPage;
    switch (block.type) {
        case BlockType::lineItemsBlock: {
            auto rows = buildLineItemRows(block, ctx, width);
            m.block.height = rows.empty() ? 0 : rows.back().y + rows.back().height;
            m.block.rows = std::move(rows);
            break;
        }
        case BlockType::imageBlock:
        case BlockType::logoBlock:
            measureImage(m, block, ctx, width);
            break;
        case BlockType::columnsBlock:
            measureColumns(m, block, ctx, width);
            break;
        case BlockType::spacerBlock:
            m.block.height = block.paddingTop || block.paddingBottom
                                 ? positive(block.paddingTop) + positive(block.paddingBottom)
                                 : std::max(0.0, layout.spacing.blockGap);
            break;
        case BlockType::dividerBlock:
            m.block.height = std::max(0.5, layout.colors.dividerWeight);
            m.block.blockColor = block.color.value_or(layout.colors.borderColor);
            break;
        case BlockType::unknown:
            break;
        default:
            measureText(m, block, ctx, width);
            if (m.block.height > 0) m.block.blockColor = styleFor(block, layout).color;
            break;
    }
    if (!std::isfinite(m.block.height) || m.block.height < 0) m.block.height = 0;
    return m;
}

}  // namespace zelvorin
