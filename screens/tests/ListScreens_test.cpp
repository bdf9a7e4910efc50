#include <gtest/gtest.h>

#include <set>

#include "app/SyncDisplayStatus.h"
#include "screens/DashboardScreen.h"
#include "screens/DisplayFormats.h"
#include "screens/DroppedDocument.h"
#include "screens/InputError.h"
#include "screens/InvoiceListScreen.h"
#include "screens/MainSections.h"
#include "screens/OrganisationSwitch.h"
#include "screens/SyncChip.h"
#include "screens/TypedInput.h"

namespace zelvorin {
namespace {

using namespace std::chrono_literals;

TEST(SyncChipTest, EveryStateSaysWhatIsGoingOnAndTheProblemsSayHowToRetry) {
    const auto at = std::chrono::system_clock::from_time_t(1773655200);  // 2026-03-16T10:00:00Z
    using D = SyncDisplayStatus;
    EXPECT_EQ(syncChip(D{D::Synced{}}).text, "Nog niet gesynchroniseerd");
    EXPECT_EQ(syncChip(D{D::Synced{at}}).text, "Gesynchroniseerd");
    EXPECT_NE(syncChip(D{D::Synced{at}}).detail.find("Laatst gesynchroniseerd om "), std::string::npos);
    const SyncChip setAside = syncChip(D{D::Synced{at, 2}});
    EXPECT_EQ(setAside.text, "Gesynchroniseerd · 2 records apart");
    EXPECT_NE(setAside.detail.find("2 records van de dienst passen niet"), std::string::npos)
        << setAside.detail;
    EXPECT_EQ(describe(D{D::Synced{at, 1}}), "gesynchroniseerd, 1 record(s) apart gezet");

    EXPECT_EQ(syncChip(D{D::Offline{0}}).text, "Offline");
    const SyncChip waiting = syncChip(D{D::Offline{3}});
    EXPECT_EQ(waiting.text, "Offline · 3 wachtend");
    EXPECT_NE(waiting.detail.find("3 wijzigingen wachten"), std::string::npos);
    EXPECT_NE(syncChip(D{D::Offline{1}}).detail.find("1 wijziging wacht "), std::string::npos);
    EXPECT_EQ(waiting.tone, SyncChip::Tone::attention);

    const SyncChip failed = syncChip(D{D::Failed{"De dienst gaf een fout (500).", at}});
    EXPECT_EQ(failed.text, "Synchronisatie mislukt");
    EXPECT_EQ(failed.detail.rfind("De dienst gaf een fout (500).", 0), 0u);
    EXPECT_EQ(failed.tone, SyncChip::Tone::problem);

    EXPECT_EQ(syncChip(D{D::Conflicts{1}}).text, "1 conflict");
    EXPECT_EQ(syncChip(D{D::Conflicts{2}}).text, "2 conflicten");
    EXPECT_EQ(syncChip(D{D::Syncing{}}).tone, SyncChip::Tone::busy);
    EXPECT_EQ(syncChip(D{D::Syncing{}}).text, "Synchroniseren…");
    const SyncChip pulling = syncChip(D{D::Syncing{12, 5750}});
    EXPECT_EQ(pulling.text, "Synchroniseren… 5.750 records");
    EXPECT_EQ(pulling.detail, "12 pagina's opgehaald, 5.750 records bijgewerkt.");
    EXPECT_EQ(syncChip(D{D::Syncing{1, 1}}).detail, "1 pagina opgehaald, 1 record bijgewerkt.");
    EXPECT_EQ(groupedNumber(1234567), "1.234.567");
    EXPECT_EQ(groupedNumber(-1000), "-1.000");
    EXPECT_EQ(groupedNumber(999), "999");
    EXPECT_EQ(syncChip(D{D::WaitingForServer{}}).text, "Wacht op de dienst…");
}

TEST(DisplayFormatsTest, MoneyIsDutchAndDatesFollowTheOrganisationsNotation) {
    EXPECT_EQ(DisplayFormats{}.money(123456), "€ 1.234,56");
    EXPECT_EQ(DisplayFormats{}.money(-5), "€ -0,05");
    const std::optional<std::string> stamp = "2026-03-16T10:00:00Z";
    EXPECT_EQ(DisplayFormats{}.date(stamp), "16-03-2026");
    EXPECT_EQ(DisplayFormats{"nl"}.date(stamp), "16-03-2026");
    EXPECT_EQ(DisplayFormats{"en-us"}.date(stamp), "03/16/2026");
    EXPECT_EQ(DisplayFormats{"en-gb"}.date(stamp), "16/03/2026");
    EXPECT_EQ(DisplayFormats{"iso"}.date(stamp), "2026-03-16");
    EXPECT_EQ(DisplayFormats{}.date(std::nullopt), "");
    EXPECT_EQ(DisplayFormats{}.date(std::string("morgen")), "morgen");  // not a stored date: as it is
    EXPECT_EQ(invoiceStatusLabel("partiallyPaid"), "Deels betaald");
    EXPECT_EQ(invoiceStatusLabel("iets"), "iets");
}

TEST(InvoiceListScreenTest, OnlyARealChangeOfTheQueryStartsANewOne) {
    InvoiceListScreen screen;
    int changes = 0;
    screen.setOnQueryChange([&] { ++changes; });
    screen.setSearch("  ");
    screen.setSegment(InvoiceSegment::alle);
    screen.setYear(std::nullopt);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(screen.emptyText(), "Nog geen facturen. Maak je eerste factuur met Ctrl+N.");

    screen.setSearch(" Jansen ");
    screen.setSearch("Jansen");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(screen.query().search, "Jansen");
    EXPECT_EQ(screen.emptyText(), "Geen facturen gevonden voor \u201cJansen\u201d.");
    screen.setSegment(InvoiceSegment::achterstallig);
    screen.setYear(2025);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(screen.query().segment, InvoiceSegment::achterstallig);
    EXPECT_EQ(screen.query().year, 2025);
    screen.setSearch("");
    EXPECT_EQ(screen.emptyText(), "Geen facturen in deze selectie.");
}

TEST(InvoiceListScreenTest, RowsShowTheDraftNumberAndDutchTextsAndYearsGoBackFiveYears) {
    InvoiceListItem draft{"id-1",       std::nullopt, "D-3F9A",    "draft",     "2026-03-01",
                          "2026-03-31", 12100,        "localOnly", std::nullopt};
    const DisplayFormats formats;
    using S = InvoiceListScreen;
    EXPECT_EQ(S::cellText(draft, S::number, formats), "D-3F9A");
    EXPECT_EQ(S::cellText(draft, S::customer, formats), "Geen klant");
    EXPECT_EQ(S::cellText(draft, S::issueDate, formats), "01-03-2026");
    EXPECT_EQ(S::cellText(draft, S::amount, formats), "€ 121,00");
    EXPECT_EQ(S::cellText(draft, S::status, formats), "Concept");
    EXPECT_EQ(S::columnTitles().size(), static_cast<std::size_t>(S::columnCount));

    const auto years = S::yearChoices(2026);
    ASSERT_EQ(years.size(), 6u);
    EXPECT_EQ(years.front().title, "Alle jaren");
    EXPECT_FALSE(years.front().year);
    EXPECT_EQ(years.back().year, 2022);
}

TEST(MainSectionsTest, EightSectionsWithDistinctTitlesAndSlugs) {
    std::set<std::string_view> titles, slugs;
    for (const MainSection section : kAllMainSections) {
        titles.insert(sectionTitle(section));
        slugs.insert(sectionSlug(section));
    }
    EXPECT_EQ(titles.size(), 8u);
    EXPECT_EQ(slugs.size(), 8u);
    EXPECT_EQ(sectionTitle(MainSection::btwAangifte), "BTW-aangifte");
}

}  // namespace
}  // namespace zelvorin

