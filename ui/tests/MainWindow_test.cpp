#include "ui/MainWindow.h"

#include <gtest/gtest.h>

#include <QTest>

#include "screens/InvoiceListScreen.h"
#include "testing/TempDir.h"
#include "ui/BankView.h"
#include "ui/CustomerDialog.h"
#include "ui/CustomersView.h"
#include "ui/DashboardView.h"
#include "ui/InvoiceEditorWindow.h"
#include "ui/InvoicesView.h"
#include "ui/KvitraView.h"
#include "ui/ProposalsView.h"
#include "ui/SchedulesView.h"
#include "ui/VatReturnView.h"
#include "ui/tests/DesktopFixture.h"

namespace zelvorin {
namespace {

using testing::Desktop;
using testing::eventually;
using testing::ServiceProcess;
using testing::TempDir;

TEST(MainWindowIntegrationTest, EverySectionShowsTheSyncedBookAndFacturenFiltersAsYouType) {
    ServiceProcess service(ServiceProcess::demo());
    Desktop desktop(service);
    ASSERT_TRUE(desktop.window->showsShell());
    Repositories& local = desktop.environment->repositories();

    auto& invoices = desktop.section<ui::InvoicesView>(MainSection::facturen);
    const auto all = local.invoices.list({});
    ASSERT_GT(all.size(), 5u);
    ASSERT_TRUE(eventually([&] { return invoices.model().rowCount() == static_cast<int>(all.size()); }));
    EXPECT_EQ(invoices.model().row(0).id, all.front().id);

    invoices.segments().setCurrentIndex(4);  // Achterstallig
    const auto overdue = local.invoices.list({InvoiceSegment::achterstallig, "", std::nullopt});
    ASSERT_FALSE(overdue.empty());
    ASSERT_TRUE(eventually([&] { return invoices.model().rowCount() == static_cast<int>(overdue.size()); }));

    invoices.segments().setCurrentIndex(0);
    QTest::keyClicks(invoices.searchField(), "Noordzee");
    ASSERT_TRUE(eventually([&] {
        const auto& rows = invoices.model().rows();
        return !rows.empty() && rows.size() < all.size() &&
               std::all_of(rows.begin(), rows.end(), [](const InvoiceListItem& row) {
                   return row.customerName.value_or("").find("Noordzee") != std::string::npos;
               });
    }));
    QTest::keyClicks(invoices.searchField(), "-bestaat-niet");
    ASSERT_TRUE(eventually([&] { return invoices.model().rowCount() == 0; }));

    // Opening an invoice shows it in the editor with its customer and total.
    ui::SectionContext context{*desktop.environment,
                               desktop.mainExecutor,
                               std::shared_ptr<Executor>(std::shared_ptr<void>(), &desktop.worker),
                               {}};
    ui::InvoiceEditorWindow detail(context, all.front().id);
    ASSERT_TRUE(eventually([&] { return detail.statusText().contains("Status:"); }));
    EXPECT_EQ(detail.model().invoice().customerId.has_value(), all.front().customerName.has_value());
    EXPECT_EQ(detail.model().invoice().totalCents, all.front().totalCents);

    auto& dashboard = desktop.section<ui::DashboardView>(MainSection::dashboard);
    ASSERT_TRUE(eventually([&] { return dashboard.cardText(0).contains("Omzet deze maand"); }));
    EXPECT_EQ(dashboard.recent().rowCount(), 10);

    auto& bank = desktop.section<ui::BankView>(MainSection::bank);
    const auto transactions = local.bank.transactions(BankRepository::TransactionFilter::alle, std::nullopt);
    EXPECT_EQ(bank.model().rowCount(), static_cast<int>(transactions.size()));
    bank.unmatchedOnly().setChecked(true);
    EXPECT_EQ(bank.model().rowCount(), static_cast<int>(local.bank.transactionCount(
                                           BankRepository::TransactionFilter::onbekend, std::nullopt)));
    EXPECT_LT(bank.model().rowCount(), static_cast<int>(transactions.size()));

    EXPECT_EQ(
        desktop.section<ui::KvitraView>(MainSection::kvitra).model().rowCount(),
        static_cast<int>(
            local.inbox.inbox(KvitraRepository::InboxFilter::alle, KvitraRepository::CategoryFilter::alle)
                .size()));
    EXPECT_EQ(desktop.section<ui::ProposalsView>(MainSection::offertes).model().rowCount(),
              static_cast<int>(local.proposals.proposals().size()));
    auto& schedules = desktop.section<ui::SchedulesView>(MainSection::autoFactuur);
    ASSERT_TRUE(eventually([&] {
        return schedules.model().rowCount() == static_cast<int>(local.schedules.schedules().size());
    }));
    EXPECT_GT(schedules.model().rowCount(), 0);
    EXPECT_EQ(desktop.section<ui::VatReturnView>(MainSection::btwAangifte).model().rowCount(),
              static_cast<int>(local.dashboardCharts.vatPerQuarter(ChartPeriod::alles).size()));
}

TEST(MainWindowIntegrationTest, ACustomerAddedInContactenIsCheckedFirstAndReachesASecondDevice) {
    ServiceProcess service(ServiceProcess::demo());
    Desktop desktop(service);
    auto& contacts = desktop.section<ui::CustomersView>(MainSection::contacten);
    ASSERT_TRUE(eventually([&] { return contacts.model().rowCount() > 0; }));
    const int before = contacts.model().rowCount();

    ui::SectionContext context{*desktop.environment, desktop.mainExecutor, nullptr, {}};
    ui::CustomerDialog dialog(context, std::nullopt);
    dialog.nameField()->setText("Studio Noorderlicht");
    dialog.emailField()->setText("facturen@noorderlicht");  // no dotted domain
    EXPECT_FALSE(dialog.save());
    EXPECT_TRUE(dialog.errorText().contains("Ongeldige waarde voor e-mailadres"));
    dialog.nameField()->clear();
    dialog.emailField()->setText("facturen@noorderlicht.nl");
    EXPECT_FALSE(dialog.save());
    EXPECT_EQ(dialog.errorText(), "Een klant heeft een naam nodig.");
    EXPECT_EQ(desktop.environment->repositories().customers.customers(false, "").size(),
              static_cast<std::size_t>(before));

    dialog.nameField()->setText("Studio Noorderlicht");
    dialog.cityField()->setText("Groningen");
    ASSERT_TRUE(dialog.save());
    ASSERT_TRUE(eventually([&] { return contacts.model().rowCount() == before + 1; }));

    desktop.window->syncNow();
    ASSERT_TRUE(eventually([&] {
        const auto found = desktop.environment->repositories().customers.customers(false, "Noorderlicht");
        return found.size() == 1 && found.front().syncState == "synced";
    }));
    Desktop second(service);
    auto& theirs = second.section<ui::CustomersView>(MainSection::contacten);
    QTest::keyClicks(theirs.searchField(), "Noorderlicht");
    ASSERT_TRUE(eventually([&] { return theirs.model().rowCount() == 1; }));
    EXPECT_EQ(theirs.model().row(0).city, "Groningen");
}

TEST(MainWindowIntegrationTest, WithoutTheServiceTheChipSaysOfflineAndServerActionsSayWhyInDutch) {
    ServiceProcess service(ServiceProcess::demo());
    Desktop desktop(service);
    service.stop();
    desktop.window->syncNow();
    ASSERT_TRUE(eventually([&] { return desktop.window->syncChipText().startsWith("Offline"); }));

    auto& vat = desktop.section<ui::VatReturnView>(MainSection::btwAangifte);
    const int quarters = vat.model().rowCount();
    bool saved = false;
    vat.exportQuarter(2026, 1, [&](const ExportedFile&) { saved = true; });
    ASSERT_TRUE(eventually([&] { return !vat.statusText().startsWith("Overzicht ophalen"); }));
    EXPECT_FALSE(saved);
    EXPECT_TRUE(vat.statusText().startsWith("De dienst is niet bereikbaar"))
        << vat.statusText().toStdString();
    EXPECT_EQ(vat.model().rowCount(), quarters);

    // A file that is no document is named and nothing is sent.
    TempDir files;
    const auto letter = files.path() / "brief.pdf";
    testing::writeFile(letter, "Beste klant, hierbij de factuur.");
    desktop.window->takeInDocuments({QString::fromStdString(letter.string())});
    EXPECT_TRUE(desktop.window->statusText().contains("'brief.pdf' is geen document"));
    EXPECT_EQ(desktop.window->currentSection(), MainSection::btwAangifte);
}

TEST(MainWindowIntegrationTest, SignInShowsTheFailureInDutchAndTheAutomaticHandoffOpensTheShell) {
    ServiceProcess service(ServiceProcess::demo());
    Desktop desktop(service, false);
    EXPECT_FALSE(desktop.window->showsShell());
    desktop.environment->beginHandoff();
    EXPECT_FALSE(desktop.environment->handleOpenURL("zelvorin://auth?code=verzonnen&device_id=" +
                                                    desktop.environment->deviceId()));
    desktop.window->refresh();
    // The service refuses a code it never gave out as an expired sign-in.
    EXPECT_EQ(desktop.window->signInView().failureText().toStdString(),
              "Je inlogsessie is verlopen. Probeer opnieuw in te loggen.");

    QTest::mouseClick(desktop.window->signInView().signInButton(), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return desktop.window->showsShell(); }));
    EXPECT_EQ(desktop.environment->sessionState(), SessionState::signedIn);

    // The app lock covers the shell once the owner turned it on and the window came back.
    BiometricAppLock& lock = desktop.environment->appLock();
    lock.setEnabled(true);
    lock.sceneBecameActive(true);
    desktop.window->refresh();
    EXPECT_TRUE(desktop.window->showsLock());
    lock.setEnabled(false);
    desktop.window->refresh();
    EXPECT_TRUE(desktop.window->showsShell());
}

}  // namespace
}  // namespace zelvorin
