#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zelvorin {

// One notification for the desktop to show.
struct DesktopNotification {
    std::string id;  // the app notification's id
    std::string title;
    std::string body;
    std::optional<std::string> link;  // "/invoices/<id>" opens that invoice when clicked

    bool operator==(const DesktopNotification&) const = default;
};

// What the environment asks of the desktop it runs in: the launcher badge and notifications. The
// desktop implements it over D-Bus; the CLI has none. Calls come from the environment's observers.
class DesktopShell {
public:
    virtual ~DesktopShell() = default;
    virtual void setBadgeCount(std::int64_t count) = 0;
    virtual void showNotification(const DesktopNotification& notification) = 0;
};

}  // namespace zelvorin
