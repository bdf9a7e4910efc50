#include "intelligence/tests/SampleDocuments.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <leptonica/allheaders.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>

#include "intelligence/OCRHandles.h"

namespace zelvorin::testing {
namespace {

using Rng = std::mt19937;

template <typename T>
const T& pick(Rng& rng, const std::vector<T>& options) {
    return options[rng() % options.size()];
}

int between(Rng& rng, int low, int high) {
    return low + static_cast<int>(rng() % (high - low + 1));
}

struct Company {
    std::string name, street, postcode, city;
};

const std::vector<Company> kSenders = {
    {"Brandwijk B.V.", "Keizersgracht 221", "1016 DV", "Amsterdam"},
    {"Pelikaan Speelhal", "Stationsweg 14", "3811 MK", "Amersfoort"},
    {"Veldlijn Reizigers", "Oudegracht 88", "3511 AR", "Utrecht"},
    {"Bakkerij de Korenbloem", "Dorpsstraat 5", "5611 AB", "Eindhoven"},
    {"Hoekstra Installatietechniek", "Industrieweg 42", "9723 JB", "Groningen"},
    {"Café Het Anker", "Havenkade 3", "1973 AA", "IJmuiden"},
    {"Drukkerij Vonk V.O.F.", "Lange Nieuwstraat 17", "2011 AP", "Haarlem"},
    {"Northwind Supplies Ltd", "Binnenweg 120", "3014 GJ", "Rotterdam"},
};
const std::vector<std::string> kFonts = {"DejaVu Sans", "DejaVu Serif", "Roboto", "DejaVu Sans Condensed"};
const char* const kMonthsNl[] = {"januari", "februari", "maart",     "april",   "mei",      "juni",
                                 "juli",    "augustus", "september", "oktober", "november", "december"};
const char* const kMonthsEn[] = {"January", "February", "March",     "April",   "May",      "June",
                                 "July",    "August",   "September", "October", "November", "December"};

struct Item {
    std::string nl, en;
    int minCents, maxCents;
};
const std::vector<Item> kServices = {
    {"Advieswerk", "Consulting", 5000, 15000},           {"Installatie", "Installation", 8000, 40000},
    {"Ontwerp huisstijl", "Brand design", 20000, 90000}, {"Drukwerk flyers", "Flyer printing", 3000, 25000},
    {"Voorrijkosten", "Call-out charge", 2500, 6000},    {"Onderhoud", "Maintenance", 4000, 20000}};
const std::vector<Item> kGoods = {
    {"Koffie", "Coffee", 250, 450},        {"Croissant", "Croissant", 195, 350},
    {"Appeltaart", "Apple pie", 350, 550}, {"Frisdrank", "Soft drink", 225, 375},
    {"Volkorenbrood", "Bread", 265, 425},  {"Tosti", "Toastie", 450, 750}};

std::string two(int value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

std::string money(std::int64_t cents, SampleDocument::Language language) {
    const bool nl = language == SampleDocument::Language::nl;
    std::string whole = std::to_string(std::llabs(cents) / 100);
    for (int i = static_cast<int>(whole.size()) - 3; i > 0; i -= 3)
        whole.insert(i, nl ? "." : ",");
    return (cents < 0 ? "-" : "") + whole + (nl ? "," : ".") + two(static_cast<int>(std::llabs(cents) % 100));
}

std::string printedDate(Rng& rng, int day, int month, int year, SampleDocument::Language language) {
    const bool nl = language == SampleDocument::Language::nl;
    switch (rng() % 6) {
        case 0:
            return two(day) + "-" + two(month) + "-" + std::to_string(year);
        case 1:
            return two(day) + "/" + two(month) + "/" + std::to_string(year);
        case 2:
            return std::to_string(day) + " " + (nl ? kMonthsNl : kMonthsEn)[month - 1] + " " +
                   std::to_string(year);
        case 3:
            return std::to_string(day) + " " + std::string(kMonthsEn[month - 1]).substr(0, 3) + " " +
                   std::to_string(year);
        case 4:
            if (!nl)
                return std::string(kMonthsEn[month - 1]) + " " + std::to_string(day) + ", " +
                       std::to_string(year);
            [[fallthrough]];
        default:
            return std::to_string(year) + "-" + two(month) + "-" + two(day);
    }
}

struct Row {
    std::string left, right;
    double size = 10;
    bool bold = false;
};

std::vector<Row> invoiceRows(const SampleDocument& doc) {
    const bool nl = doc.language == SampleDocument::Language::nl;
    const auto& t = doc.truth;
    std::vector<Row> rows;
    rows.push_back({*t.senderCompany, nl ? "FACTUUR" : "INVOICE", 16, true});
    const auto comma = t.senderAddress->find(", ");
    rows.push_back({t.senderAddress->substr(0, comma), ""});
    rows.push_back({t.senderAddress->substr(comma + 2), ""});
    rows.push_back({"KVK: " + *t.senderKvkNumber, ""});
    rows.push_back({(nl ? "BTW-nr: " : "VAT number: ") + *t.senderVatNumber, ""});
    rows.push_back({"", ""});
    for (std::size_t i = 0; i < doc.customerLines.size(); ++i) {
        rows.push_back({(i == 0 ? (nl ? "Aan: " : "To: ") : "") + doc.customerLines[i], ""});
    }
    if (!doc.customerVatNumber.empty()) {
        rows.push_back({(nl ? "BTW-nr klant: " : "Customer VAT: ") + doc.customerVatNumber, ""});
    }
    rows.push_back({"", ""});
    rows.push_back({(nl ? "Factuurnummer: " : "Invoice number: ") + *t.invoiceNumber, ""});
    rows.push_back({(nl ? "Factuurdatum: " : "Invoice date: ") + doc.dateAsPrinted, ""});
    rows.push_back({"", ""});
    rows.push_back({nl ? "Omschrijving          Aantal    Prijs" : "Description           Qty    Unit price",
                    nl ? "Bedrag" : "Amount", 10, true});
    double net = 0;
    for (const auto& line : t.lines) {
        const auto unit = static_cast<std::int64_t>(std::llround(*line.unitPrice * 100));
        rows.push_back({line.description + "    " + std::to_string(static_cast<int>(*line.quantity)) + " x " +
                            money(unit, doc.language),
                        money(std::llround(line.amount * 100), doc.language)});
        net += line.amount;
    }
    rows.push_back({"", ""});
    rows.push_back({nl ? "Subtotaal" : "Subtotal", "€ " + money(std::llround(net * 100), doc.language)});
    for (const auto& vat : t.vatBreakdown) {
        if (doc.reverseCharge) {
            rows.push_back({nl ? "BTW verlegd 0%" : "VAT reverse charged 0%", "€ " + money(0, doc.language)});
        } else {
            rows.push_back(
                {std::string(nl ? "BTW " : "VAT ") + std::to_string(static_cast<int>(vat.rate)) + "%",
                 "€ " + money(std::llround(vat.amount * 100), doc.language)});
        }
    }
    rows.push_back(
        {nl ? "Totaal te betalen" : "Total due", "€ " + money(*t.totalAmountCents, doc.language), 11, true});
    rows.push_back({"", ""});
    rows.push_back({nl ? "Graag binnen 14 dagen overmaken." : "Please pay within 14 days.", "", 8});
    return rows;
}

std::vector<Row> receiptRows(const SampleDocument& doc) {
    const bool nl = doc.language == SampleDocument::Language::nl;
    const auto& t = doc.truth;
    std::vector<Row> rows;
    rows.push_back({*t.senderCompany, "", 11, true});
    const auto comma = t.senderAddress->find(", ");
    rows.push_back({t.senderAddress->substr(0, comma), ""});
    rows.push_back({t.senderAddress->substr(comma + 2), ""});
    rows.push_back({"KVK " + *t.senderKvkNumber, ""});
    rows.push_back({(nl ? "BTW " : "VAT ") + *t.senderVatNumber, ""});
    rows.push_back({"------------------------------", ""});
    rows.push_back({(nl ? "Bon: " : "Receipt #: ") + *t.invoiceNumber, ""});
    rows.push_back({(nl ? "Datum: " : "Date: ") + doc.dateAsPrinted, "14:32"});
    rows.push_back({"------------------------------", ""});
    for (const auto& line : t.lines) {
        const int qty = static_cast<int>(*line.quantity);
        rows.push_back({(qty > 1 ? std::to_string(qty) + " x " : "") + line.description,
                        money(std::llround(line.amount * 100), doc.language)});
    }
    rows.push_back({"------------------------------", ""});
    rows.push_back({nl ? "TOTAAL" : "TOTAL", "€ " + money(*t.totalAmountCents, doc.language), 11, true});
    rows.push_back({nl ? "PIN" : "Card", money(*t.totalAmountCents, doc.language)});
    rows.push_back({"", ""});
    rows.push_back({nl ? "BTW%     Over     BTW" : "VAT%     Net      VAT", ""});
    const auto& vat = t.vatBreakdown.front();
    const auto vatCents = std::llround(vat.amount * 100);
    rows.push_back({std::to_string(static_cast<int>(vat.rate)) + "%      " +
                        money(*t.totalAmountCents - vatCents, doc.language) + "     " +
                        money(vatCents, doc.language),
                    ""});
    rows.push_back({nl ? "Bedankt en tot ziens!" : "Thank you!", ""});
    return rows;
}

std::vector<Row> rowsOf(const SampleDocument& doc) {
    return doc.kind == SampleDocument::Kind::invoice ? invoiceRows(doc) : receiptRows(doc);
}

struct PageSize {
    double width, height;
};

PageSize pageSize(const SampleDocument& doc) {
    if (doc.kind == SampleDocument::Kind::invoice) return {595, 842};
    return {226, 40 + 15.0 * static_cast<double>(rowsOf(doc).size())};
}

void drawRows(cairo_t* cr, const SampleDocument& doc, PageSize page) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
    const bool receipt = doc.kind == SampleDocument::Kind::receipt;
    const double margin = receipt ? 12 : 56;
    double y = receipt ? 24 : 64;
    for (const auto& row : rowsOf(doc)) {
        cairo_select_font_face(cr, doc.fontFamily.c_str(), CAIRO_FONT_SLANT_NORMAL,
                               row.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, receipt ? row.size * 0.85 : row.size);
        cairo_move_to(cr, margin, y);
        cairo_show_text(cr, row.left.c_str());
        if (!row.right.empty()) {
            cairo_text_extents_t extents;
            cairo_text_extents(cr, row.right.c_str(), &extents);
            cairo_move_to(cr, page.width - margin - extents.x_advance, y);
            cairo_show_text(cr, row.right.c_str());
        }
        y += receipt ? 15 : row.size * 1.6;
    }
}

cairo_status_t appendToString(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

using Surface = UniqueHandle<cairo_surface_t*, cairo_surface_destroy>;
using Context = UniqueHandle<cairo_t*, cairo_destroy>;
using Pix = PixHandle;

// The document drawn at `dpi` as 8-bit grey.
Pix rasterise(const SampleDocument& doc, int dpi) {
    const PageSize page = pageSize(doc);
    const double scale = dpi / 72.0;
    const int w = static_cast<int>(page.width * scale), h = static_cast<int>(page.height * scale);
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h));
    Context cr(cairo_create(surface.get()));
    cairo_scale(cr.get(), scale, scale);
    drawRows(cr.get(), doc, page);
    cairo_surface_flush(surface.get());
    Pix pix(pixCreate(w, h, 8));
    pixSetResolution(pix.get(), dpi, dpi);
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
        l_uint32* line = pixGetData(pix.get()) + y * pixGetWpl(pix.get());
        for (int x = 0; x < w; ++x)
            SET_DATA_BYTE(line, x, (row[x] >> 8) & 0xFF);
    }
    return pix;
}

