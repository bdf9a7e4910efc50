#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "persistence/generated/Records.h"

namespace zelvorin::scheduletexts {

// The Auto-factuur screen's own words.
inline constexpr std::string_view kEmptyTitle = "Nog geen auto-factuur schema's";
inline constexpr std::string_view kEmptyBody =
    "Maak er eentje aan om automatisch facturen te genereren op vaste tijdstippen.";
inline constexpr std::string_view kDeleteQuestion =
    "Weet je zeker dat je dit schema wilt verwijderen? Alle vrije dagen worden ook verwijderd. Deze actie "
    "kan "
    "niet ongedaan worden gemaakt.";
inline constexpr std::string_view kVariablesHelp =
    "Omschrijving ondersteunt {klantnaam}, {periode}, {jaar}, {kwartaal}, {maandnaam}.";
inline constexpr std::string_view kVariablesExample =
    "Bijv. Werkzaamheden {maandnaam} {jaar} voor {klantnaam}";
inline constexpr std::string_view kProjectDescriptionHelp =
    "verschijnt bovenaan de factuur in het 'Projectomschrijving' veld, boven de regelitems";
inline constexpr std::string_view kLineDescriptionHelp =
    "wordt gebruikt als omschrijving op elke factuurregel";
inline constexpr std::string_view kIndexationTitle = "Jaarlijkse indexatie";
inline constexpr std::string_view kIndexationHelp =
    "Je krijgt 30 dagen vooraf een melding; toepassing is terug te draaien.";
inline constexpr std::string_view kAutoSendTitle = "Verzendt automatisch";
inline constexpr std::string_view kReviewWindowTitle = "Review-venster";
inline constexpr std::string_view kAutoSendHelp =
    "Je krijgt een melding zodra een factuur klaarstaat; binnen het venster kun je nog ingrijpen. Zonder "
    "factuur-e-mailadres bij de klant blijft de factuur als concept staan.";
inline constexpr std::string_view kDaysOffHelp =
    "Vakantie-, ziekte- en vrije dagen worden afgetrokken van de automatische facturatie.";
inline constexpr std::string_view kNoDaysOff = "Geen vrije dagen ingevoerd.";

// "Wekelijks", "2-wekelijks", …; any other raw value unchanged.
std::string frequencyLabel(std::string_view rawFrequency);
// 1 "maandag" … 7 "zondag"; anything else the empty name.
std::string weekdayName(std::int64_t day);

// How an hourly schedule bills: "Elke vrijdag om 09:00", "Dag 5 van de maand om 09:00", …
std::string hourlySummary(const InvoiceScheduleRecord& schedule);

// The next invoice date of a fixed schedule on or after `today`: the billing day of each month
// (the month's last day when there is none or the month is shorter), in the months the frequency
// bills (quarterly January, April, July, October; half-yearly January and July; yearly January),
// looking 25 months ahead. `billingDay` 0 is "no billing day".
std::optional<std::chrono::year_month_day> nextFixedInvoiceDate(std::string_view rawFrequency,
                                                                std::int64_t billingDay,
                                                                std::chrono::year_month_day today);

// What a schedule's row says under its customer: the summary of an hourly schedule; for a fixed
// one "Volgende factuur: dd-MM-yyyy", or the frequency's label when no date comes.
std::string rowText(const InvoiceScheduleRecord& schedule, std::chrono::year_month_day today);

}  // namespace zelvorin::scheduletexts
