#include "service/notifications/NotificationActions.h"

#include <set>

#include "domain/Timestamps.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/store/Records.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

namespace {

bool isUnreadFor(const StoredRecord& notification, const Caller& caller) {
    if (notification.deleted) return false;
    const nlohmann::ordered_json& payload = notification.payload;
    const auto readAt = payload.find("readAt");
    if (readAt != payload.end() && !readAt->is_null()) return false;
    const std::optional<std::string> addressee = invoicerecords::text(payload, "userId");
    return !addressee || *addressee == caller.userId;
}

// Marks every unread notification of the caller that `wanted` accepts.
template <class Wanted>
int markRead(const ServiceDatabase& database, const Caller& caller, TimePoint now, Wanted wanted) {
    return database.write([&](Connection& db) {
        int updated = 0;
        for (StoredRecord& notification :
             records::all(db, caller.organizationId, std::string("appNotification"))) {
            if (!wanted(notification.id) || !isUnreadFor(notification, caller)) continue;
            notification.payload["readAt"] = formatTimestampMillis(now);
            invoicerecords::put(db, caller, SyncEntityType::appNotification, notification.id,
                                std::move(notification.payload), now);
            ++updated;
        }
        return updated;
    });
}

}  // namespace

int markNotificationsRead(const ServiceDatabase& database, const Caller& caller,
                          const std::vector<std::string>& ids, TimePoint now) {
    const std::set<std::string> wanted(ids.begin(), ids.end());
    return markRead(database, caller, now, [&](const std::string& id) { return wanted.contains(id); });
}

int markAllNotificationsRead(const ServiceDatabase& database, const Caller& caller, TimePoint now) {
    return markRead(database, caller, now, [](const std::string&) { return true; });
}

}  // namespace zelvorin::service