void addNoiseAndLight(PIX* pix, const PhotoEffects& effects, Rng& rng) {
    const int w = pixGetWidth(pix), h = pixGetHeight(pix);
    for (int y = 0; y < h; ++y) {
        l_uint32* line = pixGetData(pix) + y * pixGetWpl(pix);
        for (int x = 0; x < w; ++x) {
            const double light =
                1.0 - effects.lightFalloff * (static_cast<double>(x) / w + static_cast<double>(y) / h) / 2;
            const int noise =
                effects.noiseAmplitude == 0
                    ? 0
                    : static_cast<int>(rng() % (2 * effects.noiseAmplitude + 1)) - effects.noiseAmplitude;
            const int value = static_cast<int>(GET_DATA_BYTE(line, x) * light) + noise;
            SET_DATA_BYTE(line, x, std::clamp(value, 0, 255));
        }
    }
}

std::string pngOf(PIX* pix) {
    LeptonicaBytes data;
    size_t size = 0;
    if (pixWriteMemPng(data.out(), &size, pix, 0) != 0) throw std::runtime_error("png encoding failed");
    return std::string(reinterpret_cast<char*>(data.get()), size);
}

cairo_status_t readFromString(void* closure, unsigned char* data, unsigned int length) {
    auto* source = static_cast<std::pair<const std::string*, std::size_t>*>(closure);
    if (source->second + length > source->first->size()) return CAIRO_STATUS_READ_ERROR;
    std::copy_n(source->first->data() + source->second, length, data);
    source->second += length;
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::vector<std::string> SampleDocument::printedLines() const {
    std::vector<std::string> lines;
    for (const auto& row : rowsOf(*this))
        lines.push_back(row.right.empty() ? row.left : row.left + "    " + row.right);
    return lines;
}

SampleDocument makeSampleDocument(std::uint32_t seed) {
    Rng rng(seed);
    SampleDocument doc;
    doc.kind = rng() % 3 == 0 ? SampleDocument::Kind::receipt : SampleDocument::Kind::invoice;
    doc.language = rng() % 3 == 0 ? SampleDocument::Language::en : SampleDocument::Language::nl;
    doc.fontFamily = doc.kind == SampleDocument::Kind::receipt ? "DejaVu Sans Mono" : pick(rng, kFonts);
    const bool nl = doc.language == SampleDocument::Language::nl;
    const Company& sender = pick(rng, kSenders);
    auto& t = doc.truth;
    t.isInvoice = true;
    t.senderCompany = sender.name;
    t.senderAddress = sender.street + ", " + sender.postcode + " " + sender.city;
    t.senderCountry = "NL";
    t.senderVatNumber =
        "NL" + std::to_string(between(rng, 100000000, 999999999)) + "B" + two(between(rng, 1, 99));
    t.senderKvkNumber = std::to_string(between(rng, 10000000, 99999999));
    const int day = between(rng, 1, 28), month = between(rng, 1, 12), year = between(rng, 2024, 2026);
    t.invoiceDate = two(day) + "-" + two(month) + "-" + std::to_string(year);
    doc.dateAsPrinted = printedDate(rng, day, month, year, doc.language);

    const bool receipt = doc.kind == SampleDocument::Kind::receipt;
    t.invoiceNumber = receipt ? std::to_string(between(rng, 1000, 999999))
                              : std::to_string(year) + "-" + std::to_string(between(rng, 1, 999));
    int rate = receipt ? 9 : pick(rng, std::vector<int>{21, 21, 9, 0});
    doc.reverseCharge = !receipt && rng() % 5 == 0;
    if (doc.reverseCharge) {
        rate = 0;
        doc.customerVatNumber = "BE0" + std::to_string(between(rng, 100000000, 999999999));
    }
    if (!receipt) {
        doc.customerLines = {
            pick(rng, std::vector<std::string>{"Jansen Consultancy", "De Vries Media", "Atelier Mol"}),
            "Marktplein 9", "4811 XR Breda"};
    }
    const auto& catalogue = receipt ? kGoods : kServices;
    const int count = between(rng, 1, receipt ? 5 : 4);
    std::int64_t net = 0;
    for (int i = 0; i < count; ++i) {
        const Item& item = catalogue[(seed + i * 7u + rng() % 2) % catalogue.size()];
        const int qty = between(rng, 1, receipt ? 3 : 4);
        const int unit = between(rng, item.minCents, item.maxCents) / 5 * 5;
        t.lines.push_back(
            {nl ? item.nl : item.en, static_cast<double>(qty), unit / 100.0, qty * unit / 100.0});
        net += static_cast<std::int64_t>(qty) * unit;
    }
    if (receipt) {
        // Till prices include VAT; the receipt shows how much of it is VAT.
        const auto vat = static_cast<std::int64_t>(std::llround(net * rate / (100.0 + rate)));
        t.totalAmountCents = net;
        t.vatBreakdown = {{static_cast<double>(rate), vat / 100.0}};
    } else {
        const auto vat = static_cast<std::int64_t>(std::llround(net * rate / 100.0));
        t.totalAmountCents = net + vat;
        t.vatBreakdown = {{static_cast<double>(rate), vat / 100.0}};
    }
    return doc;
}

std::string renderTextPdf(const SampleDocument& doc, int extraPages) {
    const PageSize page = pageSize(doc);
    std::string bytes;
    {
        Surface surface(cairo_pdf_surface_create_for_stream(appendToString, &bytes, page.width, page.height));
        Context cr(cairo_create(surface.get()));
        drawRows(cr.get(), doc, page);
        for (int i = 0; i < extraPages; ++i) {
            cairo_show_page(cr.get());
            cairo_set_source_rgb(cr.get(), 0, 0, 0);
            cairo_select_font_face(cr.get(), "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                                   CAIRO_FONT_WEIGHT_NORMAL);
            cairo_set_font_size(cr.get(), 12);
            cairo_move_to(cr.get(), 56, 80);
            cairo_show_text(cr.get(), ("Algemene voorwaarden pagina " + std::to_string(i + 2)).c_str());
            cairo_move_to(cr.get(), 56, 110);
            cairo_show_text(cr.get(), "Totaal te betalen € 999.999,99");
        }
        cairo_surface_finish(surface.get());
    }
    return bytes;
}

std::string renderScannedPdf(const SampleDocument& doc, int dpi) {
    Pix pix = rasterise(doc, dpi);
    Rng rng(dpi);
    addNoiseAndLight(pix.get(), {0, 0, 10, 0.08, 0}, rng);
    const std::string png = pngOf(pix.get());
    std::pair<const std::string*, std::size_t> source{&png, 0};
    Surface image(cairo_image_surface_create_from_png_stream(readFromString, &source));
    const PageSize page = pageSize(doc);
    std::string bytes;
    {
        Surface surface(cairo_pdf_surface_create_for_stream(appendToString, &bytes, page.width, page.height));
        Context cr(cairo_create(surface.get()));
        cairo_scale(cr.get(), 72.0 / dpi, 72.0 / dpi);
        cairo_set_source_surface(cr.get(), image.get(), 0, 0);
        cairo_paint(cr.get());
        cairo_surface_finish(surface.get());
    }
    return bytes;
}

namespace {

// The page as a phone sees it: smaller, at a slant, blurred, noisy and unevenly lit, as a JPEG.
std::string photographed(PIX* page, const PhotoEffects& effects, std::uint32_t seed) {
    Rng rng(seed);
    const auto scale = static_cast<float>(effects.scale);
    Pix scaled(effects.scale != 1.0 ? pixScale(page, scale, scale) : pixClone(page));
    Pix rotated(pixRotate(scaled.get(), effects.rotationDegrees * M_PI / 180.0, L_ROTATE_AREA_MAP,
                          L_BRING_IN_WHITE, 0, 0));
    Pix blurred(effects.blurRadius > 0 ? pixBlockconv(rotated.get(), effects.blurRadius, effects.blurRadius)
                                       : pixCopy(nullptr, rotated.get()));
    addNoiseAndLight(blurred.get(), effects, rng);
    LeptonicaBytes data;
    size_t size = 0;
    if (pixWriteMemJpeg(data.out(), &size, blurred.get(), effects.jpegQuality, 0) != 0) {
        throw std::runtime_error("jpeg encoding failed");
    }
    return std::string(reinterpret_cast<char*>(data.get()), size);
}

}  // namespace

std::string renderPhotoJpeg(const SampleDocument& doc, const PhotoEffects& effects, std::uint32_t seed) {
    return photographed(rasterise(doc, 200).get(), effects, seed);
}

std::string rephotographJpeg(const std::string& image, const PhotoEffects& effects, std::uint32_t seed) {
    Pix read(pixReadMem(reinterpret_cast<const l_uint8*>(image.data()), image.size()));
    if (!read) throw std::runtime_error("image not readable");
    Pix grey(pixConvertTo8(read.get(), 0));
    if (!grey) throw std::runtime_error("image not convertible to grey");
    return photographed(grey.get(), effects, seed);
}

std::string renderPng(const SampleDocument& doc, int dpi) {
    return pngOf(rasterise(doc, dpi).get());
}

std::string renderBlankScanPdf() {
    std::string bytes;
    Surface surface(cairo_pdf_surface_create_for_stream(appendToString, &bytes, 595, 842));
    Surface image(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 200, 280));
    {
        Context paper(cairo_create(image.get()));
        cairo_set_source_rgb(paper.get(), 1, 1, 1);
        cairo_paint(paper.get());
    }
    Context cr(cairo_create(surface.get()));
    cairo_scale(cr.get(), 595 / 200.0, 842 / 280.0);
    cairo_set_source_surface(cr.get(), image.get(), 0, 0);
    cairo_paint(cr.get());
    cairo_surface_finish(surface.get());
    return bytes;
}

std::string renderBlankPng() {
    Pix pix(pixCreate(400, 600, 8));
    pixSetAllArbitrary(pix.get(), 255);
    return pngOf(pix.get());
}

std::string renderWallPhotoJpeg(std::uint32_t seed) {
    Rng rng(seed);
    constexpr int width = 1600, height = 1200, brickWidth = 180, brickHeight = 70, mortar = 8;
    Pix pix(pixCreate(width, height, 8));
    for (int y = 0; y < height; ++y) {
        const int row = y / brickHeight;
        const int shift = row % 2 == 0 ? 0 : brickWidth / 2;
        for (int x = 0; x < width; ++x) {
            const int column = (x + shift) / brickWidth;
            const bool joint = y % brickHeight < mortar || (x + shift) % brickWidth < mortar;
            const int tone = joint ? 200 : 90 + static_cast<int>((row * 31 + column * 17) % 50);
            pixSetPixel(pix.get(), x, y,
                        static_cast<l_uint32>(std::clamp(tone + between(rng, -25, 25), 0, 255)));
        }
    }
    l_uint8* data = nullptr;
    size_t size = 0;
    if (pixWriteMemJpeg(&data, &size, pix.get(), 80, 0) != 0)
        throw std::runtime_error("jpeg encoding failed");
    std::string bytes(reinterpret_cast<char*>(data), size);
    lept_free(data);
    return bytes;
}

std::string renderOnePixelPng() {
    Pix pix(pixCreate(1, 1, 8));
    pixSetAllArbitrary(pix.get(), 0);
    return pngOf(pix.get());
}

}  // namespace zelvorin::testing
