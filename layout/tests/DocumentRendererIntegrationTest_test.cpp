#include <gtest/gtest.h>

#include <cairo.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>

#include "domain/LineTotals.h"
#include "layout/DocumentFormat.h"
#include "layout/DocumentRenderer.h"
#include "layout/FontHandles.h"
#include "layout/ImageSource.h"
#include "layout/LayoutEngine.h"
#include "layout/tests/TestDocuments.h"
#include "testing/Shell.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

using testing::sampleDescription;
using testing::sampleInvoice;

const std::chrono::sys_days kToday{std::chrono::year{2024} / 4 / 15};

// Runs a shell command and returns what it printed; the exit status goes to `status`.
std::string run(const std::string& command, int* status = nullptr) {
    return testing::runCommand(command, status);
}

std::size_t occurrences(const std::string& haystack, const std::string& needle) {
    std::size_t count = 0;
    for (std::size_t pos = haystack.find(needle); pos != std::string::npos;
         pos = haystack.find(needle, pos + 1))
        ++count;
    return count;
}

class DocumentRendererIntegrationTest : public ::testing::Test {
protected:
    std::filesystem::path render(const InvoiceDocument& doc, const std::string& name) {
        auto path = dir_ / name;
        renderer_.writePdf(layoutDocument(doc, measurer_, kToday), path);
        return path;
    }

    zelvorin::testing::TempDir dir_{"layout-pdf"};
    FontSet fonts_;
    TextMeasurer measurer_{fonts_};
    DocumentRenderer renderer_{fonts_};
};

TEST_F(DocumentRendererIntegrationTest, MultiPageInvoiceReadsBackFromThePdf) {
    InvoiceDocument doc = sampleInvoice(120);
    auto pdf = render(doc, "invoice.pdf");
    std::string text = run("pdftotext -layout " + pdf.string() + " -");
    for (int i = 0; i < 120; ++i) {
        ASSERT_EQ(occurrences(text, sampleDescription(i) + " "), 1u) << sampleDescription(i);
    }

    // The printed totals are the domain's: VAT per treatment summed from rounded line VAT.
    std::vector<CalcLine> calc;
    std::int64_t incl = 0;
    for (const InvoiceLineItem& line : doc.content.lineItems) {
        CalcLine c{LineMode::hoursRate, line.hoursHundredths, line.unitPriceCents, std::nullopt,
                   line.vatTreatmentOverride ? parseVatTreatment(*line.vatTreatmentOverride) : std::nullopt};
        calc.push_back(c);
        incl += lineTotals(c, VatTreatment::nl21).inclCents;
    }
    VatGroups groups = groupTotals(calc, VatTreatment::nl21);
    DocumentFormat nl{"nl-NL", "EUR", {}};
    // pdftotext turns the two spaces between label and amount into one.
    text = std::regex_replace(text, std::regex(" +"), " ");
    EXPECT_NE(text.find("BTW 21% " + nl.money(groups[VatTreatment::nl21].vatCents)), std::string::npos);
    EXPECT_NE(text.find("BTW 9% " + nl.money(groups[VatTreatment::nl9].vatCents)), std::string::npos);
    EXPECT_NE(text.find("BTW verlegd € 0,00"), std::string::npos);
    EXPECT_NE(text.find("Totaal " + nl.money(incl)), std::string::npos);

    std::string pages = run("pdfinfo " + pdf.string());
    std::smatch match;
    ASSERT_TRUE(std::regex_search(pages, match, std::regex("Pages:\\s+(\\d+)")));
    int count = std::stoi(match[1]);
    ASSERT_GE(count, 3);
    for (int p = 1; p <= count; ++p) {
        EXPECT_EQ(occurrences(text, "Pagina " + std::to_string(p) + " van " + std::to_string(count)), 1u);
    }

    std::string fontsList = run("pdffonts " + pdf.string());
    EXPECT_NE(fontsList.find("Roboto-Regular"), std::string::npos);
    EXPECT_EQ(fontsList.find(" no "), std::string::npos) << "every font embedded as a subset:\n" << fontsList;
    int status = 0;
    std::string check = run("qpdf --check " + pdf.string(), &status);
    EXPECT_EQ(status, 0) << check;
}

TEST_F(DocumentRendererIntegrationTest, PageSizesReachThePdf) {
    struct Size {
        const char* pageSize;
        const char* orientation;
        const char* expected;
    };
    for (Size s : {Size{"A4", "portrait", "595.28 x 841.89"}, Size{"A4", "landscape", "841.89 x 595.28"},
                   Size{"Letter", "portrait", "612 x 792"}}) {
        InvoiceDocument doc = sampleInvoice(3);
        doc.layout.page.pageSize = s.pageSize;
        doc.layout.page.orientation = s.orientation;
        std::string info = run("pdfinfo " + render(doc, "size.pdf").string());
        EXPECT_NE(info.find(std::string("Page size:       ") + s.expected), std::string::npos) << info;
    }
}

