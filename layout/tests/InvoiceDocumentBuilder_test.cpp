#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "layout/DefaultLayout.h"
#include "layout/InvoiceSource.h"
#include "layout/LayoutError.h"
#include "layout/LayoutJson.h"

namespace zelvorin {
namespace {

InvoiceSource draft() {
    InvoiceSource source;
    source.id = "factuur-1";
    source.localDraftNumber = "D-0001";
    source.issueDate = "2026-03-16";
    source.vatTreatment = "nl_21";
    source.lines = {{"r2", 2, "Drukwerk", "qty_price", 250, 1000, std::nullopt, std::string("nl_9")},
                    {"r1", 1, "Ontwerp", "hours_rate", 350, 9500, std::nullopt, std::nullopt}};
    return source;
}

TEST(InvoiceDocumentBuilderTest, LinesInSortOrderWithTheirAmountsByTheVatRules) {
    const BuiltInvoiceDocument built = buildInvoiceDocument(draft());
    EXPECT_TRUE(built.notices.empty());
    EXPECT_EQ(built.document.content.invoiceNumber, "D-0001");  // a draft shows its local number
    const auto& items = built.document.content.lineItems;
    ASSERT_EQ(items.size(), 2U);
    EXPECT_EQ(items[0].description, "Ontwerp");
    EXPECT_EQ(items[0].subtotalExVatCents, 33250);  // 3,5 h × € 95,00
    EXPECT_EQ(items[0].vatAmountCents, 6983);       // 21 %, half up
    EXPECT_EQ(items[1].subtotalExVatCents, 2500);
    EXPECT_EQ(items[1].vatAmountCents, 225);  // its own 9 %
}

TEST(InvoiceDocumentBuilderTest, AnUnreadableTemplateConfigGivesTheBuiltInLayoutAndNamesTheProblem) {
    InvoiceSource notJson = draft();
    notJson.templateConfig = "{niet json";
    const BuiltInvoiceDocument fromText = buildInvoiceDocument(notJson);
    ASSERT_EQ(fromText.notices.size(), 1U);
    EXPECT_EQ(fromText.notices[0].rfind(kTemplateConfigUnreadable, 0), 0U) << fromText.notices[0];
    EXPECT_EQ(toJson(fromText.document.layout), toJson(defaultLayout()));

    nlohmann::json config = nlohmann::json::parse(defaultLayoutJson());
    config.erase("typography");
    InvoiceSource incomplete = draft();
    incomplete.templateConfig = config.dump();
    const BuiltInvoiceDocument fromIncomplete = buildInvoiceDocument(incomplete);
    ASSERT_EQ(fromIncomplete.notices.size(), 1U);
    EXPECT_NE(fromIncomplete.notices[0].find("typography"), std::string::npos) << fromIncomplete.notices[0];

    InvoiceSource badSnapshot = draft();
    badSnapshot.snapshotData = "[1,";
    EXPECT_EQ(buildInvoiceDocument(badSnapshot).notices.size(), 1U);
}

TEST(InvoiceDocumentBuilderTest, AnUnknownLineModeOrTreatmentIsRefusedInDutch) {
    InvoiceSource mode = draft();
    mode.lines[0].lineMode = "per_stuk";
    EXPECT_THROW(buildInvoiceDocument(mode), LayoutError);
    InvoiceSource treatment = draft();
    treatment.vatTreatment = "nl_19";
    try {
        buildInvoiceDocument(treatment);
        FAIL() << "an unknown treatment was accepted";
    } catch (const LayoutError& error) {
        EXPECT_NE(std::string(error.what()).find("nl_19"), std::string::npos) << error.what();
    }
}

}  // namespace
}  // namespace zelvorin
