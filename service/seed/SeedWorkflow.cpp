#include <algorithm>
#include <array>
#include <string_view>

#include "domain/VatTreatment.h"
#include "service/seed/SeedParts.h"

namespace zelvorin::service::seed {

namespace {
void seedNotifications(SeedContext& context, const SeededOrganisation& organisation,
                       const std::vector<SeededInvoice>& invoices, const std::string& userId) {
    const auto paid = std::find_if(invoices.begin(), invoices.end(),
                                   [](const SeededInvoice& i) { return i.status == InvoiceStatus::paid; });
    const auto viewed = std::find_if(invoices.begin(), invoices.end(), [](const SeededInvoice& i) {
        return i.status == InvoiceStatus::viewed;
    });
    struct Notice {
        const char* kind;
        std::string title;
        std::string body;
        std::string link;
        int day;
        bool read;
    };
    const std::array<Notice, 3> notices{{
        {"invoice_paid", "Factuur " + paid->number.value_or("") + " is betaald",
         "De betaling is ontvangen en gekoppeld.", "zelvorin://invoices/" + paid->id, -2, true},
        {"invoice_viewed", "Factuur " + viewed->number.value_or("") + " is bekeken",
         "Je klant heeft de factuur geopend.", "zelvorin://invoices/" + viewed->id, -1, false},
        {"kvitra_new", "Nieuw document in Kvitra", "Er staat een nieuwe factuur klaar om te verwerken.",
         "zelvorin://kvitra", -1, false},
    }};
    for (const Notice& notice : notices) {
        Json item;
        item["id"] = context.nextId();
        item["organizationId"] = organisation.id;
        item["userId"] = userId;
        item["kind"] = notice.kind;
        item["title"] = notice.title;
        item["body"] = notice.body;
        item["link"] = notice.link;
        if (notice.read) item["readAt"] = context.timestamp(notice.day, 18);
        item["createdAt"] = context.timestamp(notice.day, 9);
        addServerBookkeeping(item, context);
        context.put(organisation.id, "appNotification", item);
    }
}

Json workdays(int hoursPerDay) {
    const std::int64_t h = hoursPerDay * 100;
    return Json{{"ma", h}, {"di", h}, {"wo", h}, {"do", h}, {"vr", 0}, {"za", 0}, {"zo", 0}};
}

Json scheduleBase(SeedContext& context, const SeededOrganisation& organisation,
                  const SeededCustomer& customer) {
    Json schedule;
    schedule["id"] = context.nextId();
    schedule["organizationId"] = organisation.id;
    schedule["customerId"] = customer.id;
    schedule["billingMode"] = "hours_per_week";
    return schedule;
}

void seedSchedules(SeedContext& context, const SeededOrganisation& organisation,
                   const std::vector<SeededCustomer>& customers) {
    // Hourly: four days a week for the first customer, every four weeks on Friday.
    Json hourly = scheduleBase(context, organisation, customers.at(0));
    hourly["unitsPerWeek"] = 3200;
    hourly["rateCents"] = organisation.profile.defaultHourlyRateCents;
    hourly["workdays"] = workdays(8);
    hourly["billingFrequency"] = "four_weekly";
    hourly["billingDay"] = 5;
    hourly["billingTime"] = "09:00";
    hourly["invoiceDescriptionTemplate"] = "Werkzaamheden {maandnaam} {jaar} voor {klantnaam}";
    hourly["descriptionTemplate"] = "{klantnaam} -- week {weeknummer}";
    hourly["startDate"] = context.date(-84);
    hourly["active"] = true;
    hourly["createdAt"] = context.timestamp(-90, 10);
    hourly["updatedAt"] = context.timestamp(-90, 10);
    addServerBookkeeping(hourly, context);
    hourly["scheduleType"] = "hourly";
    hourly["billingMoment"] = "advance";
    hourly["lines"] = Json::array();
    hourly["autoSend"] = false;
    hourly["reviewWindowHours"] = 24;
    hourly["indexationMode"] = "none";
    hourly["indexationAnchor"] = "jan_1";
    context.put(organisation.id, "invoiceSchedule", hourly);

    // Fixed: a monthly maintenance contract with two lines, indexed by 3 percent each January.
    Json fixed = scheduleBase(context, organisation, customers.at(1));
    fixed["unitsPerWeek"] = 0;
    fixed["rateCents"] = 0;
    fixed["workdays"] = workdays(0);
    fixed["billingFrequency"] = "monthly";
    fixed["billingDay"] = 1;
    fixed["billingTime"] = "08:00";
    fixed["invoiceDescriptionTemplate"] = "Onderhoud {maandnaam} {jaar}";
    fixed["descriptionTemplate"] = "Onderhoudscontract {periode}";
    fixed["startDate"] = context.date(-60);
    fixed["active"] = true;
    fixed["createdAt"] = context.timestamp(-62, 10);
    fixed["updatedAt"] = context.timestamp(-62, 10);
    addServerBookkeeping(fixed, context);
    fixed["scheduleType"] = "fixed";
    fixed["billingMoment"] = "advance";
    Json lines = Json::array();
    lines.push_back({{"id", context.nextId()},
                     {"description", "Onderhoud website"},
                     {"amountCents", 25000},
                     {"vatTreatment", rawValue(VatTreatment::nl21)},
                     {"sortOrder", 0}});
    lines.push_back({{"id", context.nextId()},
                     {"description", "Hosting en domein"},
                     {"amountCents", 1995},
                     {"vatTreatment", rawValue(VatTreatment::nl21)},
                     {"sortOrder", 1}});
    fixed["lines"] = std::move(lines);
    fixed["autoSend"] = true;
    fixed["reviewWindowHours"] = 0;
    fixed["indexationMode"] = "fixed_percent";
    fixed["indexationPercentBps"] = 300;
    fixed["indexationAnchor"] = "jan_1";
    context.put(organisation.id, "invoiceSchedule", fixed);
}

}  // namespace

void seedWorkflow(SeedContext& context, const SeededOrganisation& organisation,
                  const std::vector<SeededCustomer>& customers, const std::vector<SeededInvoice>& invoices,
                  const std::string& userId) {
    seedNotifications(context, organisation, invoices, userId);
    seedSchedules(context, organisation, customers);
    seedProposals(context, organisation, customers, userId);
}

}  // namespace zelvorin::service::seed
