#include "service/invoices/InvoiceStatsActions.h"

#include <gtest/gtest.h>

#include "persistence/sqlite/Connection.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoicePaymentActions.h"
#include "service/invoices/InvoiceSendActions.h"
#include "service/seed/DemoSeed.h"
#include "service/store/ServiceDatabase.h"
#include "service/tests/DemoDraft.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using namespace std::chrono;

const TimePoint kNow = sys_days{year{2026} / March / 16} + hours{10};

TEST(InvoiceStatsIntegrationTest, CountsTheMessagesAndPaymentsThatReallyHappened) {
    testing::TempDir dir;
    ServiceDatabase database{dir.path() / "data"};
    ASSERT_TRUE(seedDemo(database, year{2026} / March / 16));
    const MailOutbox outbox{dir.path() / "data"};
    const Caller caller{demoOwnerUserId(), demoOrganizationId(), "apparaat-a", "sessie", std::nullopt};
    database.write([&](Connection& db) {
        writeDemoDraft(db, "f-stats", 2, 50000, {ChangeSource::push, demoOwnerUserId(), "apparaat-a"}, kNow);
    });

    nlohmann::ordered_json stats = invoiceStats(database, caller, "f-stats");
    EXPECT_EQ(stats["mail"]["delivered"], 0);
    EXPECT_EQ(stats["payment"]["status"], "draft");
    EXPECT_EQ(stats["payment"]["outstandingCents"], 121000);
    EXPECT_TRUE(stats["payment"]["method"].is_null());

    const SendInvoiceRequest message{
        "boekhouding@bakkerij-jansen.nl", "Factuur", "Beste klant", std::nullopt, {}};
    sendInvoice(database, outbox, caller, "f-stats", message, kNow);
    addInvoicePayment(database, caller, "f-stats", {20000, std::string("2026-03-20"), "ideal", std::nullopt},
                      kNow + days{4});
    addInvoicePayment(database, caller, "f-stats", {1000, std::string("2026-03-18"), "cash", std::nullopt},
                      kNow + days{5});
    remindInvoice(database, outbox, caller, "f-stats", "reminder_1", message, kNow + days{31});

    stats = invoiceStats(database, caller, "f-stats");
    EXPECT_EQ(stats["mail"]["delivered"], 2);  // the invoice and its reminder
    EXPECT_EQ(stats["mailTrackingAvailable"], false);
    EXPECT_EQ(stats["totalOpens"], 0);
    const auto& payment = stats["payment"];
    EXPECT_EQ(payment["status"], "partiallyPaid");
    EXPECT_EQ(payment["paidCents"], 21000);
    EXPECT_EQ(payment["outstandingCents"], 100000);
    EXPECT_EQ(payment["method"], "ideal");  // the latest by payment date, not by entry
    ASSERT_EQ(payment["payments"].size(), 2u);
    EXPECT_EQ(payment["payments"][0]["paymentDate"], "2026-03-18");

    EXPECT_THROW(invoiceStats(database, {demoOwnerUserId(), secondOrganizationId(), "a", "s", std::nullopt},
                              "f-stats"),
                 ServiceError);
}

}  // namespace
}  // namespace zelvorin::service
