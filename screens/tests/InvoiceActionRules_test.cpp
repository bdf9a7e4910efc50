#include "screens/InvoiceActionRules.h"

#include <gtest/gtest.h>

#include "screens/InputError.h"

namespace zelvorin {
namespace {

namespace rules = InvoiceActionRules;

TEST(InvoiceActionRulesTest, OfflineTheSheetsRefuseWithTheirOwnNotice) {
    const SyncDisplayStatus offline{SyncDisplayStatus::Offline{2}};
    EXPECT_EQ(rules::offlineRefusal(rules::ServerAction::send, offline),
              "Versturen vereist een internetverbinding.");
    EXPECT_EQ(rules::offlineRefusal(rules::ServerAction::payment, offline),
              "Betaling registreren vereist een internetverbinding.");
    // Only offline refuses: a failed or conflicting sync still has a connection to try.
    for (const SyncDisplayStatus& other :
         {SyncDisplayStatus{}, SyncDisplayStatus{SyncDisplayStatus::Failed{"x", {}}},
          SyncDisplayStatus{SyncDisplayStatus::Conflicts{1}},
          SyncDisplayStatus{SyncDisplayStatus::Syncing{}}})
        EXPECT_FALSE(rules::offlineRefusal(rules::ServerAction::send, other));
}

TEST(InvoiceActionRulesTest, AnEmptyMessageGetsTheModesTitleAndAGreeting) {
    EXPECT_EQ(rules::sendTitle(rules::SendMode::resend), "Opnieuw versturen");
    EXPECT_EQ(rules::sendTitle(rules::SendMode::reminder, "reminder_2"), "2e herinnering versturen");
    EXPECT_EQ(rules::sendTitle(rules::SendMode::reminder, "reminder_final"), "Laatste herinnering versturen");
    EXPECT_EQ(rules::defaultBody(std::string("Bakkerij Jansen")),
              "Beste Bakkerij Jansen,\n\nHierbij ontvang je de factuur.\n\nMet vriendelijke groet");
    EXPECT_EQ(rules::defaultBody(std::string()).substr(0, 12), "Beste klant,");
}

TEST(InvoiceActionRulesTest, AnAmountIsAtLeastOneCent) {
    EXPECT_EQ(rules::positiveAmountCents("123,45"), 12345);
    EXPECT_EQ(rules::positiveAmountCents("1.234,56"), 123456);
    EXPECT_EQ(rules::positiveAmountCents("0,01"), 1);
    for (const char* typed : {"0", "0,00", "-5,00", "", "twaalf", "0,001"}) {
        try {
            rules::positiveAmountCents(typed);
            ADD_FAILURE() << typed;
        } catch (const InputError& error) {
            EXPECT_STREQ(error.what(), "Vul een geldig bedrag in.") << typed;
        }
    }
}

}  // namespace
}  // namespace zelvorin