TEST_F(DocumentRendererIntegrationTest, SameInputGivesByteIdenticalPdf) {
    InvoiceDocument doc = sampleInvoice(40);
    LaidOutDocument laid = layoutDocument(doc, measurer_, kToday);
    std::string first = renderer_.pdf(laid);
    TextWidthCache::shared().clear();  // a cold cache must not change a byte either
    std::string second = renderer_.pdf(layoutDocument(doc, measurer_, kToday));
    EXPECT_EQ(first, second);
}

std::string base64(std::string_view bytes) {
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t chunk = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) chunk |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) chunk |= static_cast<unsigned char>(bytes[i + 2]);
        out += kAlphabet[(chunk >> 18) & 63];
        out += kAlphabet[(chunk >> 12) & 63];
        out += i + 1 < bytes.size() ? kAlphabet[(chunk >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kAlphabet[chunk & 63] : '=';
    }
    return out;
}

// Pixels of the page (a PNG) that are the logo's red.
long redPixels(const std::string& png, const std::filesystem::path& scratch) {
    zelvorin::testing::writeFile(scratch, png);
    const CairoSurface page(cairo_image_surface_create_from_png(scratch.c_str()));
    const int w = cairo_image_surface_get_width(page.get()), h = cairo_image_surface_get_height(page.get());
    const int stride = cairo_image_surface_get_stride(page.get());
    const unsigned char* data = cairo_image_surface_get_data(page.get());
    long red = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const auto pixel = *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4);
            if (((pixel >> 16) & 0xFF) > 180 && ((pixel >> 8) & 0xFF) < 60) ++red;
        }
    }
    return red;
}

TEST_F(DocumentRendererIntegrationTest, ImagesComeOnlyFromDataUrlsOfASaneSize) {
    auto pngPath = dir_ / "logo.png";
    {
        const CairoSurface s(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 40, 20));
        const CairoContext cr(cairo_create(s.get()));
        cairo_set_source_rgb(cr.get(), 0.9, 0.05, 0.05);
        cairo_paint(cr.get());
        cairo_surface_write_to_png(s.get(), pngPath.c_str());
    }
    const std::string pngBytes = zelvorin::testing::readFile(pngPath);
    InvoiceDocument doc = sampleInvoice(2);
    doc.layout.blocks[1].imageUrl = "data:image/png;base64," + base64(pngBytes);
    EXPECT_GT(redPixels(renderer_.png(layoutDocument(doc, measurer_, kToday), 0, 0.5), dir_ / "a.png"), 50);

    // The same picture as a path or a file URL is not read, and neither is anything else a
    // synced template could name.
    for (const std::string& url : {pngPath.string(), "file://" + pngPath.string(), std::string("/dev/zero"),
                                   std::string("/etc/passwd")}) {
        doc.layout.blocks[1].imageUrl = url;
        EXPECT_EQ(redPixels(renderer_.png(layoutDocument(doc, measurer_, kToday), 0, 0.5), dir_ / "b.png"), 0)
            << url;
        EXPECT_FALSE(loadImageBytes(url)) << url;
    }

    // A PNG whose header claims 20 000 × 20 000 pixels is refused before anything is decoded.
    std::string huge = pngBytes;
    for (int i = 0; i < 2; ++i) {
        huge[16 + 4 * i + 2] = static_cast<char>(20000 >> 8);
        huge[16 + 4 * i + 3] = static_cast<char>(20000 & 0xFF);
    }
    ASSERT_EQ(imageSize(huge)->width, 20000);
    EXPECT_FALSE(decodeImage(huge));
    EXPECT_FALSE(dataUrlBytes("data:image/png;base64," + std::string(kMaxImageUrlBytes, 'A')));

    doc.layout.blocks[1].imageUrl.reset();
    doc.layout.blocks[1].imagePngDataUrl = "data:image/png;base64,bm90IGFuIGltYWdl";
    int status = 0;
    run("qpdf --check " + render(doc, "broken-logo.pdf").string(), &status);
    EXPECT_EQ(status, 0);
}

