#include <gtest/gtest.h>

#include "layout/DefaultLayout.h"
#include "layout/InvoiceSource.h"
#include "persistence/RecordStatements.h"
#include "screens/CustomerFormModel.h"
#include "screens/LocalInvoicePreview.h"
#include "screens/tests/EditorDatabaseTest.h"

namespace zelvorin {
namespace {

const auto kToday = std::chrono::sys_days(std::chrono::year(2026) / 3 / 16);

// The built-in layout turned on its side: a page of a template laid out with it is wider than high,
// which tells from the pixels alone which template the preview used.
std::string landscapeConfig() {
    std::string json(defaultLayoutJson());
    json.replace(json.find("\"portrait\""), 10, "\"landscape\"");
    return json;
}

class LocalInvoicePreviewTest : public EditorDatabaseTest {
protected:
    LocalInvoicePreviewTest() {
        draft_ = invoices_.createDraft(customer("Bakker", "NL").id, "2026-03-16");
        for (int i = 0; i < 3; ++i)
            addLine(draft_.id, "Ontwerp van het logo, ronde " + std::to_string(i + 1));
    }
    CustomerRecord customer(const std::string& name, const std::string& country) {
        return CustomerFormModel(customers_, organisation_).add({name, "Ede", country, "", ""});
    }
    void addLine(const std::string& invoiceId, const std::string& description) {
        InvoiceLineRecord line;
        line.invoiceId = invoiceId;
        line.description = description;
        line.lineMode = "fixed";
        line.amountCents = 12500;
        invoices_.addLine(line, "nl_21");
    }
    void storeTemplate(const std::string& id, const std::string& language, std::optional<std::string> config,
                       bool defaultForNew = false) {
        InvoiceTemplateRecord record;
        record.id = id;
        record.orgId = "org-1";
        record.name = "Sjabloon " + id;
        record.config = std::move(config);
        record.defaultFor = "invoice";
        record.language = language;
        record.isDefaultForNew = defaultForNew;
        record.createdAt = record.updatedAt = "2026-03-16T09:00:00.000Z";
        database_.writer->write([&](Connection& db) { insertRecord(db, record); });
    }
    InvoicePreviewPages render(const std::string& invoiceId) {
        std::optional<InvoicePreviewPages> pages =
            LocalInvoicePreview(invoices_, organisation_, fonts_).render(invoiceId, kToday, 1.0);
        EXPECT_TRUE(pages);
        return pages.value_or(InvoicePreviewPages{});
    }

    FontSet fonts_;
    DraftInvoiceRecord draft_;
};

TEST_F(LocalInvoicePreviewTest, WithoutTemplatesTheBuiltInLayoutIsDrawnAndTheReasonShown) {
    const InvoicePreviewPages preview = render(draft_.id);
    ASSERT_EQ(preview.pages.size(), 1u);
    EXPECT_EQ(preview.pages[0].width, 596);  // A4 portrait, a point per pixel
    EXPECT_EQ(preview.pages[0].height, 842);
    EXPECT_EQ(preview.notices, std::vector<std::string>{std::string(LocalInvoicePreview::kNoTemplates)});
    // Something was drawn: not every pixel is the white of the paper.
    const auto& pixels = preview.pages[0].pixels;
    EXPECT_NE(std::count(pixels.begin(), pixels.end(), 0xff), static_cast<long>(pixels.size() / 4 * 3));
}

TEST_F(LocalInvoicePreviewTest, TheTemplateOfTheCustomersLanguageIsUsedUnlessTheInvoiceNamesOne) {
    storeTemplate("nl", "nl", std::string(defaultLayoutJson()));
    storeTemplate("en", "en", landscapeConfig());
    const DraftInvoiceRecord german = invoices_.createDraft(customer("Müller", "DE").id, "2026-03-16");
    addLine(german.id, "Beratung");

    EXPECT_EQ(render(german.id).pages.at(0).width, 842);  // a German customer reads English
    EXPECT_TRUE(render(german.id).notices.empty());
    EXPECT_EQ(render(draft_.id).pages.at(0).width, 596);

    // The template an invoice names arrives from the service (the editor changes it there).
    database_.writer->write([&](Connection& db) {
        db.exec("UPDATE " + std::string(DraftInvoiceRecord::tableName) +
                " SET template_id = 'en' WHERE id = '" + draft_.id + "'");
    });
    EXPECT_EQ(render(draft_.id).pages.at(0).width, 842);
}

TEST_F(LocalInvoicePreviewTest, ATemplateThatDoesNotFitOrCannotBeReadIsNamedAndTheInvoiceStillShown) {
    storeTemplate("en", "en", landscapeConfig());
    InvoicePreviewPages preview = render(draft_.id);  // a Dutch customer, only an English template
    EXPECT_EQ(preview.notices,
              std::vector<std::string>{std::string(LocalInvoicePreview::kNoFittingTemplate)});
    EXPECT_EQ(preview.pages.at(0).width, 596);

    storeTemplate("kapot", "nl", "{\"page\": ");
    preview = render(draft_.id);
    ASSERT_EQ(preview.notices.size(), 1u);
    EXPECT_TRUE(preview.notices[0].starts_with(kTemplateConfigUnreadable)) << preview.notices[0];
    EXPECT_EQ(preview.pages.size(), 1u);
}

TEST_F(LocalInvoicePreviewTest, TheMarkedTemplateWinsAmongFittingOnesAndEveryPageIsDrawn) {
    storeTemplate("a", "nl", std::string(defaultLayoutJson()));
    storeTemplate("b", "nl", landscapeConfig(), /*defaultForNew=*/true);
    for (int i = 0; i < 60; ++i)
        addLine(draft_.id, "Uren week " + std::to_string(i));
    const InvoicePreviewPages preview = render(draft_.id);
    EXPECT_GT(preview.pages.size(), 2u);
    for (const PageImage& page : preview.pages) {
        EXPECT_EQ(page.width, 842);
        EXPECT_EQ(page.pixels.size(),
                  static_cast<std::size_t>(page.stride) * static_cast<std::size_t>(page.height));
    }
}

TEST_F(LocalInvoicePreviewTest, ADeletedOrUnknownInvoiceHasNoPreview) {
    const LocalInvoicePreview preview(invoices_, organisation_, fonts_);
    EXPECT_FALSE(preview.render("onbekend", kToday, 1.0));
    invoices_.deleteInvoice(draft_.id);
    EXPECT_FALSE(preview.render(draft_.id, kToday, 1.0));
}

}  // namespace
}  // namespace zelvorin
