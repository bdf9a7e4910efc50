#include "persistence/repositories/NotificationsRepository.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>

#include "domain/Timestamps.h"
#include "persistence/ScalarStatements.h"
#include "persistence/tests/ServerRows.h"

namespace zelvorin {
namespace {

using namespace std::chrono_literals;
using testing::row;

AppNotificationRecord notification(const std::string& id, const std::string& createdAt,
                                   std::optional<std::string> readAt = std::nullopt) {
    return row<AppNotificationRecord>(id, [&](auto& r) {
        r.createdAt = createdAt;
        r.readAt = readAt;
    });
}

// What an observation delivered; waits are bounded so a broken observation fails instead of hanging.
template <class T>
class Delivered {
public:
    void add(T value) {
        std::lock_guard lock(mutex_);
        values_.push_back(std::move(value));
        arrived_.notify_all();
    }
    // True once some delivered value satisfies `wanted`.
    bool waitFor(const std::function<bool(const T&)>& wanted) {
        std::unique_lock lock(mutex_);
        return arrived_.wait_for(lock, 10s,
                                 [&] { return std::any_of(values_.begin(), values_.end(), wanted); });
    }

private:
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<T> values_;
};

TEST(NotificationsRepositoryIntegrationTest, MarkingReadKeepsEarlierMarksAndQueuesNoChange) {
    testing::ServerRows rows;
    rows.insert(notification("seen", "2026-03-01", "2026-03-01T09:00:00.000Z"),
                notification("new", "2026-03-03"), notification("older", "2026-03-02"));
    NotificationsRepository notifications(rows.database);
    const TimePoint now = *parseTimestamp("2026-03-04T10:00:00Z");

    EXPECT_TRUE(notifications.markRead("older", now));
    EXPECT_FALSE(notifications.markRead("unknown", now));
    EXPECT_EQ(notifications.markAllRead(now + 1h), 1);

    rows.database.writer->read([&](Connection& db) {
        const std::vector<AppNotificationRecord> all = NotificationsRepository::notifications(db);
        ASSERT_EQ(testing::ids(all), (std::vector<std::string>{"new", "older", "seen"}));
        EXPECT_EQ(all[0].readAt, "2026-03-04T11:00:00.000Z");
        EXPECT_EQ(all[1].readAt, "2026-03-04T10:00:00.000Z");
        EXPECT_EQ(all[2].readAt, "2026-03-01T09:00:00.000Z");
        EXPECT_EQ(all[0].syncState, "synced");
        EXPECT_EQ(countRows(db, "SELECT COUNT(*) FROM outbox_change"), 0);
    });
}

TEST(NotificationsRepositoryIntegrationTest, ObservationsDeliverAgainAfterAMark) {
    testing::ServerRows rows;
    rows.insert(notification("a", "2026-03-01"), notification("b", "2026-03-02"));
    NotificationsRepository notifications(rows.database);
    auto delivery = std::make_shared<SerialExecutor>();
    Delivered<std::int64_t> counts;
    Delivered<std::vector<AppNotificationRecord>> lists;
    ObservationHandle countHandle =
        notifications.observeUnreadCount([&](std::int64_t n) { counts.add(n); }, delivery);
    ObservationHandle listHandle =
        notifications.observeNotifications([&](auto list) { lists.add(std::move(list)); }, delivery);
    ASSERT_TRUE(counts.waitFor([](std::int64_t n) { return n == 2; }));

    notifications.markRead("b", *parseTimestamp("2026-03-04T10:00:00Z"));
    EXPECT_TRUE(counts.waitFor([](std::int64_t n) { return n == 1; }));
    EXPECT_TRUE(lists.waitFor([](const std::vector<AppNotificationRecord>& list) {
        return list.size() == 2 && list[0].id == "b" && list[0].readAt && !list[1].readAt;
    }));
    countHandle.cancel();
    listHandle.cancel();
}

}  // namespace
}  // namespace zelvorin
