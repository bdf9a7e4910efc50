#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "domain/TimePoint.h"
#include "persistence/AppDatabase.h"
#include "persistence/Executor.h"
#include "persistence/Observation.h"
#include "persistence/generated/Records.h"

namespace zelvorin {

// In-app notifications. The table is server-owned: marking read is a local column write that
// queues no change and leaves the row's sync state alone.
class NotificationsRepository {
public:
    explicit NotificationsRepository(AppDatabase database);

    static std::vector<AppNotificationRecord> notifications(Connection& db);  // newest first
    static std::int64_t unreadCount(Connection& db);

    ObservationHandle observeNotifications(std::function<void(std::vector<AppNotificationRecord>)> onValue,
                                           std::shared_ptr<Executor> deliverOn);
    ObservationHandle observeUnreadCount(std::function<void(std::int64_t)> onValue,
                                         std::shared_ptr<Executor> deliverOn);

    // False when there is no such notification.
    bool markRead(const std::string& id, TimePoint readAt);
    // Stamps only the unread ones; returns how many.
    std::int64_t markAllRead(TimePoint readAt);

private:
    AppDatabase database_;
};

}  // namespace zelvorin
