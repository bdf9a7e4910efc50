#include "layout/LayoutJson.h"

#include <utility>

#include "domain/JsonNesting.h"
#include "layout/LayoutError.h"

namespace zelvorin {

using nlohmann::json;

namespace {

// Reads one JSON object field by field, naming the path of the field when something is wrong.
class Reader {
public:
    Reader(const json& object, std::string path) : object_(object), path_(std::move(path)) {
        if (!object_.is_object()) fail("", "is geen object");
    }

    template <typename T>
    T required(const char* key) const {
        auto it = object_.find(key);
        if (it == object_.end() || it->is_null()) fail(key, "ontbreekt");
        return convert<T>(*it, key);
    }

    template <typename T>
    void optional(const char* key, std::optional<T>& out) const {
        auto it = object_.find(key);
        if (it == object_.end() || it->is_null()) return;
        out = convert<T>(*it, key);
    }

    const json* child(const char* key) const {
        auto it = object_.find(key);
        if (it == object_.end() || it->is_null()) return nullptr;
        return &*it;
    }
    const json& requiredChild(const char* key) const {
        const json* value = child(key);
        if (value == nullptr) fail(key, "ontbreekt");
        return *value;
    }
    std::string pathOf(const char* key) const { return path_.empty() ? key : path_ + "." + key; }

    [[noreturn]] void fail(const std::string& key, const std::string& what) const {
        std::string where = key.empty() ? path_ : pathOf(key.c_str());
        throw LayoutError(
            LayoutError::Kind::invalidDocument,
            "Ongeldige opmaak: " + (where.empty() ? std::string("document") : where) + " " + what);
    }

private:
    template <typename T>
    T convert(const json& value, const char* key) const {
        try {
            if constexpr (std::is_same_v<T, double>) {
                if (!value.is_number()) fail(key, "is geen getal");
            } else if constexpr (std::is_same_v<T, long long> || std::is_same_v<T, std::int64_t>) {
                if (!value.is_number()) fail(key, "is geen geheel getal");
                if (value.is_number_float()) return static_cast<T>(value.get<double>());
            } else if constexpr (std::is_same_v<T, bool>) {
                if (!value.is_boolean()) fail(key, "is geen waarheidswaarde");
            } else if constexpr (std::is_same_v<T, std::string>) {
                if (!value.is_string()) fail(key, "is geen tekst");
            }
            return value.get<T>();
        } catch (const json::exception&) {
            fail(key, "heeft een onbruikbare waarde");
        }
    }

