// The sections that show what only the service computes, against the real service: the figures
// arrive, and a refusal or a lost connection is told in Dutch while the figures stay.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "api-client/BankActions.h"
#include "api-client/DashboardActions.h"
#include "api-client/FileTransfers.h"
#include "api-client/TemplateActions.h"
#include "api-client/VatActions.h"
#include "domain/Money.h"
#include "ui/BankView.h"
#include "ui/DashboardView.h"
#include "ui/SettingsDialog.h"
#include "ui/VatReturnView.h"
#include "ui/tests/DesktopFixture.h"

namespace zelvorin {
namespace {

using testing::addFault;
using testing::Desktop;
using testing::eventually;
using testing::ServiceProcess;

TEST(ServiceFiguresIntegrationTest, TheVatSectionShowsTheServicesQuarterAndKeepsItOnABadDay) {
    ServiceProcess service(ServiceProcess::demo());
    Desktop desktop(service);
    auto& vat = desktop.section<ui::VatReturnView>(MainSection::btwAangifte);
    const auto loaded = [&] { return !vat.returnStatusText().endsWith("ophalen…"); };

    vat.loadQuarter(2026, 1);
    ASSERT_TRUE(eventually(loaded));
    const vatactions::BtwQuarterSummary expected =
        vatactions::summary(desktop.environment->apiClient(), 2026, 1);
    ASSERT_GE(vat.returnModel().rowCount(), 8);
    EXPECT_EQ(vat.returnModel().row(0).label, expected.rubriek1a.label);
    EXPECT_EQ(vat.returnModel().row(0).btw, formatEuro(expected.rubriek1a.btwCents));
    const VatReturnRow last = vat.returnModel().row(vat.returnModel().rowCount() - 1);
    EXPECT_EQ(last.label, "Per saldo te betalen");
    EXPECT_EQ(last.btw, formatEuro(expected.perSaldo));
    EXPECT_TRUE(vat.warningsText().contains("ICP-opgaaf")) << vat.warningsText().toStdString();
    EXPECT_EQ(vat.returnStatusText().toStdString(), "Q1 2026, berekend door de dienst (factuurstelsel).");

    const int rows = vat.returnModel().rowCount();
    addFault(service, {{"path", "/api/native/v1/btw/summary"}, {"status", 500}});
    vat.loadQuarter(2025, 4);
    ASSERT_TRUE(eventually(loaded));
    EXPECT_EQ(vat.returnStatusText().toStdString(), "De dienst weigerde het verzoek (HTTP 500).");
    EXPECT_EQ(vat.returnModel().rowCount(), rows);
    EXPECT_EQ(vat.returnModel().row(0).btw, formatEuro(expected.rubriek1a.btwCents));

    service.stop();
    vat.loadQuarter(2025, 4);
    ASSERT_TRUE(eventually(loaded));
    EXPECT_TRUE(vat.returnStatusText().startsWith("De dienst is niet bereikbaar"))
        << vat.returnStatusText().toStdString();
    EXPECT_EQ(vat.returnModel().row(0).btw, formatEuro(expected.rubriek1a.btwCents));
}

TEST(ServiceFiguresIntegrationTest, TheSettingsListTheServicesEmailTemplatesAndMakeOneTheDefault) {
    ServiceProcess service(ServiceProcess::demo());
    Desktop desktop(service);
    const ui::SectionContext context{*desktop.environment,
                                     desktop.mainExecutor,
                                     std::shared_ptr<Executor>(std::shared_ptr<void>(), &desktop.worker),
                                     {}};
    SyncAPIClient& client = desktop.environment->apiClient();
    templateactions::EmailTemplateBody body;
    body.name = "Kort en bondig";
    body.type = "invoice";
    body.subject = "Factuur {factuurnummer}";
    body.body = "Beste {klant_naam}, hierbij de factuur.";
    const auto made = templateactions::createEmailTemplate(client, body);

    ui::SettingsDialog settings(context);
    ui::EmailTemplatesPage& page = settings.emailTemplates();
    const auto loaded = [&] { return !page.statusText().endsWith("ophalen…"); };
    ASSERT_TRUE(eventually(loaded));
    const auto rowOf = [&](const QString& name) {
        for (int row = 0; row < page.table().rowCount(); ++row)
            if (page.table().item(row, 0)->text() == name) return row;
        return -1;
    };
    const int row = rowOf("Kort en bondig");
    ASSERT_GE(row, 0) << page.statusText().toStdString();
    EXPECT_EQ(page.table().rowCount(), static_cast<int>(templateactions::emailTemplates(client).size()));
    EXPECT_EQ(page.table().item(row, 1)->text(), "Factuur");
    EXPECT_EQ(page.table().item(row, 3)->text(), "");

    page.makeDefault(row);
    ASSERT_TRUE(eventually(loaded));
    EXPECT_EQ(page.table().item(rowOf("Kort en bondig"), 3)->text(), "Ja");
    for (const auto& held : templateactions::emailTemplates(client)) {
        if (held.type == std::optional<std::string>("invoice") && held.language == made.language) {
            EXPECT_EQ(held.isDefault.value_or(false), held.id == made.id) << held.name;
        }
    }

    service.stop();
    const int rows = page.table().rowCount();
    page.load();
    ASSERT_TRUE(eventually(loaded));
    EXPECT_TRUE(page.statusText().startsWith("De dienst is niet bereikbaar"))
        << page.statusText().toStdString();
    EXPECT_EQ(page.table().rowCount(), rows);
}

TEST(ServiceFiguresIntegrationTest, TheDashboardShowsTheBriefingAndSendsTheDecisions) {
    ServiceProcess service(ServiceProcess::demo());
    Desktop desktop(service);
    auto& briefing = desktop.section<ui::DashboardView>(MainSection::dashboard).briefing();
    ASSERT_TRUE(eventually([&] { return !briefing.actionIds().empty(); }));
    EXPECT_TRUE(briefing.headingText().contains("punten voor deze week"))
        << briefing.headingText().toStdString();
    const std::vector<std::string> before = briefing.actionIds();
    // The service counts this month's revenue and what is open as the device does.
    const DashboardSummary local = desktop.environment->repositories().dashboard.summary();
    const auto remote = dashboardactions::summary(desktop.environment->apiClient(),
                                                  dashboardactions::NativeDashboardPeriod::kwartaal);
    EXPECT_EQ(remote.revenueThisMonthCents, local.revenueThisMonthCents);
    EXPECT_EQ(remote.outstandingCents, local.outstandingCents);
    EXPECT_EQ(remote.overdueCount, local.overdueCount);

    briefing.decide(0, dashboardactions::NativeAiActionDecision::dismissed);
    ASSERT_TRUE(eventually([&] { return briefing.actionIds().size() == before.size() - 1; }));
    briefing.decide(0, dashboardactions::NativeAiActionDecision::snoozed);
    ASSERT_TRUE(eventually([&] { return briefing.actionIds().size() == before.size() - 2; }));
    // The service remembers both: a fresh briefing leaves them out too.
    const auto fresh = *dashboardactions::briefing(desktop.environment->apiClient()).actions;
    EXPECT_EQ(fresh.size(), before.size() - 2);
    for (const auto& action : fresh)
        EXPECT_TRUE(action.id != before[0] && action.id != before[1]) << action.id;

    // A refused decision and a briefing that cannot be fetched are told; the actions stay.
    addFault(service, {{"path", "/api/native/v1/dashboard/action"}, {"status", 500}});
    briefing.decide(0, dashboardactions::NativeAiActionDecision::done);
    ASSERT_TRUE(eventually([&] { return briefing.statusText().startsWith("Keuze niet verstuurd"); }));
    EXPECT_EQ(briefing.actionIds().size(), before.size() - 2);
    service.stop();
    briefing.load();
    ASSERT_TRUE(eventually([&] {
        return briefing.statusText().startsWith("Briefing niet bijgewerkt: De dienst is niet bereikbaar");
    })) << briefing.statusText().toStdString();
    EXPECT_EQ(briefing.actionIds().size(), before.size() - 2);
}

// A part payment from a statement is linked through the service's suggestion, and a cost gets a
// category with a rule that takes the counterparty's other transactions along.
TEST(ServiceFiguresIntegrationTest, TheBankSectionLinksASuggestedPaymentAndCategorisesWithARule) {
    ServiceProcess service(ServiceProcess::demo());
    Desktop desktop(service);
    uploadBankStatement(
        desktop.environment->apiClient(), "maart.xml",
        testing::readFile(std::filesystem::path(ZELVORIN_STATEMENTS_DIR) / "demo-maart.camt053.xml"));
    desktop.environment->syncNow();
    auto& bank = desktop.section<ui::BankView>(MainSection::bank);
    bank.reload();
    const auto select = [&](const std::string& description) {
        for (int row = 0; row < bank.model().rowCount(); ++row)
            if (bank.model().row(row).description == description) {
                bank.table().selectRow(row);
                return true;
            }
        return false;
    };

    ASSERT_TRUE(select("Eerste deel van FAC-2026-0019"));
    EXPECT_EQ(bank.reviewState(), "Nog niet beoordeeld.");
    ASSERT_TRUE(eventually([&] { return bank.linkButton().isEnabled(); }))
        << bank.suggestionText().toStdString();
    EXPECT_TRUE(bank.suggestionText().startsWith("Voorstel: FAC-2026-0019 (deelbetaling) — "))
        << bank.suggestionText().toStdString();
    QTest::mouseClick(&bank.linkButton(), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return bank.messageText().startsWith("Gekoppeld"); }))
        << bank.messageText().toStdString();
    const auto paid =
        desktop.environment->repositories().invoices.invoice("018cc251-f400-7000-8000-00000000cff9");
    ASSERT_TRUE(paid);
    EXPECT_EQ(paid->status, "partiallyPaid");

    // The statement's phone bill waits for review; the earlier ones of that provider have their category.
    ASSERT_TRUE(select("Abonnement mobiel en internet maart"));
    ASSERT_TRUE(bank.categoryChoice().isVisibleTo(&bank));
    EXPECT_FALSE(bank.linkButton().isVisibleTo(&bank));  // money going out pays no sales invoice
    bank.categoryChoice().setCurrentIndex(bank.categoryChoice().findData("telefoon_internet"));
    bank.ruleChoice().setChecked(true);
    QTest::mouseClick(&bank.categoriseButton(), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return bank.messageText().startsWith("Categorie gegeven"); }))
        << bank.messageText().toStdString();
    ASSERT_TRUE(select("Abonnement mobiel en internet maart"));
    EXPECT_EQ(bank.reviewState(), "Categorie: Telefoon en internet");
    const bank::BankRulesResponse rules = bank::rules(desktop.environment->apiClient());
    ASSERT_EQ(rules.rules.size(), 1u);
    EXPECT_EQ(rules.rules[0].counterpartyPattern, "Telecom Noord B.V.");
}

}  // namespace
}  // namespace zelvorin
