#include "screens/ScheduleForm.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "domain/Money.h"
#include "domain/ScheduleIndexation.h"
#include "domain/SchedulePeriods.h"
#include "domain/Timestamps.h"
#include "screens/InputError.h"

namespace zelvorin {

using Json = nlohmann::ordered_json;
using namespace std::chrono;

namespace {

std::string dutchDate(sys_days day) {
    const std::string iso = formatCalendarDate(year_month_day{day});
    return iso.substr(8, 2) + "-" + iso.substr(5, 2) + "-" + iso.substr(0, 4);
}

// "32", "7,5", "7,25": hours from hundredths.
std::string hoursText(std::int64_t hundredths) {
    std::string text = std::to_string(hundredths / 100);
    if (const std::int64_t rest = hundredths % 100; rest != 0) {
        text += "," + std::string(rest < 10 ? "0" : "") + std::to_string(rest);
        if (text.back() == '0') text.pop_back();
    }
    return text;
}

// Basis points from a typed percentage ("0,1" → 10); nothing when it does not read as one with at
// most two decimals.
std::optional<std::int64_t> percentBasisPoints(const std::string& typed) {
    return parseAmountCents(typed);  // the same grammar: a number with up to two decimals
}

Json workdaysJson(const std::array<std::int64_t, 7>& workdays) {
    Json days = Json::object();
    for (std::size_t day = 0; day < 7; ++day)
        days[std::string(ScheduleForm::kWorkdayKeys[day])] = workdays[day];
    return days;
}

std::string amountText(std::int64_t cents) {
    return formatEuroAmount(cents);
}

}  // namespace

ScheduleForm ScheduleForm::fromRecord(const InvoiceScheduleRecord& schedule) {
    ScheduleForm form;
    form.original_ = schedule;
    form.customerId = schedule.customerId;
    form.scheduleType = schedule.scheduleType;
    form.billingMode = schedule.billingMode;
    form.billingFrequency = schedule.billingFrequency;
    form.billingDay = schedule.billingDay;
    form.billingTime = schedule.billingTime;
    form.hourlyRateText = amountText(schedule.rateCents);
    const Json days = Json::parse(schedule.workdays, nullptr, false);
    for (std::size_t day = 0; day < 7; ++day) {
        const char* key = kWorkdayKeys[day].data();
        form.workdays[day] = days.is_object() && days.contains(key) && days[key].is_number_integer()
                                 ? days[key].get<std::int64_t>()
                                 : 0;
    }
    form.invoiceDescriptionTemplate = schedule.invoiceDescriptionTemplate;
    form.descriptionTemplate = schedule.descriptionTemplate;
    form.startDate = schedule.startDate;
    form.active = schedule.active;
    form.billingMoment = schedule.billingMoment;
    const Json lines = Json::parse(schedule.lines, nullptr, false);
    if (lines.is_array()) {
        for (const Json& line : lines) {
            if (!line.is_object()) continue;
            form.lines.push_back({line.value("id", ""), line.value("description", ""),
                                  amountText(line.value("amountCents", std::int64_t{0})),
                                  line.value("vatTreatment", "nl_21")});
        }
    }
    form.autoSend = schedule.autoSend;
    form.reviewWindowHours = schedule.reviewWindowHours;
    form.indexationMode = schedule.indexationMode;
    if (schedule.indexationPercentBps)
        form.indexationPercentText = amountText(*schedule.indexationPercentBps);
    form.indexationAnchor = schedule.indexationAnchor;
    return form;
}

std::optional<std::string> ScheduleForm::validationError(bool organisationHasVatNumber,
                                                         std::string_view customerVatTreatment) const {
    if (customerId.empty()) return std::string(kNoCustomer);
    if (!isFixed() &&
        std::none_of(workdays.begin(), workdays.end(), [](std::int64_t hours) { return hours > 0; }))
        return std::string(kNoWorkday);
    if (isFixed()) {
        if (lines.empty()) return std::string(kNoLines);
        for (const ScheduleLineForm& line : lines)
            if (line.description.find_first_not_of(" \t") == std::string::npos)
                return std::string(kLineWithoutDescription);
        for (const ScheduleLineForm& line : lines)
            if (!parseAmountCents(line.amountDisplay)) return std::string(kLineWithoutAmount);
    }
    const bool reverseCharge =
        isFixed() ? std::any_of(lines.begin(), lines.end(),
                                [](const ScheduleLineForm& line) { return line.vatTreatment == "verlegd"; })
                  : customerVatTreatment == "verlegd";
    if (reverseCharge && !organisationHasVatNumber) return std::string(kReverseChargeWithoutVatNumber);
    if (indexationMode == "fixed_percent") {
        const auto bps = percentBasisPoints(indexationPercentText);
        if (!bps || *bps < 10 || *bps > 1500) return std::string(kIndexationOutOfRange);
    }
    if (!isFixed()) {
        const auto rate = parseAmountCents(hourlyRateText);
        if (!rate || *rate < 0) return std::string(kInvalidRate);
    }
    return std::nullopt;
}

InvoiceScheduleRecord ScheduleForm::save(ScheduleRepository& schedules, const std::string& organizationId,
                                         bool organisationHasVatNumber,
                                         std::string_view customerVatTreatment) {
    if (const auto refused = validationError(organisationHasVatNumber, customerVatTreatment))
        throw InputError(InputError::Kind::invalidValue, *refused);
    InvoiceScheduleRecord fields = original_.value_or(InvoiceScheduleRecord{});
    fields.organizationId = original_ ? original_->organizationId : organizationId;
    fields.customerId = customerId;
    fields.scheduleType = scheduleType;
    fields.billingMode = billingMode;
    fields.billingFrequency = billingFrequency;
    fields.billingDay = billingDay;
    fields.billingTime = billingTime;
    fields.rateCents = isFixed() ? 0 : *parseAmountCents(hourlyRateText);
    fields.unitsPerWeek = 0;
    for (const std::int64_t hours : workdays)
        fields.unitsPerWeek += hours;
    fields.invoiceDescriptionTemplate = invoiceDescriptionTemplate;
    fields.descriptionTemplate = descriptionTemplate;
    fields.startDate = startDate;
    fields.active = active;
    fields.billingMoment = billingMoment;
    fields.autoSend = autoSend;
    fields.reviewWindowHours = reviewWindowHours;
    fields.indexationMode = indexationMode;
    fields.indexationPercentBps =
        indexationMode == "fixed_percent" ? percentBasisPoints(indexationPercentText) : std::nullopt;
    fields.indexationAnchor = indexationAnchor;
    Json lineDocuments = Json::array();
    for (std::size_t n = 0; n < lines.size(); ++n)
        lineDocuments.push_back({{"id", lines[n].id.empty() ? "regel-" + std::to_string(n + 1) : lines[n].id},
                                 {"description", lines[n].description},
                                 {"amountCents", *parseAmountCents(lines[n].amountDisplay)},
                                 {"vatTreatment", lines[n].vatTreatment},
                                 {"sortOrder", static_cast<std::int64_t>(n)}});
    const JSONValue workdaysDocument = JSONValue::parse(workdaysJson(workdays).dump());
    const JSONValue linesDocument = JSONValue::parse(lineDocuments.dump());
    if (!original_)
        return original_ = schedules.createSchedule(fields, workdaysDocument, linesDocument), *original_;

    const InvoiceScheduleRecord& was = *original_;
    std::vector<std::string> changed;
    const auto note = [&](bool differs, const char* key) {
        if (differs) changed.emplace_back(key);
    };
    note(was.customerId != fields.customerId, "customerId");
    note(was.scheduleType != fields.scheduleType, "scheduleType");
    note(was.billingMode != fields.billingMode, "billingMode");
    note(was.unitsPerWeek != fields.unitsPerWeek, "unitsPerWeek");
    note(was.rateCents != fields.rateCents, "rateCents");
    note(Json::parse(was.workdays, nullptr, false) != workdaysJson(workdays), "workdays");
    note(was.billingFrequency != fields.billingFrequency, "billingFrequency");
    note(was.billingDay != fields.billingDay, "billingDay");
    note(was.billingTime != fields.billingTime, "billingTime");
    note(was.invoiceDescriptionTemplate != fields.invoiceDescriptionTemplate, "invoiceDescriptionTemplate");
    note(was.descriptionTemplate != fields.descriptionTemplate, "descriptionTemplate");
    note(was.startDate != fields.startDate, "startDate");
    note(was.active != fields.active, "active");
    note(was.billingMoment != fields.billingMoment, "billingMoment");
    note(Json::parse(was.lines, nullptr, false) != lineDocuments, "lines");
    note(was.autoSend != fields.autoSend, "autoSend");
    note(was.reviewWindowHours != fields.reviewWindowHours, "reviewWindowHours");
    note(was.indexationMode != fields.indexationMode, "indexationMode");
    note(was.indexationPercentBps != fields.indexationPercentBps, "indexationPercentBps");
    note(was.indexationAnchor != fields.indexationAnchor, "indexationAnchor");
    original_ = schedules.updateSchedule(fields, workdaysDocument, linesDocument, std::move(changed));
    return *original_;
}

std::vector<std::string> ScheduleForm::preview(year_month_day today, const std::set<sys_days>& daysOff,
                                               std::size_t count) const {
    const auto frequency = parseBillingFrequency(billingFrequency);
    const auto time = parseBillingTime(billingTime);
    const auto rate = parseAmountCents(hourlyRateText);
    if (isFixed() || !frequency || !time || !rate) return {};
    // The rhythm counts from the day the service does: the later of the start date and the day the
    // schedule was made (today for a new one), so the weeks shown are the weeks it will bill.
    sys_days anchor{today};
    if (original_)
        if (const auto made = parseCalendarDate(original_->createdAt.substr(0, 10))) anchor = sys_days{*made};
    if (startDate)
        if (const auto start = parseCalendarDate(*startDate)) anchor = std::max(anchor, sys_days{*start});
    const ScheduleRhythm rhythm{*frequency, static_cast<int>(billingDay), *time, billingMoment == "arrears",
                                anchor};
    WorkWeek week{};
    std::copy(workdays.begin(), workdays.end(), week.begin());
    const std::optional<std::int64_t> bps =
        indexationMode == "fixed_percent" ? percentBasisPoints(indexationPercentText) : std::nullopt;
    std::vector<std::string> lines;
    for (const BillingPeriod& period : billingPeriods(rhythm, sys_days{today}, count)) {
        const std::int64_t hours = billableHundredths(period, week, daysOff);
        const std::int64_t periodRate =
            indexedCents(*rate, bps.value_or(0), indexationSteps(anchor, period.billingDate));
        lines.push_back(dutchDate(period.billingDate) + " om " + billingTime + " — " +
                        dutchDate(period.from) + " t/m " + dutchDate(period.through) + " — " +
                        hoursText(hours) + " uur — " + formatEuro(hours * periodRate / 100));
    }
    return lines;
}

}  // namespace zelvorin
