#include "service/schedules/ScheduleInvoice.h"

#include "domain/InvoiceTotals.h"
#include "domain/LineTotals.h"
#include "domain/ScheduleDescription.h"
#include "domain/ScheduleIndexation.h"
#include "domain/Timestamps.h"

namespace zelvorin::service {

using Json = nlohmann::ordered_json;
using namespace std::chrono;

namespace {

std::string textOf(const Json& payload, const char* key, std::string fallback = {}) {
    const auto member = payload.find(key);
    return member != payload.end() && member->is_string() ? member->get<std::string>() : fallback;
}

std::int64_t integerOf(const Json& payload, const char* key, std::int64_t fallback = 0) {
    const auto member = payload.find(key);
    return member != payload.end() && member->is_number_integer() ? member->get<std::int64_t>() : fallback;
}

bool flagOf(const Json& payload, const char* key) {
    const auto member = payload.find(key);
    return member != payload.end() && member->is_boolean() && member->get<bool>();
}

std::optional<sys_days> dayOf(const std::string& text) {
    const auto date = parseCalendarDate(text.substr(0, 10));
    if (!date) return std::nullopt;
    return sys_days{*date};
}

Json line(const std::string& invoiceId, const std::string& id, int sortOrder, const std::string& description,
          const StoredInvoiceLine& figures, const std::string& now) {
    Json payload{{"id", id},
                 {"invoiceId", invoiceId},
                 {"sortOrder", sortOrder},
                 {"description", description},
                 {"lineMode", figures.lineMode}};
    if (figures.quantityHundredths) payload["quantityHundredths"] = *figures.quantityHundredths;
    if (figures.unitPriceCents) payload["unitPriceCents"] = *figures.unitPriceCents;
    if (figures.amountCents) payload["amountCents"] = *figures.amountCents;
    if (figures.vatTreatmentOverride) payload["vatTreatmentOverride"] = *figures.vatTreatmentOverride;
    payload["lineTotalCents"] = lineExclCents(calcLineFromStored(figures));
    payload["createdAt"] = now;
    payload["updatedAt"] = now;
    return payload;
}

}  // namespace

std::optional<ScheduleTerms> scheduleTerms(const Json& payload) {
    if (!flagOf(payload, "active") || (payload.contains("deletedAt") && !payload["deletedAt"].is_null()))
        return std::nullopt;
    const auto frequency = parseBillingFrequency(textOf(payload, "billingFrequency"));
    const auto time = parseBillingTime(textOf(payload, "billingTime", "09:00"));
    const auto created = dayOf(textOf(payload, "createdAt"));
    if (!frequency || !time || !created) return std::nullopt;
    ScheduleTerms terms;
    terms.id = textOf(payload, "id");
    terms.customerId = textOf(payload, "customerId");
    terms.fixed = textOf(payload, "scheduleType") == "fixed";
    terms.rhythm = {*frequency, static_cast<int>(integerOf(payload, "billingDay", 5)), *time,
                    textOf(payload, "billingMoment") == "arrears",
                    std::max(*created, dayOf(textOf(payload, "startDate")).value_or(*created))};
    if (const auto workdays = payload.find("workdays"); workdays != payload.end() && workdays->is_object()) {
        constexpr const char* kDays[] = {"ma", "di", "wo", "do", "vr", "za", "zo"};
        for (std::size_t day = 0; day < 7; ++day)
            terms.hours[day] = std::max<std::int64_t>(0, integerOf(*workdays, kDays[day]));
    }
    terms.rateCents = integerOf(payload, "rateCents");
    terms.invoiceDescriptionTemplate = textOf(payload, "invoiceDescriptionTemplate");
    terms.descriptionTemplate = textOf(payload, "descriptionTemplate");
    if (const auto lines = payload.find("lines"); lines != payload.end() && lines->is_array())
        terms.lines = *lines;
    terms.autoSend = flagOf(payload, "autoSend");
    terms.reviewWindowHours = std::max<std::int64_t>(0, integerOf(payload, "reviewWindowHours"));
    if (textOf(payload, "indexationMode") == "fixed_percent") {
        // What a device lets a person choose (0,1 % to 15 %); anything else bills unindexed.
        const std::int64_t bps = integerOf(payload, "indexationPercentBps");
        terms.indexationBps = bps >= 10 && bps <= 1500 ? bps : 0;
    }
    return terms;
}

std::optional<ScheduleInvoice> scheduleInvoice(const ScheduleTerms& terms, const BillingPeriod& period,
                                               const InvoiceParty& party, const std::set<sys_days>& daysOff,
                                               const std::string& organizationId,
                                               const std::string& invoiceId, const std::string& now) {
    ScheduleInvoice made;
    const int indexations = indexationSteps(terms.rhythm.firstDay, period.billingDate);
    const auto indexed = [&](std::int64_t cents) {
        return indexedCents(cents, terms.indexationBps, indexations);
    };
    std::string invoiceTreatment = party.vatTreatment;
    if (terms.fixed) {
        if (terms.lines.empty()) return std::nullopt;
        invoiceTreatment = textOf(terms.lines.front(), "vatTreatment", invoiceTreatment);
        int sortOrder = 0;
        for (const Json& scheduled : terms.lines) {
            const std::string treatment = textOf(scheduled, "vatTreatment", invoiceTreatment);
            made.lines.push_back(
                line(invoiceId, invoiceId + "-" + std::to_string(sortOrder), sortOrder,
                     fillScheduleDescription(textOf(scheduled, "description"), period, party.customerName),
                     {"fixed", std::nullopt, std::nullopt, indexed(integerOf(scheduled, "amountCents")),
                      treatment == invoiceTreatment ? std::nullopt : std::optional(treatment)},
                     now));
            ++sortOrder;
        }
    } else {
        const std::int64_t hours = billableHundredths(period, terms.hours, daysOff);
        if (hours <= 0) return std::nullopt;
        const std::string description =
            terms.descriptionTemplate.empty() ? "Werkzaamheden {periode}" : terms.descriptionTemplate;
        made.lines.push_back(line(
            invoiceId, invoiceId + "-0", 0, fillScheduleDescription(description, period, party.customerName),
            {"hours_rate", hours, indexed(terms.rateCents), std::nullopt, std::nullopt}, now));
    }
    const year_month_day issued{period.billingDate};
    made.invoice = Json{
        {"id", invoiceId},
        {"organizationId", organizationId},
        {"customerId", terms.customerId},
        {"status", "draft"},
        {"issueDate", formatCalendarDate(issued)},
        {"dueDate", formatCalendarDate(year_month_day{period.billingDate + days{party.paymentTermDays}})},
        {"vatTreatment", invoiceTreatment},
        {"subtotalCents", 0},
        {"vatCents", 0},
        {"totalCents", 0},
        {"invoiceType", "regular"},
        {"autoGenerated", true},
        {"scheduleId", terms.id}};
    if (!terms.invoiceDescriptionTemplate.empty())
        made.invoice["projectDescription"] =
            fillScheduleDescription(terms.invoiceDescriptionTemplate, period, party.customerName);
    if (party.billingEmail) made.invoice["invoiceEmail"] = *party.billingEmail;
    made.invoice["createdAt"] = now;
    made.invoice["updatedAt"] = now;
    return made;
}

}  // namespace zelvorin::service
