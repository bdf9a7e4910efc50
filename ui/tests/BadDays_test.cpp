// The window on the service's bad days: every refusal and lost connection is told in Dutch where
// the person looks, and what the window showed stays as it was.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "api-client/AccountAPI.h"
#include "ui/InvoicesView.h"
#include "ui/VatReturnView.h"
#include "ui/tests/DesktopFixture.h"

namespace zelvorin {
namespace {

using testing::addFault;
using testing::Desktop;
using testing::eventually;
using testing::ServiceProcess;

// What the VAT section says after asking the service for the quarter.
QString vatExportOutcome(ui::VatReturnView& vat, bool& saved) {
    vat.exportQuarter(2026, 1, [&](const ExportedFile&) { saved = true; });
    EXPECT_TRUE(eventually([&] { return !vat.statusText().startsWith("Overzicht ophalen"); }));
    return vat.statusText();
}

TEST(BadDaysIntegrationTest, FailuresAndDroppedConnectionsAreToldInDutchAndChangeNothing) {
    ServiceProcess service(ServiceProcess::demo());
    Desktop desktop(service);
    ASSERT_TRUE(desktop.window->showsShell());
    Repositories& local = desktop.environment->repositories();
    const std::size_t invoices = local.invoices.list({}).size();

    auto& vat = desktop.section<ui::VatReturnView>(MainSection::btwAangifte);
    const int quarters = vat.model().rowCount();
    bool saved = false;
    addFault(service, {{"path", "/api/native/v1/btw/export"}, {"status", 500}});
    EXPECT_EQ(vatExportOutcome(vat, saved).toStdString(), "De dienst weigerde het verzoek (HTTP 500).");
    addFault(service, {{"path", "/api/native/v1/btw/export"}, {"drop", true}});
    const QString dropped = vatExportOutcome(vat, saved);
    EXPECT_TRUE(dropped.startsWith("De dienst is niet bereikbaar")) << dropped.toStdString();
    EXPECT_FALSE(saved);
    EXPECT_EQ(vat.model().rowCount(), quarters);
    EXPECT_EQ(vatExportOutcome(vat, saved).left(20), "Overzicht ontvangen:");  // the faults were one-offs
    EXPECT_TRUE(saved);

    // A sync the service fails shows on the chip; the lists keep what they had.
    auto& list = desktop.section<ui::InvoicesView>(MainSection::facturen);
    ASSERT_TRUE(eventually([&] { return list.model().rowCount() == static_cast<int>(invoices); }));
    addFault(service, {{"path", "/api/sync/pull"}, {"status", 500}});
    desktop.window->syncNow();
    ASSERT_TRUE(eventually([&] { return desktop.window->syncChipText() == "Synchronisatie mislukt"; }));
    EXPECT_EQ(list.model().rowCount(), static_cast<int>(invoices));

    // The service refusing the switch to her other organisation: told, and the window stays in
    // the old one with all its records.
    std::string other;
    for (const OrgMembership& membership : AccountAPI(desktop.environment->apiClient()).memberships())
        if (!membership.isCurrent) other = membership.organizationId;
    ASSERT_FALSE(other.empty());
    const std::string organisation = local.organisation.settings()->organizationId;
    addFault(service, {{"path", "/api/auth/native/switch-org"}, {"status", 403}});
    desktop.window->performSwitch(other, "Tweede BV");
    ASSERT_TRUE(eventually([&] { return desktop.window->showsShell(); }));
    ASSERT_TRUE(eventually([&] { return desktop.window->statusText().startsWith("De dienst staat"); }));
    EXPECT_EQ(
        desktop.window->statusText().toStdString(),
        "De dienst staat het wisselen naar deze organisatie niet toe. Je blijft in de huidige organisatie.");
    EXPECT_EQ(desktop.environment->repositories().invoices.list({}).size(), invoices);
    EXPECT_EQ(desktop.environment->repositories().organisation.settings()->organizationId, organisation);
}

}  // namespace
}  // namespace zelvorin
