#include <gtest/gtest.h>

#include "layout/InvoicePdf.h"
#include "layout/PaymentCode.h"
#include "testing/Shell.h"
#include "testing/TempDir.h"

// The payment code is read back the way a banking app would: the PDF page drawn to pixels and
// decoded by a QR reader.
namespace zelvorin {
namespace {

const std::chrono::sys_days kToday{std::chrono::year{2026} / 3 / 16};

InvoiceSource sentInvoice(int lines, std::int64_t openCents) {
    InvoiceSource source;
    source.id = "factuur-1";
    source.invoiceNumber = "FAC-2026-0022";
    source.issueDate = "2026-03-16";
    source.dueDate = "2026-04-15";
    for (int line = 0; line < lines; ++line)
        source.lines.push_back({"r" + std::to_string(line), line,
                                "Ontwerpwerk week " + std::to_string(line + 1), "fixed", std::nullopt,
                                std::nullopt, 20000, std::nullopt});
    InvoiceSourceOrganisation organisation;
    organisation.orgName = "Studio Zelvorin";
    organisation.iban = "NL91 ABNA 0417 1643 00";
    organisation.bic = "ABNANL2A";
    source.organisation = organisation;
    source.openCents = openCents;
    return source;
}

class PaymentCodeIntegrationTest : public ::testing::Test {
protected:
    // What the QR reader finds on the PDF's last page; empty when it finds nothing.
    std::string decodedFromLastPage(const RenderedInvoice& rendered) {
        const auto pdf = dir.path() / "factuur.pdf";
        testing::writeFile(pdf, rendered.pdf);
        const std::string pages = std::to_string(rendered.laidOut.pages.size());
        testing::runCommand("pdftoppm -r 150 -png -f " + pages + " -l " + pages + " -singlefile " +
                            pdf.string() + " " + (dir.path() / "pagina").string());
        std::string text = testing::runCommand("zbarimg --raw -q " + (dir.path() / "pagina.png").string() +
                                               " 2>/dev/null | cat");
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        return text;
    }

    testing::TempDir dir{"payment-code"};
    FontSet fonts;
};

TEST_F(PaymentCodeIntegrationTest, TheLastPageCarriesTheOpenBalanceForTheBankingApp) {
    const RenderedInvoice rendered = renderInvoice(sentInvoice(2, 30250), fonts, kToday);
    ASSERT_EQ(rendered.laidOut.pages.size(), 1u);
    EXPECT_EQ(
        decodedFromLastPage(rendered),
        "BCD\n002\n1\nSCT\nABNANL2A\nStudio Zelvorin\nNL91ABNA0417164300\nEUR302.50\n\n\nFAC-2026-0022");
}

TEST_F(PaymentCodeIntegrationTest, AFullLastPageGetsAPageForTheCodeAndTheContentStaysWhereItWas) {
    const InvoiceSource many = sentInvoice(60, 100);
    InvoiceSource withoutCode = many;
    withoutCode.openCents = 0;
    const RenderedInvoice plain = renderInvoice(withoutCode, fonts, kToday);
    const RenderedInvoice rendered = renderInvoice(many, fonts, kToday);
    ASSERT_GE(rendered.laidOut.pages.size(), plain.laidOut.pages.size());
    for (std::size_t page = 0; page < plain.laidOut.pages.size(); ++page)
        EXPECT_EQ(rendered.laidOut.pages[page].blocks.size(), plain.laidOut.pages[page].blocks.size());
    const LaidOutPage& last = rendered.laidOut.pages.back();
    ASSERT_TRUE(last.paymentCode);
    for (const LaidOutBlock& block : last.blocks)
        EXPECT_LE(block.y + block.height, last.paymentCode->y) << block.id;
    EXPECT_NE(decodedFromLastPage(rendered).find("\nEUR1.00\n"), std::string::npos);
}

TEST_F(PaymentCodeIntegrationTest, NothingToPayOrNoWhereToPayItMeansNoCode) {
    InvoiceSource draft = sentInvoice(1, 24200);
    draft.invoiceNumber.reset();
    InvoiceSource noIban = sentInvoice(1, 24200);
    noIban.organisation->iban.reset();
    for (const InvoiceSource& source : {sentInvoice(1, 0), sentInvoice(1, -500), draft, noIban}) {
        const RenderedInvoice rendered = renderInvoice(source, fonts, kToday);
        EXPECT_FALSE(rendered.laidOut.pages.back().paymentCode);
        EXPECT_EQ(decodedFromLastPage(rendered), "");
    }
}

}  // namespace
}  // namespace zelvorin
