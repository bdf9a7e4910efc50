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

TEST(InvoiceActionRulesTest, TheTwelveVariablesAreFilledInBothBraceForms) {
    rules::MessageVariables values;
    values.customerName = "Bakkerij Jansen";
    values.totalCents = 143688;
    values.dueDate = "2026-04-15";
    values.orgName = "Studio Zelvorin";
    EXPECT_EQ(rules::substituteVariables("Beste {{klant_naam}}, bedrag {bedrag}", values),
              "Beste Bakkerij Jansen, bedrag € 1.436,88");
    EXPECT_EQ(rules::substituteVariables(
                  "{factuurnummer}|{vervaldatum}|{betaaltermijn}|{betaallink}|{{bedrijfsnaam}}", values),
              "|15-04-2026|30||Studio Zelvorin");  // a draft has no number; no term means 30
}

TEST(InvoiceActionRulesTest, TemplatesNarrowToTheModeUnlessNoneFits) {
    const std::vector<std::pair<std::string, std::string>> templates{
        {"t1", "invoice"}, {"t2", "reminder_1"}, {"t3", "invoice"}};
    EXPECT_EQ(rules::templatesForMode(templates, rules::SendMode::resend),
              (std::vector<std::string>{"t1", "t3"}));
    EXPECT_EQ(rules::templatesForMode(templates, rules::SendMode::reminder, "reminder_1"),
              (std::vector<std::string>{"t2"}));
    EXPECT_EQ(rules::templatesForMode(templates, rules::SendMode::creditnote).size(), 3u);
}

TEST(InvoiceActionRulesTest, AtMostThreeAttachmentsOfTenMegabytesTogether) {
    EXPECT_TRUE(rules::canAddAttachment(2));
    EXPECT_FALSE(rules::canAddAttachment(3));
    const rules::Attachment sixMegabytes{"a.pdf", 6 * 1024 * 1024};
    EXPECT_NO_THROW(rules::checkAttachments({sixMegabytes}, {{"b.png", 4 * 1024 * 1024}}));
    EXPECT_THROW(rules::checkAttachments({sixMegabytes}, {sixMegabytes}), InputError);
    EXPECT_THROW(rules::checkAttachments({{"a", 1}, {"b", 1}, {"c", 1}}, {{"d", 1}}), InputError);
    EXPECT_EQ(rules::attachmentContentType("FOTO.JPG"), "image/jpeg");
    EXPECT_EQ(rules::attachmentContentType("notities.txt"), "application/octet-stream");
    EXPECT_EQ(rules::attachmentContentType("geen-extensie"), "application/octet-stream");
}

}  // namespace
}  // namespace zelvorin
