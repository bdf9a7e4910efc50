#include "service/schedules/ScheduleInvoiceRunner.h"

#include <algorithm>
#include <functional>
#include <set>

#include "domain/DutchPublicHolidays.h"
#include "domain/MessageVariables.h"
#include "domain/Timestamps.h"
#include "domain/Uuid.h"
#include "persistence/sqlite/Connection.h"
#include "service/invoices/InvoiceParty.h"
#include "service/schedules/ScheduleInvoice.h"
#include "service/store/Accounts.h"
#include "service/store/RecordWriter.h"
#include "service/store/Records.h"
#include "service/store/ScheduleDaysOff.h"
#include "service/store/ScheduleRuns.h"
#include "service/store/ScheduledSends.h"
#include "service/store/ServiceDatabase.h"
#include "service/sync/InvoiceTotals.h"

namespace zelvorin::service {

using Json = nlohmann::ordered_json;
using namespace std::chrono;

namespace {

// More periods than this in one run are left for the next (a schedule years behind).
constexpr std::size_t kPeriodsPerRun = 400;
// The generator's own device id in the audit log and on the sends it schedules.
constexpr const char* kGeneratorDevice = "service";

struct DuePeriod {
    std::string organizationId;
    std::string scheduleId;
    BillingPeriod period;
};

std::vector<DuePeriod> duePeriods(Connection& db, TimePoint start, TimePoint now) {
    std::vector<DuePeriod> due;
    for (const Organization& organization : accounts::organizations(db)) {
        for (const StoredRecord& record : records::all(db, organization.id, std::string("invoiceSchedule"))) {
            if (record.deleted) continue;
            const std::optional<ScheduleTerms> terms = scheduleTerms(record.payload);
            if (!terms) continue;
            sys_days from = terms->rhythm.firstDay;
            if (const auto last = scheduleruns::lastBillingDate(db, organization.id, record.id))
                if (const auto date = parseCalendarDate(*last))
                    from = std::max(from, sys_days{*date} + days{1});
            for (const BillingPeriod& period : billingPeriods(terms->rhythm, from, kPeriodsPerRun)) {
                const TimePoint moment = billingInstant(period.billingDate, terms->rhythm.billingTime);
                if (moment > now) break;
                if (moment >= start) due.push_back({organization.id, record.id, period});
            }
        }
    }
    return due;
}

std::set<sys_days> daysOffOf(Connection& db, const DuePeriod& due) {
    std::set<sys_days> off;
    for (const ScheduleDayOff& day : scheduledaysoff::ofSchedule(db, due.organizationId, due.scheduleId))
        if (const auto date = parseCalendarDate(day.date)) off.insert(sys_days{*date});
    const year first = year_month_day{due.period.from}.year();
    const year last = year_month_day{due.period.through}.year();
    for (year y = first; y <= last; ++y)
        for (const DutchPublicHoliday& holiday : dutchPublicHolidays(y))
            if (holiday.dayOff) off.insert(sys_days{holiday.date});
    return off;
}

// The days of `due` that an earlier invoice of the schedule already billed. A schedule edited to
// another rhythm or billing day can give periods that start elsewhere but cover billed days; the
// key on schedule + period does not see that, this does.
std::set<sys_days> billedDaysOf(Connection& db, const DuePeriod& due) {
    std::set<sys_days> billed;
    for (const ScheduleRun& run : scheduleruns::billedOverlapping(
             db, due.organizationId, due.scheduleId, formatCalendarDate(year_month_day{due.period.from}),
             formatCalendarDate(year_month_day{due.period.through}))) {
        const auto start = parseCalendarDate(run.periodStart);
        const auto end = parseCalendarDate(run.periodEnd);
        if (!start || !end) continue;
        const sys_days last = std::min(sys_days{*end}, due.period.through);
        for (sys_days day = std::max(sys_days{*start}, due.period.from); day <= last; day += days{1})
            billed.insert(day);
    }
    return billed;
}

// The invoice of the period without what was billed before: an hourly schedule leaves the billed
// days out like days off; a fixed schedule, whose amount cannot be split over days, bills nothing
// for a period that was billed in part.
std::optional<ScheduleInvoice> unbilledInvoice(Connection& db, const DuePeriod& due,
                                               const ScheduleTerms& terms, const InvoiceParty& party,
                                               const std::string& invoiceId, const std::string& stamp) {
    const std::set<sys_days> billed = billedDaysOf(db, due);
    if (terms.fixed && !billed.empty()) return std::nullopt;
    std::set<sys_days> off = daysOffOf(db, due);
    off.insert(billed.begin(), billed.end());
    return scheduleInvoice(terms, due.period, party, off, due.organizationId, invoiceId, stamp);
}

std::optional<std::string> ownerOf(Connection& db, const std::string& organizationId) {
    for (const Membership& membership : accounts::memberships(db))
        if (membership.organizationId == organizationId && membership.role == "owner")
            return membership.userId;
    return std::nullopt;
}

// Leaves the invoice for its scheduled send after the review window; the send composes the
// message as a send by hand without a template would.
void scheduleSend(Connection& db, const DuePeriod& due, const ScheduleTerms& terms, const InvoiceParty& party,
                  Json& invoice) {
    const std::optional<std::string> owner = ownerOf(db, due.organizationId);
    if (!terms.autoSend || !party.billingEmail || !owner) return;
    const TimePoint at =
        billingInstant(due.period.billingDate, terms.rhythm.billingTime) + hours{terms.reviewWindowHours};
    const Json message{
        {"recipientEmail", *party.billingEmail},
        {"subject", defaultMessageSubject("invoice")},
        {"body",
         defaultMessageBody(party.customerName.empty() ? std::nullopt : std::optional(party.customerName))}};
    scheduledsends::put(db, {due.organizationId, invoice["id"].get<std::string>(), formatTimestampMillis(at),
                             message.dump(), *owner, kGeneratorDevice});
    invoice["scheduledSendAt"] = formatTimestampMillis(at);
}

// One period in one transaction: claim it, write its invoice and lines. False when it was claimed
// before or the schedule no longer bills.
bool generate(const ServiceDatabase& database, const DuePeriod& due, TimePoint now) {
    const std::string stamp = formatTimestampMillis(now);
    const std::string invoiceId = uuidV7(
        now, std::hash<std::string>{}(due.scheduleId + formatCalendarDate(year_month_day{due.period.from})));
    return database.write([&](Connection& db) {
        const std::optional<StoredRecord> schedule =
            records::find(db, due.organizationId, "invoiceSchedule", due.scheduleId);
        if (!schedule || schedule->deleted) return false;
        const std::optional<ScheduleTerms> terms = scheduleTerms(schedule->payload);
        if (!terms) return false;
        const InvoiceParty party = invoiceParty(db, due.organizationId, terms->customerId);
        std::optional<ScheduleInvoice> made = unbilledInvoice(db, due, *terms, party, invoiceId, stamp);
        const ScheduleRun run{due.organizationId,
                              due.scheduleId,
                              formatCalendarDate(year_month_day{due.period.from}),
                              formatCalendarDate(year_month_day{due.period.through}),
                              formatCalendarDate(year_month_day{due.period.billingDate}),
                              made ? std::optional(invoiceId) : std::nullopt,
                              stamp};
        if (!scheduleruns::claim(db, run) || !made) return false;
        const Actor actor{ChangeSource::service, std::nullopt, kGeneratorDevice};
        scheduleSend(db, due, *terms, party, made->invoice);
        writeRecord(db, {due.organizationId, SyncEntityType::draftInvoice, invoiceId, RecordOperation::put,
                         made->invoice, now, actor, std::nullopt});
        for (const Json& line : made->lines)
            writeRecord(db, {due.organizationId, SyncEntityType::invoiceLine, line["id"].get<std::string>(),
                             RecordOperation::put, line, now, actor, std::nullopt});
        restateInvoiceTotals(db, due.organizationId, invoiceId, now, actor);
        return true;
    });
}

}  // namespace

int ScheduleInvoiceRunner::runDue(TimePoint now) {
    std::lock_guard lock(running_);
    const TimePoint start =
        database_.write([&](Connection& db) { return scheduleruns::generationStart(db, now); });
    const std::vector<DuePeriod> due =
        database_.read([&](Connection& db) { return duePeriods(db, start, now); });
    int made = 0;
    for (const DuePeriod& period : due)
        if (generate(database_, period, now)) ++made;
    return made;
}

}  // namespace zelvorin::service
