#include "persistence/repositories/NotificationsRepository.h"

#include "domain/Timestamps.h"
#include "persistence/RecordStatements.h"
#include "persistence/ScalarStatements.h"

namespace zelvorin {

NotificationsRepository::NotificationsRepository(AppDatabase database) : database_(std::move(database)) {}

std::vector<AppNotificationRecord> NotificationsRepository::notifications(Connection& db) {
    return selectRecords<AppNotificationRecord>(db,
                                                "SELECT * FROM app_notification\nORDER BY created_at DESC");
}

std::int64_t NotificationsRepository::unreadCount(Connection& db) {
    return countRows(db, "SELECT COUNT(*) FROM app_notification WHERE read_at IS NULL");
}

ObservationHandle NotificationsRepository::observeNotifications(
    std::function<void(std::vector<AppNotificationRecord>)> onValue, std::shared_ptr<Executor> deliverOn) {
    return database_.writer->observe<std::vector<AppNotificationRecord>>(&notifications, std::move(onValue),
                                                                         std::move(deliverOn));
}

ObservationHandle NotificationsRepository::observeUnreadCount(std::function<void(std::int64_t)> onValue,
                                                              std::shared_ptr<Executor> deliverOn) {
    return database_.writer->observe<std::int64_t>(&unreadCount, std::move(onValue), std::move(deliverOn));
}

bool NotificationsRepository::markRead(const std::string& id, TimePoint readAt) {
    return database_.writer->write([&](Connection& db) {
        return changeRows(db, "UPDATE app_notification SET read_at = ? WHERE id = ?",
                          formatTimestampMillis(readAt), id) > 0;
    });
}

std::int64_t NotificationsRepository::markAllRead(TimePoint readAt) {
    return database_.writer->write([&](Connection& db) {
        return changeRows(db, "UPDATE app_notification SET read_at = ? WHERE read_at IS NULL",
                          formatTimestampMillis(readAt));
    });
}

}  // namespace zelvorin