namespace zelvorin {
namespace {

std::vector<std::int64_t> tickValues(double highest) {
    std::vector<std::int64_t> values;
    for (const ChartTick& tick : chartTicks(highest))
        values.push_back(tick.euros);
    return values;
}

TEST(DashboardScreenTest, ChartAxesStopAtARoundTopInAtMostFiveRoundSteps) {
    using V = std::vector<std::int64_t>;
    EXPECT_EQ(tickValues(7444), (V{0, 2000, 4000, 6000, 8000}));
    EXPECT_EQ(tickValues(6717), (V{0, 2000, 4000, 6000, 8000}));
    EXPECT_EQ(tickValues(12000), (V{0, 2500, 5000, 7500, 10000, 12500}));
    EXPECT_EQ(tickValues(10000), (V{0, 2000, 4000, 6000, 8000, 10000}));
    EXPECT_EQ(tickValues(3), (V{0, 1, 2, 3}));
    EXPECT_EQ(tickValues(0), (V{0, 20, 40, 60, 80, 100}));  // an empty period still has a scale
    EXPECT_EQ(tickValues(-50), tickValues(0));
    EXPECT_EQ(chartTicks(7444).back().label, "€ 8.000");
    EXPECT_EQ(chartTicks(0.4).back().label, "€ 1");
}

TEST(DashboardScreenTest, FiguresInEurosWithTheirCountsAndTheSyncTime) {
    DashboardSummary summary{1250000, 7100, 1, 7100, 2, "2026-03-16T10:05:00Z"};
    const auto cards = summaryCards(summary, DisplayFormats{});
    ASSERT_EQ(cards.size(), 4u);
    EXPECT_EQ(cards[0], (SummaryCard{"Omzet deze maand", "€ 12.500,00", "excl. BTW"}));
    EXPECT_EQ(cards[1].caption, "1 factuur");
    EXPECT_EQ(cards[2].caption, "2 facturen");
    EXPECT_EQ(cards[3].value, "16-03-2026");
    EXPECT_EQ(cards[3].caption, "om 10:05 (UTC)");
    EXPECT_EQ(summaryCards(DashboardSummary{}, DisplayFormats{})[3].value, "Nog niet");
    EXPECT_EQ(periodTitle(ChartPeriod::vorigJaar), "Vorig jaar");
}

}  // namespace
}  // namespace zelvorin

