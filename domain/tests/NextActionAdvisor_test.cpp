#include <gtest/gtest.h>

#include <vector>

#include "domain/NextActionAdvisor.h"

namespace zelvorin {
namespace {

using namespace std::chrono;

const TimePoint kDue = sys_days{2026y / 3 / 1} + 12h;

NextActionInput input(std::string status, TimePoint now, std::vector<NextActionReminder> reminders = {},
                      std::optional<TimePoint> due = kDue, bool hasCreditNote = false) {
    return NextActionInput{std::move(status), due, std::move(reminders), hasCreditNote, now};
}

std::optional<NextActionKind> kindFor(const NextActionInput& in) {
    const auto action = NextActionAdvisor::nextAction(in);
    return action ? std::optional(action->kind) : std::nullopt;
}

TEST(NextActionAdvisorTest, StatusRulesComeBeforeTheDueDate) {
    const TimePoint late = kDue + days{100};
    for (const char* status : {"draft", "readyForFinalize", "finalizing", "finalized", "cancelled"}) {
        EXPECT_EQ(kindFor(input(status, late)), std::nullopt) << status;
    }
    EXPECT_EQ(NextActionAdvisor::nextAction(input("credited", late, {}, kDue, true)),
              (NextAction{NextActionKind::viewCredit, "Bekijk credit factuur"}));
    EXPECT_EQ(NextActionAdvisor::nextAction(input("credited", late)),
              (NextAction{NextActionKind::createCredit, "Maak credit factuur"}));
    EXPECT_EQ(kindFor(input("paid", late, {}, kDue, true)), NextActionKind::createCredit);
    EXPECT_EQ(NextActionAdvisor::nextAction(input("partiallyPaid", late)),
              (NextAction{NextActionKind::registerRemainder, "Registreer resterende betaling"}));
    EXPECT_EQ(kindFor(input("partiallyPaid", kDue - days{1})), NextActionKind::registerRemainder);
    // Unknown and differently cased statuses are treated like a sent invoice.
    EXPECT_EQ(kindFor(input("Paid", late)), NextActionKind::sendReminder1);
}

TEST(NextActionAdvisorTest, DueDateBoundary) {
    EXPECT_EQ(NextActionAdvisor::nextAction(input("sent", kDue)),
              (NextAction{NextActionKind::viewPdf, "Bekijk PDF"}));
    EXPECT_EQ(kindFor(input("viewed", kDue + days{400}, {}, std::nullopt)), NextActionKind::viewPdf);
    EXPECT_EQ(NextActionAdvisor::nextAction(input("sent", kDue + 1s)),
              (NextAction{NextActionKind::sendReminder1, "Stuur 1e herinnering"}));
    EXPECT_EQ(kindFor(input("overdue", kDue + 1ms)), NextActionKind::sendReminder1);
}

TEST(NextActionAdvisorTest, RemindersFollowEachOtherAfterFourteenWholeDays) {
    const TimePoint sent1 = kDue + days{1};
    const TimePoint now = sent1 + days{14};
    struct Row {
        const char* name;
        std::vector<NextActionReminder> reminders;
        NextAction expected;
    };
    const NextAction pay{NextActionKind::registerPayment, "Registreer betaling"};
    const NextAction second{NextActionKind::sendReminder2, "Stuur 2e herinnering"};
    const NextAction final{NextActionKind::sendFinalNotice, "Stuur aanmaning"};
    const std::vector<Row> rows{
        {"reminder 1 at exactly 14 days", {{"reminder_1", sent1}}, second},
        {"reminder 1 at 13.9 days", {{"reminder_1", sent1 + 2h + 24min}}, pay},
        {"reminder 1 at 13 days 23:59:59.999", {{"reminder_1", sent1 + 1ms}}, pay},
        {"reminder 2 at 20 days", {{"reminder_1", sent1 - days{30}}, {"reminder_2", sent1 - days{6}}}, final},
        {"older reminder last", {{"reminder_2", sent1 - days{6}}, {"reminder_1", sent1 - days{30}}}, final},
        {"latest is reminder 1, too soon",
         {{"reminder_2", sent1 - days{40}}, {"reminder_1", now - days{3}}},
         pay},
        {"after the final notice", {{"reminder_final", sent1 - days{100}}}, pay},
        {"unknown level", {{"herinnering", sent1 - days{100}}}, pay},
        {"reminder dated in the future", {{"reminder_1", now + days{20}}}, pay},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(NextActionAdvisor::nextAction(input("sent", now, row.reminders)), row.expected) << row.name;
    }
}

TEST(NextActionKindTest, RawValues) {
    EXPECT_EQ(rawValue(NextActionKind::sendFinalNotice), "send-final-notice");
    EXPECT_EQ(parseNextActionKind("register-remainder"), NextActionKind::registerRemainder);
    EXPECT_FALSE(parseNextActionKind("view_pdf"));
}

}  // namespace
}  // namespace zelvorin
