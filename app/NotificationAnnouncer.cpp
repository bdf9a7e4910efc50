#include "app/NotificationAnnouncer.h"

namespace zelvorin {

NotificationAnnouncer::Update NotificationAnnouncer::observe(
    const std::vector<AppNotificationRecord>& notifications) {
    Update update;
    for (const AppNotificationRecord& notification : notifications) {
        const bool unread = !notification.readAt.has_value();
        if (unread) ++update.badgeCount;
        const bool firstSeen = known_.insert(notification.id).second;
        // Timestamps of one form compare as text; the service writes them all alike.
        if (!firstSeen || !unread || notification.createdAt < since_) continue;
        update.toShow.push_back(
            {notification.id, notification.title, notification.body.value_or(""), notification.link});
    }
    return update;
}

void NotificationAnnouncer::reset(std::string since) {
    since_ = std::move(since);
    known_.clear();
}

std::optional<std::string> invoiceIdFromLink(const std::string& link) {
    constexpr std::string_view prefix = "/invoices/";
    if (!link.starts_with(prefix) || link.size() == prefix.size()) return std::nullopt;
    return link.substr(prefix.size());
}

}  // namespace zelvorin