namespace zelvorin {
namespace {

TEST(DroppedDocumentTest, OnlyPdfsAndPhotosByTheirContentAreDocuments) {
    EXPECT_EQ(droppedDocument("bon.pdf", "%PDF-1.7\n...").contentType, "application/pdf");
    EXPECT_EQ(droppedDocument("foto", std::string("\xFF\xD8\xFF\xE0rest", 8)).contentType, "image/jpeg");
    EXPECT_EQ(droppedDocument("scan.png", std::string("\x89PNG\r\n\x1A\n....", 12)).contentType, "image/png");
    for (const std::string& bytes : {std::string(), std::string("Beste klant,"), std::string("%PD")}) {
        try {
            droppedDocument("brief.pdf", bytes);
            ADD_FAILURE() << "accepted: " << bytes;
        } catch (const InputError& error) {
            EXPECT_EQ(error.kind(), InputError::Kind::invalidValue);
            EXPECT_NE(std::string(error.what()).find("'brief.pdf' is geen document"), std::string::npos);
        }
    }
}

TEST(TypedEmailTest, AnAddressNeedsANameAndADottedDomain) {
    EXPECT_EQ(optionalEmail("", "e-mailadres"), std::nullopt);
    EXPECT_EQ(optionalEmail("info@bakkerij-jansen.nl", "e-mailadres"), "info@bakkerij-jansen.nl");
    for (const char* bad : {"jansen", "@jansen.nl", "info@jansen", "info@@jansen.nl", "info@jansen.",
                            "in fo@jansen.nl", "info@.nl", "info@jansen..nl"})
        EXPECT_THROW(optionalEmail(bad, "e-mailadres"), InputError) << bad;
}

}  // namespace
}  // namespace zelvorin

namespace zelvorin {
namespace {

TEST(OrganisationSwitchTest, EveryOutcomeButASwitchSaysWhy) {
    using O = AppEnvironment::SwitchOutcome;
    EXPECT_EQ(switchOutcomeMessage(O::switched), "");
    std::set<std::string> messages;
    for (const O outcome : {O::refused, O::noConnection, O::failed})
        messages.insert(switchOutcomeMessage(outcome));
    EXPECT_EQ(messages.size(), 3u);
    EXPECT_FALSE(messages.contains(""));
}

}  // namespace
}  // namespace zelvorin