    const json& object_;
    std::string path_;
};

template <typename T, typename F>
std::vector<T> arrayOf(const Reader& reader, const json& array, const char* key, F&& decode) {
    if (!array.is_array()) reader.fail(key, "is geen lijst");
    std::vector<T> result;
    result.reserve(array.size());
    for (const json& item : array)
        result.push_back(decode(item, reader.pathOf(key)));
    return result;
}

template <typename T>
void put(json& out, const char* key, const std::optional<T>& value) {
    if (value) out[key] = *value;
}

PageConfig pageFromJson(const json& j, const std::string& path) {
    Reader r(j, path);
    PageConfig page;
    page.pageSize = r.required<std::string>("pageSize");
    r.optional("width", page.width);
    r.optional("height", page.height);
    page.orientation = r.required<std::string>("orientation");
    page.marginTop = r.required<double>("marginTop");
    page.marginRight = r.required<double>("marginRight");
    page.marginBottom = r.required<double>("marginBottom");
    page.marginLeft = r.required<double>("marginLeft");
    page.contentWidthMode = r.required<std::string>("contentWidthMode");
    return page;
}

void optionalWeight(const Reader& r, const char* key, std::optional<FontWeight>& out) {
    if (const json* value = r.child(key)) out = fontWeightFromJson(*value);
}

TypographyConfig typographyFromJson(const json& j, const std::string& path) {
    Reader r(j, path);
    TypographyConfig t;
    t.headingFontFamily = r.required<std::string>("headingFontFamily");
    t.bodyFontFamily = r.required<std::string>("bodyFontFamily");
    r.optional("amountFontFamily", t.amountFontFamily);
    t.headingFontSize = r.required<double>("headingFontSize");
    t.bodyFontSize = r.required<double>("bodyFontSize");
    t.metaFontSize = r.required<double>("metaFontSize");
    t.tableFontSize = r.required<double>("tableFontSize");
    t.smallPrintFontSize = r.required<double>("smallPrintFontSize");
    t.lineHeightHeading = r.required<double>("lineHeightHeading");
    t.lineHeightBody = r.required<double>("lineHeightBody");
    t.lineHeightTable = r.required<double>("lineHeightTable");
    r.optional("letterSpacingHeading", t.letterSpacingHeading);
    r.optional("letterSpacingBody", t.letterSpacingBody);
    optionalWeight(r, "headingFontWeight", t.headingFontWeight);
    r.optional("headingFontStyle", t.headingFontStyle);
    optionalWeight(r, "bodyFontWeight", t.bodyFontWeight);
    r.optional("bodyFontStyle", t.bodyFontStyle);
    return t;
}

SpacingConfig spacingFromJson(const json& j, const std::string& path) {
    Reader r(j, path);
    SpacingConfig s;
    s.blockGap = r.required<double>("blockGap");
    s.sectionGap = r.required<double>("sectionGap");
    s.rowGap = r.required<double>("rowGap");
    s.tableRowPaddingY = r.required<double>("tableRowPaddingY");
    s.tableRowPaddingX = r.required<double>("tableRowPaddingX");
    s.headerBottomGap = r.required<double>("headerBottomGap");
    s.footerTopGap = r.required<double>("footerTopGap");
    s.totalsTopGap = r.required<double>("totalsTopGap");
    return s;
}

ColorConfig colorsFromJson(const json& j, const std::string& path) {
    Reader r(j, path);
    ColorConfig c;
    c.textColor = r.required<std::string>("textColor");
    c.mutedTextColor = r.required<std::string>("mutedTextColor");
    c.accentColor = r.required<std::string>("accentColor");
    c.borderColor = r.required<std::string>("borderColor");
    c.dividerWeight = r.required<double>("dividerWeight");
    r.optional("tableHeaderBackground", c.tableHeaderBackground);
    return c;
}

LogoConfig logoFromJson(const json& j, const std::string& path) {
    Reader r(j, path);
    LogoConfig l;
    l.visible = r.required<bool>("visible");
    l.position = r.required<std::string>("position");
    l.maxWidth = r.required<double>("maxWidth");
    l.maxHeight = r.required<double>("maxHeight");
    l.marginBottom = r.required<double>("marginBottom");
    return l;
}

BlockConfig blockFromJson(const json& j, const std::string& path, int nesting);

// `nesting`: how many blocks hold the list (columns in columns in a zone's sub-blocks ...).
std::vector<BlockConfig> blocksFromJson(const Reader& r, const char* key, int nesting) {
    if (nesting > kMaxBlockNesting)
        r.fail(key, "nest blokken dieper dan " + std::to_string(kMaxBlockNesting) + " niveaus");
    return arrayOf<BlockConfig>(
        r, r.requiredChild(key), key,
        [nesting](const json& item, const std::string& path) { return blockFromJson(item, path, nesting); });
}

void readBlockText(const Reader& r, BlockConfig& b) {
    r.optional("fontFamily", b.fontFamily);
    r.optional("fontSize", b.fontSize);
    optionalWeight(r, "fontWeight", b.fontWeight);
    r.optional("fontStyle", b.fontStyle);
    r.optional("textDecoration", b.textDecoration);
    r.optional("textAlign", b.textAlign);
    r.optional("letterSpacing", b.letterSpacing);
    r.optional("lineHeight", b.lineHeight);
    r.optional("color", b.color);
    r.optional("backgroundColor", b.backgroundColor);
}

void readBlockBox(const Reader& r, BlockConfig& b) {
    r.optional("paddingTop", b.paddingTop);
    r.optional("paddingRight", b.paddingRight);
    r.optional("paddingBottom", b.paddingBottom);
    r.optional("paddingLeft", b.paddingLeft);
    r.optional("marginTop", b.marginTop);
    r.optional("marginBottom", b.marginBottom);
    r.optional("keepTogether", b.keepTogether);
    r.optional("locked", b.locked);
    r.optional("variant", b.variant);
    r.optional("column", b.column);
    r.optional("pageVisibility", b.pageVisibility);
    r.optional("asFooter", b.asFooter);
    r.optional("name", b.name);
}

void readBlockExtras(const Reader& r, BlockConfig& b, int nesting) {
    r.optional("imageUrl", b.imageUrl);
    r.optional("imagePngDataUrl", b.imagePngDataUrl);
    r.optional("imagePosition", b.imagePosition);
    r.optional("imageMaxWidth", b.imageMaxWidth);
    r.optional("imageMaxHeight", b.imageMaxHeight);
    r.optional("imageNaturalWidth", b.imageNaturalWidth);
    r.optional("imageNaturalHeight", b.imageNaturalHeight);
    if (r.child("columnsLeft")) b.columnsLeft = blocksFromJson(r, "columnsLeft", nesting + 1);
    if (r.child("columnsRight")) b.columnsRight = blocksFromJson(r, "columnsRight", nesting + 1);
    r.optional("columnsRatio", b.columnsRatio);
    r.optional("columnsGutter", b.columnsGutter);
    r.optional("sectionFilter", b.sectionFilter);
    r.optional("showSectionHeader", b.showSectionHeader);
    r.optional("sectionLabel", b.sectionLabel);
    r.optional("visibleFields", b.visibleFields);
    r.optional("content", b.content);
    r.optional("verticalAlign", b.verticalAlign);
}

BlockConfig blockFromJson(const json& j, const std::string& path, int nesting) {
    Reader r(j, path);
    BlockConfig b;
    b.typeRaw = r.required<std::string>("type");
    b.type = parseBlockType(b.typeRaw).value_or(BlockType::unknown);
    r.optional("id", b.id);
    b.visible = r.required<bool>("visible");
    b.order = r.required<long long>("order");
    b.alignment = r.required<std::string>("alignment");
    b.spacingBefore = r.required<double>("spacingBefore");
    b.spacingAfter = r.required<double>("spacingAfter");
    readBlockText(r, b);
    readBlockBox(r, b);
    readBlockExtras(r, b, nesting);
    return b;
}

void readTableStyle(const Reader& r, TableConfig& t) {
    r.optional("zebra", t.zebra);
    r.optional("tableHeaderBackground", t.tableHeaderBackground);
    r.optional("headerBackgroundColor", t.headerBackgroundColor);
    r.optional("cellPadding", t.cellPadding);
    r.optional("cellPaddingTop", t.cellPaddingTop);
    r.optional("cellPaddingBottom", t.cellPaddingBottom);
    r.optional("rowSeparator", t.rowSeparator);
    r.optional("rowSeparatorColor", t.rowSeparatorColor);
    r.optional("rowSeparatorWeight", t.rowSeparatorWeight);
    r.optional("headerBorderBottom", t.headerBorderBottom);
    r.optional("headerBorderColor", t.headerBorderColor);
    r.optional("headerBorderWeight", t.headerBorderWeight);
    r.optional("headerFontFamily", t.headerFontFamily);
    r.optional("headerFontSize", t.headerFontSize);
    optionalWeight(r, "headerFontWeight", t.headerFontWeight);
    r.optional("headerFontStyle", t.headerFontStyle);
    r.optional("headerTextColor", t.headerTextColor);
    r.optional("rowsPerPage", t.rowsPerPage);
}

TableConfig tableFromJson(const json& j, const std::string& path) {
    Reader r(j, path);
    TableConfig t;
    t.showUnitColumn = r.required<bool>("showUnitColumn");
    t.showHoursColumn = r.required<bool>("showHoursColumn");
    t.showQuantityColumn = r.required<bool>("showQuantityColumn");
    t.showRateColumn = r.required<bool>("showRateColumn");
    t.showVatColumn = r.required<bool>("showVatColumn");
    t.showDiscountColumn = r.required<bool>("showDiscountColumn");
    t.showLineTotalColumn = r.required<bool>("showLineTotalColumn");
    t.allowWrappedDescriptions = r.required<bool>("allowWrappedDescriptions");
    r.optional("maxDescriptionLines", t.maxDescriptionLines);
    t.columnWidths = r.required<std::map<std::string, double>>("columnWidths");
    r.optional("columnAlignments", t.columnAlignments);
    t.headerStyle = r.required<std::string>("headerStyle");
    t.zebraRows = r.required<bool>("zebraRows");
    t.tableBorderStyle = r.required<std::string>("tableBorderStyle");
    readTableStyle(r, t);
    return t;
}

ZonePanelConfig zoneFromJson(const json& j, const std::string& path) {
    Reader r(j, path);
    ZonePanelConfig z;
    z.height = r.required<double>("height");
    r.optional("backgroundColor", z.backgroundColor);
    if (r.child("subBlocks")) z.subBlocks = blocksFromJson(r, "subBlocks", 1);
    return z;
}

void optionalZone(const Reader& r, const char* key, std::optional<ZonePanelConfig>& out) {
    if (const json* value = r.child(key)) out = zoneFromJson(*value, r.pathOf(key));
}

FooterPageNumbering numberingFromJson(const json& j, const std::string& path) {
    Reader r(j, path);
    return FooterPageNumbering{r.required<bool>("enabled"), r.required<std::string>("format"),
                               r.required<std::string>("position")};
}

InvoiceLayoutConfig layoutFromJson(const json& j, const std::string& path) {
    Reader r(j, path);
    InvoiceLayoutConfig l;
    r.optional("preset", l.preset);
    l.page = pageFromJson(r.requiredChild("page"), r.pathOf("page"));
    l.typography = typographyFromJson(r.requiredChild("typography"), r.pathOf("typography"));
    l.spacing = spacingFromJson(r.requiredChild("spacing"), r.pathOf("spacing"));
    l.colors = colorsFromJson(r.requiredChild("colors"), r.pathOf("colors"));
    l.logo = logoFromJson(r.requiredChild("logo"), r.pathOf("logo"));
    l.blocks = blocksFromJson(r, "blocks", 0);
    l.table = tableFromJson(r.requiredChild("table"), r.pathOf("table"));
    r.optional("twoColumnEnabled", l.twoColumnEnabled);
    r.optional("columnRatio", l.columnRatio);
    r.optional("columnGutter", l.columnGutter);
    if (const json* n = r.child("footerPageNumbering")) {
        l.footerPageNumbering = numberingFromJson(*n, r.pathOf("footerPageNumbering"));
    }
    r.optional("continuationHeaderBlocks", l.continuationHeaderBlocks);
    r.optional("pageBackgroundColor", l.pageBackgroundColor);
    r.optional("orgPalette", l.orgPalette);
    optionalZone(r, "headerZone", l.headerZone);
    optionalZone(r, "footerZone", l.footerZone);
    r.optional("headerContinuationEnabled", l.headerContinuationEnabled);
    optionalZone(r, "headerContinuation", l.headerContinuation);
    r.optional("footerContinuationEnabled", l.footerContinuationEnabled);
    optionalZone(r, "footerContinuation", l.footerContinuation);
    return l;
}

OrganizationSnapshot organizationFromJson(const json& j, const std::string& path) {
    Reader r(j, path);
    OrganizationSnapshot o;
    o.name = r.required<std::string>("name");
    r.optional("address", o.address);
    r.optional("street", o.street);
    r.optional("houseNumber", o.houseNumber);
    r.optional("postcode", o.postcode);
    r.optional("city", o.city);
    r.optional("country", o.country);
    r.optional("phone", o.phone);
    r.optional("email", o.email);
    r.optional("vatNumber", o.vatNumber);
    r.optional("kvkNumber", o.kvkNumber);
    r.optional("iban", o.iban);
    r.optional("bic", o.bic);
    return o;
}

CustomerSnapshot customerFromJson(const json& j, const std::string& path) {
    Reader r(j, path);
    CustomerSnapshot c;
    c.companyName = r.required<std::string>("companyName");
    r.optional("street", c.street);
    r.optional("houseNumber", c.houseNumber);
    r.optional("postcode", c.postcode);
    r.optional("city", c.city);
    r.optional("country", c.country);
    r.optional("vatNumber", c.vatNumber);
    return c;
}

ContactSnapshot contactFromJson(const json& j, const std::string& path) {
    Reader r(j, path);
    ContactSnapshot c;
    r.optional("firstName", c.firstName);
    r.optional("lastName", c.lastName);
    r.optional("email", c.email);
    r.optional("phone", c.phone);
    return c;
}

InvoiceLineItem lineItemFromJson(const json& j, const std::string& path) {
    Reader r(j, path);
    InvoiceLineItem li;
    li.id = r.required<std::string>("id");
    li.sortOrder = r.required<long long>("sortOrder");
    li.description = r.required<std::string>("description");
    r.optional("quantityHundredths", li.quantityHundredths);
    r.optional("unit", li.unit);
    r.optional("hoursHundredths", li.hoursHundredths);
    r.optional("unitPriceCents", li.unitPriceCents);
    r.optional("discountAmountCents", li.discountAmountCents);
    li.vatRate = r.required<double>("vatRate");
    r.optional("vatTreatmentOverride", li.vatTreatmentOverride);
    li.subtotalExVatCents = r.required<std::int64_t>("subtotalExVatCents");
    li.vatAmountCents = r.required<std::int64_t>("vatAmountCents");
    li.totalIncVatCents = r.required<std::int64_t>("totalIncVatCents");
    r.optional("section", li.section);
    return li;
}

InvoiceContent contentFromJson(const json& j, const std::string& path) {
    Reader r(j, path);
    InvoiceContent c;
    if (const json* o = r.child("organizationSnapshot")) {
        c.organizationSnapshot = organizationFromJson(*o, r.pathOf("organizationSnapshot"));
    }
    if (const json* o = r.child("customerSnapshot")) {
        c.customerSnapshot = customerFromJson(*o, r.pathOf("customerSnapshot"));
    }
    if (const json* o = r.child("contactSnapshot")) {
        c.contactSnapshot = contactFromJson(*o, r.pathOf("contactSnapshot"));
    }
    c.lineItems = arrayOf<InvoiceLineItem>(r, r.requiredChild("lineItems"), "lineItems", lineItemFromJson);
    std::pair<const char*, std::optional<std::string>*> texts[] = {
        {"paymentInstructions", &c.paymentInstructions},
        {"footerText", &c.footerText},
        {"title", &c.title},
        {"introText", &c.introText},
        {"notesExternal", &c.notesExternal},
        {"invoiceNumber", &c.invoiceNumber},
        {"issueDate", &c.issueDate},
        {"dueDate", &c.dueDate},
        {"referenceNumber", &c.referenceNumber},
        {"projectDescription", &c.projectDescription},
        {"freeText", &c.freeText},
        {"vatTreatment", &c.vatTreatment},
        {"documentType", &c.documentType},
        {"originalIssueDate", &c.originalIssueDate},
        {"newDueDate", &c.newDueDate},
    };
    for (auto& [key, field] : texts)
        r.optional(key, *field);
    r.optional("paymentTermsDays", c.paymentTermsDays);
    r.optional("outstandingCents", c.outstandingCents);
    return c;
}

json pageToJson(const PageConfig& p) {
    json j = {{"pageSize", p.pageSize},
              {"orientation", p.orientation},
              {"marginTop", p.marginTop},
              {"marginRight", p.marginRight},
              {"marginBottom", p.marginBottom},
              {"marginLeft", p.marginLeft},
              {"contentWidthMode", p.contentWidthMode}};
    put(j, "width", p.width);
    put(j, "height", p.height);
    return j;
}

void putWeight(json& j, const char* key, const std::optional<FontWeight>& w) {
    if (w) j[key] = w->value;
}

json typographyToJson(const TypographyConfig& t) {
    json j = {{"headingFontFamily", t.headingFontFamily},
              {"bodyFontFamily", t.bodyFontFamily},
              {"headingFontSize", t.headingFontSize},
              {"bodyFontSize", t.bodyFontSize},
              {"metaFontSize", t.metaFontSize},
              {"tableFontSize", t.tableFontSize},
              {"smallPrintFontSize", t.smallPrintFontSize},
              {"lineHeightHeading", t.lineHeightHeading},
              {"lineHeightBody", t.lineHeightBody},
              {"lineHeightTable", t.lineHeightTable}};
    put(j, "amountFontFamily", t.amountFontFamily);
    put(j, "letterSpacingHeading", t.letterSpacingHeading);
    put(j, "letterSpacingBody", t.letterSpacingBody);
    putWeight(j, "headingFontWeight", t.headingFontWeight);
    put(j, "headingFontStyle", t.headingFontStyle);
    putWeight(j, "bodyFontWeight", t.bodyFontWeight);
    put(j, "bodyFontStyle", t.bodyFontStyle);
    return j;
}

json spacingToJson(const SpacingConfig& s) {
    return {{"blockGap", s.blockGap},
            {"sectionGap", s.sectionGap},
            {"rowGap", s.rowGap},
            {"tableRowPaddingY", s.tableRowPaddingY},
            {"tableRowPaddingX", s.tableRowPaddingX},
            {"headerBottomGap", s.headerBottomGap},
            {"footerTopGap", s.footerTopGap},
            {"totalsTopGap", s.totalsTopGap}};
}

json colorsToJson(const ColorConfig& c) {
    json j = {{"textColor", c.textColor},
              {"mutedTextColor", c.mutedTextColor},
              {"accentColor", c.accentColor},
              {"borderColor", c.borderColor},
              {"dividerWeight", c.dividerWeight}};
    put(j, "tableHeaderBackground", c.tableHeaderBackground);
    return j;
}

json blocksToJson(const std::vector<BlockConfig>& blocks) {
    json array = json::array();
    for (const BlockConfig& b : blocks)
        array.push_back(toJson(b));
    return array;
}

json tableToJson(const TableConfig& t) {
    json j = {{"showUnitColumn", t.showUnitColumn},
              {"showHoursColumn", t.showHoursColumn},
              {"showQuantityColumn", t.showQuantityColumn},
              {"showRateColumn", t.showRateColumn},
              {"showVatColumn", t.showVatColumn},
              {"showDiscountColumn", t.showDiscountColumn},
              {"showLineTotalColumn", t.showLineTotalColumn},
              {"allowWrappedDescriptions", t.allowWrappedDescriptions},
              {"columnWidths", t.columnWidths},
              {"headerStyle", t.headerStyle},
              {"zebraRows", t.zebraRows},
              {"tableBorderStyle", t.tableBorderStyle}};
    put(j, "maxDescriptionLines", t.maxDescriptionLines);
    put(j, "columnAlignments", t.columnAlignments);
    put(j, "zebra", t.zebra);
    put(j, "tableHeaderBackground", t.tableHeaderBackground);
    put(j, "headerBackgroundColor", t.headerBackgroundColor);
    put(j, "cellPadding", t.cellPadding);
    put(j, "cellPaddingTop", t.cellPaddingTop);
    put(j, "cellPaddingBottom", t.cellPaddingBottom);
    put(j, "rowSeparator", t.rowSeparator);
    put(j, "rowSeparatorColor", t.rowSeparatorColor);
    put(j, "rowSeparatorWeight", t.rowSeparatorWeight);
    put(j, "headerBorderBottom", t.headerBorderBottom);
    put(j, "headerBorderColor", t.headerBorderColor);
    put(j, "headerBorderWeight", t.headerBorderWeight);
    put(j, "headerFontFamily", t.headerFontFamily);
    put(j, "headerFontSize", t.headerFontSize);
    putWeight(j, "headerFontWeight", t.headerFontWeight);
    put(j, "headerFontStyle", t.headerFontStyle);
    put(j, "headerTextColor", t.headerTextColor);
    put(j, "rowsPerPage", t.rowsPerPage);
    return j;
}

json zoneToJson(const ZonePanelConfig& z) {
    json j = {{"height", z.height}};
    put(j, "backgroundColor", z.backgroundColor);
    if (z.subBlocks) j["subBlocks"] = blocksToJson(*z.subBlocks);
    return j;
}

void putZone(json& j, const char* key, const std::optional<ZonePanelConfig>& z) {
    if (z) j[key] = zoneToJson(*z);
}

json organizationToJson(const OrganizationSnapshot& o) {
    json j = {{"name", o.name}};
    put(j, "address", o.address);
    put(j, "street", o.street);
    put(j, "houseNumber", o.houseNumber);
    put(j, "postcode", o.postcode);
    put(j, "city", o.city);
    put(j, "country", o.country);
    put(j, "phone", o.phone);
    put(j, "email", o.email);
    put(j, "vatNumber", o.vatNumber);
    put(j, "kvkNumber", o.kvkNumber);
    put(j, "iban", o.iban);
    put(j, "bic", o.bic);
    return j;
}

json customerToJson(const CustomerSnapshot& c) {
    json j = {{"companyName", c.companyName}};
    put(j, "street", c.street);
    put(j, "houseNumber", c.houseNumber);
    put(j, "postcode", c.postcode);
    put(j, "city", c.city);
    put(j, "country", c.country);
    put(j, "vatNumber", c.vatNumber);
    return j;
}

json contactToJson(const ContactSnapshot& c) {
    json j = json::object();
    put(j, "firstName", c.firstName);
    put(j, "lastName", c.lastName);
    put(j, "email", c.email);
    put(j, "phone", c.phone);
    return j;
}

json lineItemToJson(const InvoiceLineItem& li) {
    json j = {{"id", li.id},
              {"sortOrder", li.sortOrder},
              {"description", li.description},
              {"vatRate", li.vatRate},
              {"subtotalExVatCents", li.subtotalExVatCents},
              {"vatAmountCents", li.vatAmountCents},
              {"totalIncVatCents", li.totalIncVatCents}};
    put(j, "quantityHundredths", li.quantityHundredths);
    put(j, "unit", li.unit);
    put(j, "hoursHundredths", li.hoursHundredths);
    put(j, "unitPriceCents", li.unitPriceCents);
    put(j, "discountAmountCents", li.discountAmountCents);
    put(j, "vatTreatmentOverride", li.vatTreatmentOverride);
    put(j, "section", li.section);
    return j;
}

}  // namespace

FontWeight fontWeightFromJson(const json& value) {
    if (value.is_number()) return FontWeight{value.get<double>()};
    if (value.is_string() && value.get<std::string>() == "bold") return FontWeight{700};
    return FontWeight{400};
}

BlockConfig blockConfigFromJson(const json& json) {
    return blockFromJson(json, "block", 0);
}

InvoiceLayoutConfig layoutConfigFromJson(const json& json) {
    return layoutFromJson(json, "layout");
}

InvoiceContent invoiceContentFromJson(const json& json) {
    return contentFromJson(json, "content");
}

InvoiceDocument invoiceDocumentFromJson(const json& j) {
    Reader r(j, "");
    InvoiceDocument d;
    d.locale = r.required<std::string>("locale");
    d.currency = r.required<std::string>("currency");
    r.optional("dateFormat", d.dateFormat);
    d.layout = layoutFromJson(r.requiredChild("layout"), "layout");
    d.content = contentFromJson(r.requiredChild("content"), "content");
    return d;
}

json toJson(const BlockConfig& b) {
    json j = {{"type", b.type == BlockType::unknown ? b.typeRaw : std::string(rawValue(b.type))},
              {"visible", b.visible},
              {"order", b.order},
              {"alignment", b.alignment},
              {"spacingBefore", b.spacingBefore},
              {"spacingAfter", b.spacingAfter}};
    put(j, "id", b.id);
    put(j, "fontFamily", b.fontFamily);
    put(j, "fontSize", b.fontSize);
    putWeight(j, "fontWeight", b.fontWeight);
    put(j, "fontStyle", b.fontStyle);
    put(j, "textDecoration", b.textDecoration);
    put(j, "textAlign", b.textAlign);
    put(j, "letterSpacing", b.letterSpacing);
    put(j, "lineHeight", b.lineHeight);
    put(j, "color", b.color);
    put(j, "backgroundColor", b.backgroundColor);
    put(j, "paddingTop", b.paddingTop);
    put(j, "paddingRight", b.paddingRight);
    put(j, "paddingBottom", b.paddingBottom);
    put(j, "paddingLeft", b.paddingLeft);
    put(j, "marginTop", b.marginTop);
    put(j, "marginBottom", b.marginBottom);
    put(j, "keepTogether", b.keepTogether);
    put(j, "locked", b.locked);
    put(j, "variant", b.variant);
    put(j, "column", b.column);
    put(j, "pageVisibility", b.pageVisibility);
    put(j, "asFooter", b.asFooter);
    put(j, "name", b.name);
    put(j, "imageUrl", b.imageUrl);
    put(j, "imagePngDataUrl", b.imagePngDataUrl);
    put(j, "imagePosition", b.imagePosition);
    put(j, "imageMaxWidth", b.imageMaxWidth);
    put(j, "imageMaxHeight", b.imageMaxHeight);
    put(j, "imageNaturalWidth", b.imageNaturalWidth);
    put(j, "imageNaturalHeight", b.imageNaturalHeight);
    if (b.columnsLeft) j["columnsLeft"] = blocksToJson(*b.columnsLeft);
    if (b.columnsRight) j["columnsRight"] = blocksToJson(*b.columnsRight);
    put(j, "columnsRatio", b.columnsRatio);
    put(j, "columnsGutter", b.columnsGutter);
    put(j, "sectionFilter", b.sectionFilter);
    put(j, "showSectionHeader", b.showSectionHeader);
    put(j, "sectionLabel", b.sectionLabel);
    put(j, "visibleFields", b.visibleFields);
    put(j, "content", b.content);
    put(j, "verticalAlign", b.verticalAlign);
    return j;
}

json toJson(const InvoiceLayoutConfig& l) {
    json j = {{"page", pageToJson(l.page)},          {"typography", typographyToJson(l.typography)},
              {"spacing", spacingToJson(l.spacing)}, {"colors", colorsToJson(l.colors)},
              {"blocks", blocksToJson(l.blocks)},    {"table", tableToJson(l.table)}};
    j["logo"] = {{"visible", l.logo.visible},
                 {"position", l.logo.position},
                 {"maxWidth", l.logo.maxWidth},
                 {"maxHeight", l.logo.maxHeight},
                 {"marginBottom", l.logo.marginBottom}};
    put(j, "preset", l.preset);
    put(j, "twoColumnEnabled", l.twoColumnEnabled);
    put(j, "columnRatio", l.columnRatio);
    put(j, "columnGutter", l.columnGutter);
    if (l.footerPageNumbering) {
        j["footerPageNumbering"] = {{"enabled", l.footerPageNumbering->enabled},
                                    {"format", l.footerPageNumbering->format},
                                    {"position", l.footerPageNumbering->position}};
    }
    put(j, "continuationHeaderBlocks", l.continuationHeaderBlocks);
    put(j, "pageBackgroundColor", l.pageBackgroundColor);
    put(j, "orgPalette", l.orgPalette);
    putZone(j, "headerZone", l.headerZone);
    putZone(j, "footerZone", l.footerZone);
    put(j, "headerContinuationEnabled", l.headerContinuationEnabled);
    putZone(j, "headerContinuation", l.headerContinuation);
    put(j, "footerContinuationEnabled", l.footerContinuationEnabled);
    putZone(j, "footerContinuation", l.footerContinuation);
    return j;
}

json toJson(const InvoiceContent& c) {
    json j = json::object();
    if (c.organizationSnapshot) j["organizationSnapshot"] = organizationToJson(*c.organizationSnapshot);
    if (c.customerSnapshot) j["customerSnapshot"] = customerToJson(*c.customerSnapshot);
    if (c.contactSnapshot) j["contactSnapshot"] = contactToJson(*c.contactSnapshot);
    json lines = json::array();
    for (const InvoiceLineItem& li : c.lineItems)
        lines.push_back(lineItemToJson(li));
    j["lineItems"] = std::move(lines);
    put(j, "paymentInstructions", c.paymentInstructions);
    put(j, "footerText", c.footerText);
    put(j, "title", c.title);
    put(j, "introText", c.introText);
    put(j, "notesExternal", c.notesExternal);
    put(j, "invoiceNumber", c.invoiceNumber);
    put(j, "issueDate", c.issueDate);
    put(j, "dueDate", c.dueDate);
    put(j, "referenceNumber", c.referenceNumber);
    put(j, "projectDescription", c.projectDescription);
    put(j, "freeText", c.freeText);
    put(j, "vatTreatment", c.vatTreatment);
    put(j, "documentType", c.documentType);
    put(j, "originalIssueDate", c.originalIssueDate);
    put(j, "newDueDate", c.newDueDate);
    put(j, "paymentTermsDays", c.paymentTermsDays);
    put(j, "outstandingCents", c.outstandingCents);
    return j;
}

json toJson(const InvoiceDocument& d) {
    json j = {{"locale", d.locale},
              {"currency", d.currency},
              {"layout", toJson(d.layout)},
              {"content", toJson(d.content)}};
    put(j, "dateFormat", d.dateFormat);
    return j;
}

namespace {
json parseOrThrow(std::string_view text) {
    if (jsonNestingDepth(text, kMaxLayoutJsonDepth) > kMaxLayoutJsonDepth)
        throw LayoutError(LayoutError::Kind::invalidDocument,
                          "Ongeldige opmaak: de JSON is dieper genest dan " +
                              std::to_string(kMaxLayoutJsonDepth) + " niveaus");
    try {
        return json::parse(text);
    } catch (const json::parse_error& e) {
        throw LayoutError(LayoutError::Kind::invalidDocument,
                          std::string("Ongeldige opmaak: geen geldige JSON (") + e.what() + ")");
    }
}
}  // namespace

InvoiceDocument decodeInvoiceDocument(std::string_view text) {
    return invoiceDocumentFromJson(parseOrThrow(text));
}
std::string encodeInvoiceDocument(const InvoiceDocument& document) {
    return toJson(document).dump();
}
InvoiceLayoutConfig decodeInvoiceLayoutConfig(std::string_view text) {
    return layoutConfigFromJson(parseOrThrow(text));
}
std::string encodeInvoiceLayoutConfig(const InvoiceLayoutConfig& layout) {
    return toJson(layout).dump();
}

}  // namespace zelvorin