TEST_F(DocumentRendererIntegrationTest, SvgPicturesAreDrawnAsVectorsAndReachNothingOutsideThemselves) {
    const auto redOnPage = [&](const std::string& svg) {
        InvoiceDocument doc = sampleInvoice(2);
        doc.layout.blocks[1].imageUrl = dataUrlOf(svg, "image/svg+xml");
        return redPixels(renderer_.png(layoutDocument(doc, measurer_, kToday), 0, 0.5), dir_ / "svg.png");
    };
    const std::string open =
        R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" )";
    // Only a viewBox, as design tools often write it: its proportions place the picture.
    const std::string square =
        open + R"(viewBox="0 0 40 20"><rect width="40" height="20" fill="#e60d0d"/></svg>)";
    EXPECT_GT(redOnPage(square), 50);
    EXPECT_EQ(imageSize(square)->width, 40);
    {
        InvoiceDocument doc = sampleInvoice(2);
        doc.layout.blocks[1].imageUrl = dataUrlOf(square, "image/svg+xml");
        const std::filesystem::path pdf = dir_ / "svg-logo.pdf";
        renderer_.writePdf(layoutDocument(doc, measurer_, kToday), pdf);
        EXPECT_EQ(occurrences(run("pdfimages -list " + pdf.string()), "\n"), 2u) << "vectors, not a picture";
    }

    // A red PNG beside the test: embedded in the SVG it is drawn; named by a path or a file URL,
    // or pulled in by XInclude, it is never read.
    const std::filesystem::path pngPath = dir_ / "rood.png";
    {
        const CairoSurface s(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 40, 20));
        const CairoContext cr(cairo_create(s.get()));
        cairo_set_source_rgb(cr.get(), 0.9, 0.05, 0.05);
        cairo_paint(cr.get());
        cairo_surface_write_to_png(s.get(), pngPath.c_str());
    }
    const std::string embedded = dataUrlOf(zelvorin::testing::readFile(pngPath), "image/png");
    EXPECT_GT(redOnPage(open + R"(width="40" height="20"><image width="40" height="20" xlink:href=")" +
                        embedded + R"("/></svg>)"),
              50);
    for (const std::string& reference :
         {pngPath.string(), "file://" + pngPath.string(), std::string("rood.png")}) {
        EXPECT_EQ(redOnPage(open + R"(width="40" height="20"><image width="40" height="20" xlink:href=")" +
                            reference + R"("/></svg>)"),
                  0)
            << reference;
    }
    EXPECT_EQ(redOnPage(open + R"(xmlns:xi="http://www.w3.org/2001/XInclude" width="40" height="20">)" +
                        R"(<xi:include href=")" + pngPath.string() + R"(" parse="text"/></svg>)"),
              0);

    // Nothing to size it by, or not an SVG after all: no picture, and still a sound PDF.
    EXPECT_FALSE(imageSize(open + R"(><rect width="40" height="20" fill="#e60d0d"/></svg>)"));
    EXPECT_EQ(redOnPage(open + R"(><rect width="40" height="20" fill="#e60d0d"/></svg>)"), 0);
    EXPECT_FALSE(drawableDataUrl("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 4 4\"><rect"));
    EXPECT_EQ(drawableDataUrl(square), dataUrlOf(square, "image/svg+xml"));
}

// The first page of a fixed invoice at half size, compared pixel by pixel with the committed
// picture. ZELVORIN_UPDATE_GOLDEN=1 writes a new one after an intended change.
TEST_F(DocumentRendererIntegrationTest, FirstPageMatchesTheGoldenImage) {
    InvoiceDocument doc = sampleInvoice(8);
    std::string png = renderer_.png(layoutDocument(doc, measurer_, kToday), 0, 0.5);
    std::filesystem::path golden =
        std::filesystem::path(ZELVORIN_LAYOUT_GOLDEN_DIR) / "sample_invoice_page1.png";
    if (std::getenv("ZELVORIN_UPDATE_GOLDEN")) zelvorin::testing::writeFile(golden, png);
    ASSERT_TRUE(std::filesystem::exists(golden)) << golden;
    auto actualPath = dir_ / "actual.png";
    zelvorin::testing::writeFile(actualPath, png);
    const CairoSurface expected(cairo_image_surface_create_from_png(golden.c_str()));
    const CairoSurface actual(cairo_image_surface_create_from_png(actualPath.c_str()));
    ASSERT_EQ(cairo_image_surface_get_width(expected.get()), cairo_image_surface_get_width(actual.get()));
    ASSERT_EQ(cairo_image_surface_get_height(expected.get()), cairo_image_surface_get_height(actual.get()));
    int w = cairo_image_surface_get_width(actual.get()), h = cairo_image_surface_get_height(actual.get());
    int stride = cairo_image_surface_get_stride(actual.get());
    const unsigned char* e = cairo_image_surface_get_data(expected.get());
    const unsigned char* a = cairo_image_surface_get_data(actual.get());
    long differing = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w * 4; ++x) {
            if (std::abs(e[y * stride + x] - a[y * stride + x]) > 24) ++differing;
        }
    }
    EXPECT_LT(differing, static_cast<long>(w) * h * 4 / 500) << "pixels differ from " << golden;
}

}  // namespace
}  // namespace zelvorin
