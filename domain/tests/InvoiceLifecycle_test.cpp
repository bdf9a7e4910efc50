#include <gtest/gtest.h>

#include <vector>

#include "domain/DraftInvoiceNumber.h"
#include "domain/EmailToInvoiceTemplatePicker.h"
#include "domain/InvoiceDocumentTitle.h"
#include "domain/InvoiceDueDate.h"
#include "domain/InvoiceStatus.h"
#include "domain/InvoiceTemplateLanguage.h"
#include "domain/SentInvoiceContent.h"
#include "domain/Timestamps.h"

namespace zelvorin {
namespace {

using namespace std::chrono;
using Stage = InvoiceWorkflowStage;

TEST(InvoiceStatusTest, EveryStatusHasItsStageAndFlags) {
    struct Row {
        std::string_view raw;
        std::optional<Stage> stage;
        bool awaiting;
        bool editable;
    };
    const std::vector<Row> rows{
        {"draft", Stage::concept_, false, true},       {"readyForFinalize", Stage::concept_, false, true},
        {"finalizing", Stage::concept_, false, false}, {"finalized", Stage::concept_, false, false},
        {"sent", Stage::verzonden, true, false},       {"delivered", Stage::verzonden, true, false},
        {"viewed", Stage::verzonden, true, false},     {"partiallyPaid", Stage::verzonden, true, false},
        {"paid", Stage::betaald, false, false},        {"overdue", Stage::achterstallig, false, false},
        {"cancelled", std::nullopt, false, false},     {"credited", Stage::verzonden, false, false},
    };
    ASSERT_EQ(kAllInvoiceStatuses.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const InvoiceStatus status = kAllInvoiceStatuses[i];
        EXPECT_EQ(rawValue(status), rows[i].raw);
        EXPECT_EQ(parseInvoiceStatus(rows[i].raw), status);
        EXPECT_EQ(workflowStage(status), rows[i].stage) << rows[i].raw;
        EXPECT_EQ(isAwaitingPayment(status), rows[i].awaiting) << rows[i].raw;
        EXPECT_EQ(isEditableDraft(status), rows[i].editable) << rows[i].raw;
        EXPECT_EQ(SentInvoiceContent::isEditable(rows[i].raw), rows[i].editable) << rows[i].raw;
    }
    EXPECT_FALSE(parseInvoiceStatus("Paid"));
    // What cannot be read as a draft keeps what the customer received.
    EXPECT_FALSE(SentInvoiceContent::isEditable("Draft"));
    EXPECT_FALSE(SentInvoiceContent::isEditable(std::nullopt));
    EXPECT_EQ(rawValue(Stage::concept_), "concept");
    EXPECT_EQ(parseInvoiceWorkflowStage("achterstallig"), Stage::achterstallig);
    EXPECT_FALSE(parseInvoiceWorkflowStage("concept_"));
    EXPECT_EQ(statusesInStage(Stage::verzonden),
              (std::vector{InvoiceStatus::sent, InvoiceStatus::delivered, InvoiceStatus::viewed,
                           InvoiceStatus::partiallyPaid, InvoiceStatus::credited}));
}

TEST(InvoiceDueDateTest, AddsCalendarDays) {
    struct Row {
        year_month_day issue;
        std::optional<std::int64_t> specific;
        std::optional<std::int64_t> organisation;
        year_month_day due;
    };
    // clang-format off
    const std::vector<Row> rows{
        {2026y / 1 / 31, {}, 30, 2026y / 3 / 2},   {2026y / 1 / 31, {}, {}, 2026y / 3 / 2},
        {2026y / 1 / 31, 0, 14, 2026y / 1 / 31},   {2026y / 1 / 31, 14, 60, 2026y / 2 / 14},
        {2024y / 2 / 28, 1, {}, 2024y / 2 / 29},   {2023y / 2 / 28, 1, {}, 2023y / 3 / 1},
        {2026y / 12 / 15, {}, 30, 2027y / 1 / 14}, {2026y / 3 / 2, -30, {}, 2026y / 1 / 31},
        // the nights the clocks change
        {2026y / 3 / 28, 1, {}, 2026y / 3 / 29},   {2026y / 10 / 24, 2, {}, 2026y / 10 / 26},
        // beyond the calendar's range: the issue date
        {9999y / 12 / 1, 60, {}, 9999y / 12 / 1},  {2026y / 1 / 1, 1'000'000'000'000'000'000, {}, 2026y / 1 / 1}};
    // clang-format on
    for (const Row& row : rows) {
        EXPECT_EQ(InvoiceDueDate::dueDate(row.issue, row.specific, row.organisation), row.due)
            << formatCalendarDate(row.issue);
    }
    EXPECT_EQ(InvoiceDueDate::dueDate(2026y / 5 / 5, 2026y / 1 / 31, {}, {}), 2026y / 5 / 5);
    EXPECT_EQ(InvoiceDueDate::dueDate(std::nullopt, 2026y / 1 / 31, {}, {}), 2026y / 3 / 2);
}

TEST(InvoiceDueDateTest, TextFormOfTheStore) {
    EXPECT_EQ(InvoiceDueDate::dueDateText("2026-01-31", 30), "2026-03-02");
    EXPECT_EQ(InvoiceDueDate::dueDateText("2026-01-31", std::nullopt), "2026-03-02");
    EXPECT_EQ(InvoiceDueDate::dueDateText("2025-12-20", 14), "2026-01-03");
    for (std::string_view bad : {"", "2026-02-30", "31-01-2026", "2026-1-31", "2026-01-31T00:00:00Z"}) {
        EXPECT_FALSE(InvoiceDueDate::dueDateText(bad, 30)) << bad;
    }
}

TEST(DraftInvoiceNumberTest, PreviewOfConceptNumbers) {
    using DraftInvoiceNumber::preview;
    EXPECT_EQ(preview("C2026-7"), "FAC-2026-0007");
    EXPECT_EQ(preview("C2026-7", "{YEAR}{SEQ}", std::nullopt, 3), "2026007");
    EXPECT_EQ(preview("C2026-12345"), "FAC-2026-12345");
    EXPECT_EQ(preview("C2026-7", "{PREFIX}/{SEQ}/{PREFIX}", "INV", 0), "INV/7/INV");
    EXPECT_EQ(preview("C2026-007", std::nullopt, std::nullopt, -5), "FAC-2026-7");
    EXPECT_EQ(preview("C2026-7", "VAST"), "VAST");
    for (std::string_view bad :
         {"C26-7", "c2026-7", "C2026-", "C2026-7a", "C2026", "C2026-7-1", "C20a6-7", "2026-7", "C2026--7",
          "C2026-+7", "C2026-99999999999999999999", "C-2026-7"}) {
        EXPECT_FALSE(preview(bad)) << bad;
    }
    EXPECT_FALSE(preview(std::nullopt));
}

TEST(InvoiceLanguageTest, DocumentTitleAndTemplateLanguage) {
    using InvoiceDocumentTitle::title;
    EXPECT_EQ(title(false, "nl"), "Factuur");
    EXPECT_EQ(title(true, "NL-be"), "Credit factuur");
    EXPECT_EQ(title(false, ""), "Invoice");
    EXPECT_EQ(title(true, "en-NL"), "Credit note");
    EXPECT_EQ(title(false, "n"), "Invoice");

    using InvoiceTemplateLanguage::resolve;
    EXPECT_EQ(resolve("en", "NL", "nl"), "en");
    EXPECT_EQ(resolve("de", "nl", "en"), "nl");
    EXPECT_EQ(resolve("de", "BE", "nl"), "en");
    EXPECT_EQ(resolve(std::nullopt, "", "EN"), "nl");
    EXPECT_EQ(resolve("EN", std::nullopt, "en"), "en");
    EXPECT_EQ(resolve(std::nullopt, std::nullopt, std::nullopt), "nl");
}

TEST(EmailToInvoiceTemplatePickerTest, FirstMatchInRuleOrder) {
    using namespace EmailToInvoiceTemplatePicker;
    const std::vector<Option> options{
        {"t1", "Algemeen EN", "en", std::nullopt},     {"t2", "Factuur EN", "en", "factuur"},
        {"t3", "Herinnering NL", "nl", "herinnering"}, {"t4", "Factuur DE", "de", "factuur"},
        {"t5", "Factuur NL", "nl", "factuur"},
    };
    auto pickedId = [&](std::string_view type, std::string_view language,
                        std::optional<std::string_view> linked,
                        std::string_view fallback) -> std::optional<std::string> {
        auto picked = pick(type, language, linked, options, fallback);
        return picked ? std::optional(picked->id) : std::nullopt;
    };
    EXPECT_EQ(pickedId("invoice", "nl", "t1", "en"), "t1");       // linked id first
    EXPECT_EQ(pickedId("invoice", "nl", "missing", "en"), "t5");  // unknown link: go on
    EXPECT_EQ(pickedId("invoice", "nl", "", "en"), "t5");
    EXPECT_EQ(pickedId("invoice", "fr", std::nullopt, "de"), "t4");  // role in the fallback language
    EXPECT_EQ(pickedId("invoice", "fr", std::nullopt, "fr"), "t2");  // role in any language
    EXPECT_EQ(pickedId("reminder_2", "en", std::nullopt, "en"), "t3");
    EXPECT_EQ(pickedId("reminder_final", "en", std::nullopt, "nl"), "t1");  // no role: preferred language
    EXPECT_EQ(pickedId("reminder_final", "fr", std::nullopt, "nl"), std::nullopt);
    EXPECT_EQ(pickedId("quote", "en", std::nullopt, "en"), std::nullopt);
    EXPECT_EQ(pick("invoice", "nl", std::nullopt, {}, "nl"), std::nullopt);
    EXPECT_EQ(invoiceTemplateRole("credit_note"), "creditnota");
}

}  // namespace
}  // namespace zelvorin
