#include "persistence/repositories/ScheduleRepository.h"

#include <algorithm>

#include "domain/Uuid.h"
#include "persistence/PersistenceError.h"
#include "persistence/RecordStatements.h"
#include "persistence/repositories/JsonEncodable.h"
#include "persistence/repositories/LocalEdit.h"
#include "persistence/sync/SyncTransitions.h"
#include "sync/PayloadCatalogue.h"
#include "sync/PayloadValidator.h"

namespace zelvorin {
namespace {

using Member = ScheduleRepositoryError::Member;

std::string messageFor(Member member, const std::string& detail) {
    const char* what = member == Member::invalidWorkdays ? "De werkdagen" : "De factuurregels";
    return std::string(what) + " van het schema kunnen niet worden opgeslagen: " + detail + ".";
}

// The JSON text of the workdays, after the checks the service would make on them.
std::string encodeWorkdays(const JSONValue& workdays) {
    const auto fail = [](const std::string& detail) {
        throw ScheduleRepositoryError(Member::invalidWorkdays, detail);
    };
    if (auto problem = unencodableMember(workdays)) fail(*problem);
    const PayloadShape& shape = *payloadShape(SyncEntityType::invoiceSchedule).field("workdays")->nested;
    if (const JSONValue::Object* days = workdays.asObject()) {
        for (const auto& [key, hours] : *days) {
            if (!shape.field(key)) fail("onbekende dag \"" + key + "\"");
        }
    }
    if (auto violation = validateAgainst(shape, workdays)) fail(violation->message());
    return workdays.dump();
}

std::string encodeLines(const JSONValue& lines) {
    const auto fail = [](const std::string& detail) {
        throw ScheduleRepositoryError(Member::invalidLines, detail);
    };
    if (auto problem = unencodableMember(lines)) fail(*problem);
    if (!lines.asArray()) fail("verwacht een lijst");
    const JSONValue member = JSONValue::object({{"lines", lines}});
    if (auto violation = validatePayload(SyncEntityType::invoiceSchedule, member, PayloadCoverage::partial)) {
        fail(violation->message().substr(std::string_view("lines").size()));
    }
    return lines.dump();
}

// Every field a schedule write writes, with the documents as JSON rather than as their text.
JSONValue payloadOf(const InvoiceScheduleRecord& schedule, const JSONValue& workdays,
                    const JSONValue& lines) {
    JSONValue payload = LocalEdit::payload(schedule, EditedFields::kSchedule);
    payload.asObject()->set("workdays", workdays);
    payload.asObject()->set("lines", lines);
    return payload;
}

constexpr const char* kAll =
    "SELECT * FROM invoice_schedule\nWHERE deleted_at IS NULL\nORDER BY active DESC, billing_frequency, "
    "billing_day";

}  // namespace

ScheduleRepositoryError::ScheduleRepositoryError(Member member, const std::string& detail)
    : PersistenceError(PersistenceError::Kind::invalidInput, messageFor(member, detail)), member_(member) {}

ScheduleRepository::ScheduleRepository(AppDatabase database, std::shared_ptr<const Clock> clock)
    : database_(std::move(database)), clock_(std::move(clock)) {}

std::vector<InvoiceScheduleRecord> ScheduleRepository::schedules(Connection& db) {
    return selectRecords<InvoiceScheduleRecord>(db, kAll);
}

std::vector<InvoiceScheduleRecord> ScheduleRepository::schedules() {
    return database_.writer->read([](Connection& db) { return schedules(db); });
}

ObservationHandle ScheduleRepository::observeSchedules(
    std::function<void(std::vector<InvoiceScheduleRecord>)> onValue, std::shared_ptr<Executor> deliverOn) {
    return database_.writer->observe<std::vector<InvoiceScheduleRecord>>(
        [](Connection& db) { return schedules(db); }, std::move(onValue), std::move(deliverOn));
}

std::vector<InvoiceScheduleRecord> ScheduleRepository::activeSchedules() {
    return database_.writer->read([](Connection& db) {
        return selectRecords<InvoiceScheduleRecord>(
            db,
            "SELECT * FROM invoice_schedule\nWHERE active = 1 AND deleted_at IS NULL\nORDER BY "
            "billing_frequency, billing_day, billing_time");
    });
}

std::optional<InvoiceScheduleRecord> ScheduleRepository::schedule(const std::string& id) {
    return database_.writer->read([&](Connection& db) -> std::optional<InvoiceScheduleRecord> {
        auto found = selectRecords<InvoiceScheduleRecord>(
            db, "SELECT * FROM invoice_schedule WHERE id = ? AND deleted_at IS NULL", id);
        if (found.empty()) return std::nullopt;
        return std::move(found.front());
    });
}

std::optional<InvoiceScheduleRecord> ScheduleRepository::scheduleIncludingDeleted(const std::string& id) {
    return database_.writer->read([&](Connection& db) { return recordById<InvoiceScheduleRecord>(db, id); });
}

InvoiceScheduleRecord ScheduleRepository::createSchedule(InvoiceScheduleRecord fields,
                                                         const JSONValue& workdays, const JSONValue& lines) {
    InvoiceScheduleRecord schedule;
    schedule.organizationId = fields.organizationId;
    schedule.assign(fields, EditedFields::kSchedule);
    schedule.workdays = encodeWorkdays(workdays);
    schedule.lines = encodeLines(lines);
    return database_.writer->write([&](Connection& db) {
        LocalEdit edit(db, *clock_);
        schedule.id = randomUuid();
        schedule.createdAt = schedule.updatedAt = edit.now();
        schedule.localModifiedAt = schedule.createdAt;
        schedule.revision = 1;
        schedule.syncState = stateAfter({}, SyncEvent::localCreate);
        insertRecord(db, schedule);
        edit.queueCreate(SyncEntityType::invoiceSchedule, schedule.id, payloadOf(schedule, workdays, lines));
        return schedule;
    });
}

InvoiceScheduleRecord ScheduleRepository::updateSchedule(const InvoiceScheduleRecord& changed,
                                                         const JSONValue& workdays, const JSONValue& lines,
                                                         std::vector<std::string> changedFields) {
    const std::string workdaysText = encodeWorkdays(workdays);
    const std::string linesText = encodeLines(lines);
    return database_.writer->write([&](Connection& db) {
        const std::optional<InvoiceScheduleRecord> stored = recordById<InvoiceScheduleRecord>(db, changed.id);
        if (!stored || stored->deletedAt) throw PersistenceError::notFound("Schema '" + changed.id + "'");
        LocalEdit edit(db, *clock_);
        InvoiceScheduleRecord schedule = *stored;
        schedule.assign(changed, EditedFields::kSchedule);
        schedule.workdays = workdaysText;
        schedule.lines = linesText;
        schedule.updatedAt = edit.now();
        schedule.localModifiedAt = schedule.updatedAt;
        schedule.syncState = LocalEdit::stateAfterUpdate(stored->syncState);
        JSONValue payload = payloadOf(schedule, workdays, lines);
        const auto unknown = std::find_if(changedFields.begin(), changedFields.end(),
                                          [&](const std::string& key) { return !payload.find(key); });
        if (unknown != changedFields.end())
            throw PersistenceError::invalidInput("Onbekend veld van een schema: " + *unknown + ".");
        updateRecord(db, schedule);  // an UPDATE keeps last_sync_error, which the record has no field for
        edit.queueUpdate(SyncEntityType::invoiceSchedule, schedule.id, stored->revision, std::move(payload),
                         std::move(changedFields));
        return schedule;
    });
}

bool ScheduleRepository::deleteSchedule(const std::string& id) {
    return database_.writer->write([&](Connection& db) {
        const std::optional<InvoiceScheduleRecord> stored = recordById<InvoiceScheduleRecord>(db, id);
        if (!stored || stored->deletedAt) return false;
        return LocalEdit(db, *clock_).tombstone(SyncEntityType::invoiceSchedule, "invoice_schedule", id);
    });
}

}  // namespace zelvorin
