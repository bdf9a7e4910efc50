#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "app/tests/CliDevice.h"

namespace {

using nlohmann::json;
using zelvorin::testing::CliDevice;
using zelvorin::testing::CliRun;
using zelvorin::testing::query;

json runJson(const CliDevice& device, const std::string& arguments) {
    const CliRun run = device.run(arguments + " --json");
    EXPECT_EQ(run.exitCode, 0) << arguments << ": " << device.errors();
    return run.exitCode == 0 ? json::parse(run.out) : json();
}

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

class CliOfflineIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(device.run("login --auto").exitCode, 0) << device.errors();
        ASSERT_EQ(device.run("sync").exitCode, 0) << device.errors();
    }
    std::string queued() const { return trimmed(query(device, "SELECT COUNT(*) FROM outbox_change")); }

    CliDevice device;
};

TEST_F(CliOfflineIntegrationTest, AnInvoiceWrittenOfflineReachesTheServiceWithItsTotals) {
    const json customers = runJson(device, "customers --search bakkerij")["customers"];
    ASSERT_EQ(customers.size(), 1u);
    const std::string customer = customers[0]["id"];

    const std::string id =
        trimmed(device.run("invoice new --customer " + customer + " --date 2026-03-01").out);
    ASSERT_FALSE(id.empty()) << device.errors();
    const std::string hours = trimmed(
        device.run("line add " + id + " --description Ontwerp --mode hours_rate --qty 1,5 --price 85,00")
            .out);
    ASSERT_FALSE(hours.empty()) << device.errors();
    ASSERT_EQ(device.run("line add " + id + " --description Drukwerk --mode fixed --amount 100,00 --vat nl_9")
                  .exitCode,
              0);
    ASSERT_EQ(device.run("line set " + hours + " qty 2").exitCode, 0) << device.errors();
    ASSERT_EQ(device.run("invoice set " + id + " referenceNumber PO-77").exitCode, 0) << device.errors();

    json shown = runJson(device, "invoice show " + id);
    EXPECT_EQ(shown["invoice"]["subtotalCents"], 27000);
    EXPECT_EQ(shown["invoice"]["vatCents"], 3570 + 900);
    EXPECT_EQ(shown["invoice"]["totalCents"], 31470);
    EXPECT_EQ(shown["invoice"]["dueDate"], "2026-03-31");  // the demo organisation's 30 days
    EXPECT_EQ(shown["vatGroups"].size(), 2u);
    EXPECT_TRUE(shown["nextAction"].is_null());  // a draft has no next step yet
    const std::string text = device.run("invoice show " + id).out;
    EXPECT_NE(text.find("€ 314,70"), std::string::npos) << text;
    EXPECT_NE(text.find("2 × € 85,00"), std::string::npos) << text;

    const json drafts = runJson(device, "invoices --segment concept --search PO-77");
    ASSERT_EQ(drafts["invoices"].size(), 1u);
    EXPECT_EQ(drafts["invoices"][0]["syncState"], "localOnly");

    ASSERT_EQ(device.run("sync").exitCode, 0) << device.errors();
    EXPECT_EQ(queued(), "0");
    shown = runJson(device, "invoice show " + id);
    EXPECT_EQ(shown["invoice"]["syncState"], "synced");
    EXPECT_EQ(shown["invoice"]["referenceNumber"], "PO-77");
    EXPECT_EQ(shown["invoice"]["totalCents"], 31470);  // the service's own totals, pulled back
    EXPECT_EQ(shown["lines"].size(), 2u);

    // An overdue demo invoice proposes its next step.
    const json overdue = runJson(device, "invoices --segment achterstallig")["invoices"];
    ASSERT_FALSE(overdue.empty());
    EXPECT_FALSE(
        runJson(device, "invoice show " + overdue[0]["id"].get<std::string>())["nextAction"].is_null());

    ASSERT_EQ(device.run("invoice rm " + id).exitCode, 0);
    EXPECT_EQ(runJson(device, "invoices --search PO-77")["invoices"].size(), 0u);
    EXPECT_EQ(queued(), "1");
}

