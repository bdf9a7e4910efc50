#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "domain/Clock.h"
#include "persistence/AppDatabase.h"
#include "persistence/Executor.h"
#include "persistence/Observation.h"
#include "persistence/PersistenceError.h"
#include "persistence/generated/Records.h"
#include "sync/JSONValue.h"

namespace zelvorin {

// A schedule write whose workdays or lines cannot be stored as JSON text: invalid input to the
// store, with the member at fault. what() and detail() are the Dutch message.
class ScheduleRepositoryError : public PersistenceError {
public:
    enum class Member { invalidWorkdays, invalidLines };

    ScheduleRepositoryError(Member member, const std::string& detail);
    Member member() const { return member_; }

private:
    Member member_;
};

// Recurring-invoice schedules ("invoiceSchedule"). Writes are local edits: the row and its queued
// change land in one transaction, and a write that fails writes neither.
//
// The workdays and the lines travel as JSON documents and are stored as their JSON text:
//   workdays: an object with exactly the keys "ma" … "zo", each a whole number (hours in
//             hundredths): the service refuses a schedule without all seven, so it is refused
//             here, where the user can still correct it.
//   lines:    an array of objects, each with "id", "description", "vatTreatment" (texts) and
//             "amountCents", "sortOrder" (whole numbers); other members are kept as they are.
// Anything else, a text that is not UTF-8 or a number that is not finite fails with
// invalidWorkdays or invalidLines.
class ScheduleRepository {
public:
    ScheduleRepository(AppDatabase database, std::shared_ptr<const Clock> clock);

    // Not deleted; active ones first, then by frequency and billing day.
    static std::vector<InvoiceScheduleRecord> schedules(Connection& db);
    std::vector<InvoiceScheduleRecord> schedules();
    ObservationHandle observeSchedules(std::function<void(std::vector<InvoiceScheduleRecord>)> onValue,
                                       std::shared_ptr<Executor> deliverOn);
    // Active and not deleted, by frequency, billing day and time.
    std::vector<InvoiceScheduleRecord> activeSchedules();
    std::optional<InvoiceScheduleRecord> schedule(const std::string& id);
    std::optional<InvoiceScheduleRecord> scheduleIncludingDeleted(const std::string& id);

    // A new schedule from the editable columns of `fields` (organisation, customer, type, billing
    // settings, templates, start date, active, review and indexation settings); id, stamps and
    // sync state are set here and the workdays and lines columns are the encodings of the
    // documents given.
    InvoiceScheduleRecord createSchedule(InvoiceScheduleRecord fields, const JSONValue& workdays,
                                         const JSONValue& lines);
    // Writes the editable columns of `schedule` and the documents over its row. The change carries
    // all twenty schedule fields with their new values; `changedFields` are the keys the user
    // changed. Throws PersistenceError notFound when there is no such
    // schedule (or it is deleted) and invalidInput for a changed key that is not a
    // schedule field.
    InvoiceScheduleRecord updateSchedule(const InvoiceScheduleRecord& schedule, const JSONValue& workdays,
                                         const JSONValue& lines, std::vector<std::string> changedFields);
    // Tombstones the schedule and queues its delete. False when there is no such schedule or it
    // is deleted already.
    bool deleteSchedule(const std::string& id);

private:
    AppDatabase database_;
    std::shared_ptr<const Clock> clock_;
};

}  // namespace zelvorin
