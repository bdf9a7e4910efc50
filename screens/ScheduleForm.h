#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "domain/ScheduleDescription.h"
#include "persistence/repositories/ScheduleRepository.h"

namespace zelvorin {

// A line of a fixed schedule as the form holds it: the amount as typed.
struct ScheduleLineForm {
    std::string id;
    std::string description;
    std::string amountDisplay;  // "250,00"
    std::string vatTreatment = "nl_21";
};

// The schedule editor's state: a new schedule starts from the defaults below, an existing one from
// its record. validationError() gives the first rule the form breaks in the screen's words;
// save() writes only a form that breaks none.
class ScheduleForm {
public:
    // The variables the descriptions may hold.
    struct TemplateVars {
        static constexpr auto& all = kScheduleDescriptionVariables;
    };
    // The workday keys, Monday first.
    static constexpr std::array<std::string_view, 7> kWorkdayKeys{"ma", "di", "wo", "do", "vr", "za", "zo"};
    static constexpr std::string_view kNoCustomer = "Selecteer een contact.";
    static constexpr std::string_view kNoWorkday = "Selecteer minstens één werkdag met uren.";
    static constexpr std::string_view kNoLines = "Voeg minstens één factuurregel toe.";
    static constexpr std::string_view kLineWithoutDescription =
        "Elke factuurregel heeft een omschrijving nodig.";
    static constexpr std::string_view kLineWithoutAmount = "Elke factuurregel heeft een geldig bedrag nodig.";
    static constexpr std::string_view kReverseChargeWithoutVatNumber =
        "BTW-nummer is verplicht bij BTW verlegd. Voeg het toe in Instellingen -> Organisatie.";
    static constexpr std::string_view kIndexationOutOfRange = "Voer een geldig percentage in (0,1% – 15%).";
    static constexpr std::string_view kInvalidRate = "Voer een geldig uurtarief in, bijv. 95 of 87,50.";

    std::string customerId;  // empty: none chosen
    std::string scheduleType = "hourly";
    std::string billingMode = "hours_per_week";
    std::string billingFrequency = "four_weekly";
    std::int64_t billingDay = 5;
    std::string billingTime = "09:00";
    std::string hourlyRateText = "95";                                    // euros as typed
    std::array<std::int64_t, 7> workdays{800, 800, 800, 800, 800, 0, 0};  // hundredths of an hour
    std::string invoiceDescriptionTemplate;
    std::string descriptionTemplate = "{klantnaam} -- week {weeknummer}";
    std::optional<std::string> startDate;
    bool active = true;
    std::string billingMoment = "advance";
    std::vector<ScheduleLineForm> lines;
    bool autoSend = false;
    std::int64_t reviewWindowHours = 0;
    std::string indexationMode = "none";
    std::string indexationPercentText;  // "3" or "2,5" (percent)
    std::string indexationAnchor = "jan_1";

    // The defaults of a new schedule.
    static ScheduleForm newSchedule() { return {}; }
    // An existing schedule; workdays or lines whose JSON text does not read are taken as none.
    static ScheduleForm fromRecord(const InvoiceScheduleRecord& schedule);
    const std::optional<InvoiceScheduleRecord>& original() const { return original_; }
    bool isFixed() const { return scheduleType == "fixed"; }

    // The first rule broken: customer, working days (hourly), lines (fixed), reverse charge
    // without the organisation's VAT number (a line's, or the customer's treatment for an hourly
    // schedule), the indexation percentage (0,1 % to 15 %), the hourly rate.
    std::optional<std::string> validationError(bool organisationHasVatNumber,
                                               std::string_view customerVatTreatment = {}) const;
    // Validates (InputError invalidValue with the rule's text; nothing written) and creates or
    // updates the schedule of `organizationId`; an update names the keys that changed.
    InvoiceScheduleRecord save(ScheduleRepository& schedules, const std::string& organizationId,
                               bool organisationHasVatNumber, std::string_view customerVatTreatment = {});

    // The next `count` invoices of an hourly schedule from `today` by its frequency, billing day
    // and time, leaving out `daysOff` (the schedule's and the public holidays): "Volgende facturen: "
    // followed by these lines, e.g. "06-04-2026 om 09:00 — 06-04-2026 t/m 12-04-2026 — 32 uur — € 3.040,00".
    std::vector<std::string> preview(std::chrono::year_month_day today,
                                     const std::set<std::chrono::sys_days>& daysOff,
                                     std::size_t count = 3) const;

private:
    std::optional<InvoiceScheduleRecord> original_;
};

}  // namespace zelvorin