TEST_F(CliOfflineIntegrationTest, BadInputIsRefusedBeforeAnythingIsQueued) {
    const json invoices = runJson(device, "invoices --segment concept")["invoices"];
    ASSERT_FALSE(invoices.empty());
    const std::string id = invoices[0]["id"];
    const std::string before = queued();

    struct Case {
        std::string arguments;
        int exitCode;
        std::string message;
    };
    const std::vector<Case> cases{
        {"line add " + id + " --description X --mode qty_price --price abc", 2, "'abc'"},
        {"line add " + id + " --description X --mode per_kilo --price 1", 2, "hours_rate"},
        {"line add " + id + " --description X --mode fixed", 2, "amount"},
        {"line add " + id + " --description X --mode hours_rate --qty 1,5 --price 85 --vat nl_99", 2,
         "nl_21"},
        {"line add bestaat-niet --description X --mode fixed --amount 1", 4, "bestaat-niet"},
        {"line set bestaat-niet qty 2", 4, "Factuurregel 'bestaat-niet'"},
        {"line rm bestaat-niet", 4, "Factuurregel 'bestaat-niet'"},
        {"invoice set " + id + " kleur rood", 2, "Bekende velden"},
        {"invoice set " + id + " issueDate 31-12-2026", 2, "2026-03-01"},
        {"invoice set bestaat-niet freeText x", 4, "Factuur 'bestaat-niet'"},
        {"invoice rm bestaat-niet", 4, "Factuur 'bestaat-niet'"},
        {"invoice new --customer bestaat-niet", 4, "Klant 'bestaat-niet'"},
        {"invoices --segment open", 2, "achterstallig"},
        {"customer set bestaat-niet city Ede", 4, "Klant 'bestaat-niet'"},
        {"customer add --name ''", 2, "naam"},
    };
    for (const Case& c : cases) {
        const CliRun run = device.run(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments;
        EXPECT_NE(device.errors().find(c.message), std::string::npos)
            << c.arguments << ": " << device.errors();
    }
    EXPECT_EQ(queued(), before);
}

TEST_F(CliOfflineIntegrationTest, CustomersAreAddedEditedAndSearchedWithQuotesAndWildcardsBound) {
    const std::string id =
        trimmed(device.run("customer add --name \"O'Brien_100% Design\" --city Ede --country NL").out);
    ASSERT_FALSE(id.empty()) << device.errors();
    EXPECT_EQ(runJson(device, "customers --search \"O'Brien\"")["customers"].size(), 1u);
    EXPECT_EQ(runJson(device, "customers --search \"'; DROP TABLE customer; --\"")["customers"].size(), 0u);
    EXPECT_EQ(runJson(device, "customers --search ede")["customers"].size(), 1u);

    ASSERT_EQ(device.run("customer set " + id + " archived ja").exitCode, 0) << device.errors();
    EXPECT_EQ(runJson(device, "customers --search \"O'Brien\"")["customers"].size(), 0u);
    const json archived = runJson(device, "customers --archived --search \"O'Brien\"")["customers"];
    ASSERT_EQ(archived.size(), 1u);
    EXPECT_EQ(archived[0]["archived"], true);
    EXPECT_EQ(device.run("customer set " + id + " archived misschien").exitCode, 2);

    ASSERT_EQ(device.run("sync").exitCode, 0) << device.errors();
    EXPECT_EQ(runJson(device, "customers --archived --search \"O'Brien\"")["customers"][0]["syncState"],
              "synced");
}

TEST_F(CliOfflineIntegrationTest, OverviewsReadTheSyncedBook) {
    const json schedules = runJson(device, "schedules")["schedules"];
    ASSERT_EQ(schedules.size(), 2u);  // the demo's two, active ones first
    EXPECT_GE(schedules[0]["active"], schedules[1]["active"]);

    const json inbox = runJson(device, "inbox");
    EXPECT_EQ(inbox["items"].size(), 6u);
    const json fresh = runJson(device, "inbox --status nieuw");
    EXPECT_EQ(fresh["items"].size(), inbox["newCount"]);
    for (const json& item : fresh["items"])
        EXPECT_EQ(item["status"], "nieuw");
    EXPECT_EQ(device.run("inbox --category werk").exitCode, 2);

    // 60 transactions: a full first page that has more, the rest on page two.
    const json first = runJson(device, "bank");
    EXPECT_EQ(first["transactions"].size(), 50u);
    EXPECT_TRUE(first["hasMore"].get<bool>());
    const json second = runJson(device, "bank --page 2");
    EXPECT_EQ(second["transactions"].size(), 10u);
    EXPECT_FALSE(second["hasMore"].get<bool>());
    const json unmatched = runJson(device, "bank --unmatched")["transactions"];
    for (const json& t : unmatched)
        EXPECT_TRUE(t["matchedInvoiceId"].is_null() && t["matchedIncomingInvoiceId"].is_null());
    const std::string account = first["accounts"][0]["id"];
    const json ofAccount = runJson(device, "bank --account " + account)["transactions"];
    EXPECT_FALSE(ofAccount.empty());
    for (const json& t : ofAccount)
        EXPECT_EQ(t["bankAccountId"], account);

    const json dashboard = runJson(device, "dashboard");
    EXPECT_GT(dashboard["summary"]["outstandingCount"], 0);
    EXPECT_GT(dashboard["summary"]["overdueCents"], 0);
    EXPECT_FALSE(dashboard["summary"]["lastSuccessfulSyncAt"].is_null());  // the sync of SetUp
    EXPECT_EQ(dashboard["recentInvoices"].size(), 10u);
    EXPECT_EQ(dashboard["charts"]["laatsteZesMaanden"]["revenuePerMonth"].size(), 6u);
    std::int64_t income = 0;
    for (const json& month : dashboard["charts"]["alles"]["incomeAndExpenses"])
        income += month["inkomstenCents"].get<std::int64_t>();
    EXPECT_GT(income, 0);
}

}  // namespace
