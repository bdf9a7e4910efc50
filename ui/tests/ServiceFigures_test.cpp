// The sections that show what only the service computes, against the real service: the figures
// arrive, and a refusal or a lost connection is told in Dutch while the figures stay.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "api-client/VatActions.h"
#include "domain/Money.h"
#include "ui/VatReturnView.h"
#include "ui/tests/DesktopFixture.h"

namespace zelvorin {
namespace {

using testing::Desktop;
using testing::eventually;
using testing::ServiceProcess;
using Json = nlohmann::json;

void addFault(const ServiceProcess& service, const Json& fault) {
    ASSERT_EQ(service.post("/admin/faults", fault.dump()).status, 201);
}

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

}  // namespace
}  // namespace zelvorin
