#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "app/DesktopShell.h"
#include "persistence/generated/Records.h"

namespace zelvorin {

// Decides which in-app notifications the desktop announces: an unread one created after watching
// started, once. Older unread ones (the backlog, also what a first sync brings in) are counted
// in the badge but not announced at every start.
class NotificationAnnouncer {
public:
    struct Update {
        std::vector<DesktopNotification> toShow;
        std::int64_t badgeCount = 0;
    };

    // Every list the notifications observation delivers (newest first).
    Update observe(const std::vector<AppNotificationRecord>& notifications);
    // Watching starts again from scratch at `since` (an ISO-8601 UTC timestamp).
    void reset(std::string since);

private:
    std::string since_;
    std::set<std::string> known_;
};

// The invoice a notification link opens: the id after "/invoices/", or nothing.
std::optional<std::string> invoiceIdFromLink(const std::string& link);

}  // namespace zelvorin
