#include "service/inbox/InboxItemActions.h"

#include <functional>

#include "domain/Timestamps.h"
#include "service/http/ServiceError.h"
#include "service/store/RecordWriter.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

namespace {

[[noreturn]] void refuse(const std::string& text) {
    throw ServiceError(ErrorKind::unprocessable, text);
}

std::string requiredText(const Json& body, const char* key) {
    const auto found = body.find(key);
    if (found == body.end() || !found->is_string() || found->get<std::string>().empty())
        refuse(std::string("\"") + key + "\" moet een tekst zijn.");
    return found->get<std::string>();
}

// Finds the caller's live record, lets `change` edit its payload and writes it back, in one
// transaction.
void changeRecord(const ServiceDatabase& database, const Caller& caller, const char* entityType,
                  SyncEntityType type, const std::string& id, TimePoint now,
                  const std::function<void(Json&)>& change) {
    database.write([&](Connection& db) {
        const std::optional<StoredRecord> record = records::find(db, caller.organizationId, entityType, id);
        if (!record || record->deleted)
            throw ServiceError(ErrorKind::notFound, type == SyncEntityType::kvitraRule
                                                        ? "Regel niet gevonden."
                                                        : "Document niet gevonden.");
        const Actor actor{ChangeSource::route, caller.userId, caller.deviceId};
        if (!change) {
            writeRecord(
                db,
                RecordChange{
                    caller.organizationId, type, id, RecordOperation::remove, {}, now, actor, std::nullopt});
            return;
        }
        Json payload = record->payload;
        change(payload);
        payload["updatedAt"] = formatTimestampMillis(now);
        writeRecord(db, RecordChange{caller.organizationId, type, id, RecordOperation::put,
                                     std::move(payload), now, actor, std::nullopt});
    });
}

void changeItem(const ServiceDatabase& database, const Caller& caller, const std::string& id, TimePoint now,
                const std::function<void(Json&)>& change) {
    changeRecord(database, caller, "incomingInvoice", SyncEntityType::incomingInvoice, id, now, change);
}

}  // namespace

void correctInboxItem(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                      const Json& body, TimePoint now) {
    Json fields = Json::object();
    for (const char* key : {"extractedSenderCompany", "senderEmail", "extractedInvoiceDate"})
        if (body.contains(key)) fields[key] = requiredText(body, key);
    if (body.contains("extractedAmount")) {
        if (!body["extractedAmount"].is_number_integer())
            refuse("\"extractedAmount\" moet een geheel aantal centen zijn.");
        fields["extractedAmount"] = body["extractedAmount"];
    }
    if (fields.empty()) refuse("Er is niets om te wijzigen.");
    changeItem(database, caller, id, now, [&](Json& payload) { payload.update(fields); });
}

void categorizeInboxItem(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                         const Json& body, TimePoint now) {
    const std::string category = requiredText(body, "category");
    if (category != "zakelijk" && category != "prive" && category != "gemengd")
        refuse("\"category\" moet zakelijk, prive of gemengd zijn.");
    std::optional<std::string> invoiceType;
    if (body.contains("invoiceType") && !body["invoiceType"].is_null())
        invoiceType = requiredText(body, "invoiceType");
    changeItem(database, caller, id, now, [&](Json& payload) {
        payload["category"] = category;
        payload["status"] = "gecategoriseerd";
        if (invoiceType) payload["invoiceType"] = *invoiceType;
    });
}

void setInboxItemType(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                      const Json& body, TimePoint now) {
    const std::string invoiceType = requiredText(body, "invoiceType");
    changeItem(database, caller, id, now, [&](Json& payload) { payload["invoiceType"] = invoiceType; });
}

void confirmOrderInboxItem(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                           const Json& body, TimePoint now) {
    const std::string action = requiredText(body, "action");
    std::optional<std::string> linkedId;
    std::optional<TimePoint> remindAt;
    if (action == "link") {
        linkedId = requiredText(body, "linkedId");
        if (*linkedId == id) refuse("Een opdrachtbevestiging kan niet naar zichzelf verwijzen.");
    } else if (action == "remind") {
        const std::string preset = requiredText(body, "preset");
        const int days = preset == "1w" ? 7 : preset == "2w" ? 14 : preset == "1m" ? 30 : 0;
        if (days == 0) refuse("\"preset\" moet 1w, 2w of 1m zijn.");
        remindAt = now + std::chrono::days{days};
    } else if (action != "dismiss") {
        refuse("\"action\" moet link, remind of dismiss zijn.");
    }
    if (linkedId) {
        // The linked invoice is checked in its own read; the change below re-reads the item itself.
        const bool live = database.read([&](Connection& db) {
            const std::optional<StoredRecord> linked =
                records::find(db, caller.organizationId, "incomingInvoice", *linkedId);
            return linked && !linked->deleted;
        });
        if (!live) refuse("Het gekoppelde document bestaat niet (meer).");
    }
    changeItem(database, caller, id, now, [&](Json& payload) {
        payload["invoiceType"] = "orderConfirmation";
        if (linkedId) payload["linkedIncomingInvoiceId"] = *linkedId;
        if (remindAt) {
            payload["remindAt"] = formatTimestampMillis(*remindAt);
            payload.erase("dismissedAt");
        }
        if (action == "dismiss") {
            payload["dismissedAt"] = formatTimestampMillis(now);
            payload.erase("remindAt");
        }
    });
}

void archiveInboxItem(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                      TimePoint now) {
    changeItem(database, caller, id, now, [](Json& payload) { payload["status"] = "gearchiveerd"; });
}

void deleteInboxItem(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                     TimePoint now) {
    changeItem(database, caller, id, now, {});
}

void deleteKvitraRule(const ServiceDatabase& database, const Caller& caller, const std::string& id,
                      TimePoint now) {
    changeRecord(database, caller, "kvitraRule", SyncEntityType::kvitraRule, id, now, {});
}

Json cloudCopyStatus() {
    return Json{{"pending", 0}, {"done", 0}, {"failed", 0}, {"permanent", 0}};
}

}  // namespace zelvorin::service
