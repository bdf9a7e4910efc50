#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

#include "app/DesktopShell.h"

namespace zelvorin::ui {

// Notifications over org.freedesktop.Notifications and the launcher badge over
// com.canonical.Unity.LauncherEntry, on the given bus (the session bus in the app). A click on a
// notification (its default action) hands the notification's link to `onClick`. Calls must come
// from the thread that owns this object.
class DBusDesktopShell final : public QObject, public DesktopShell {
    Q_OBJECT

public:
    static constexpr const char* kDesktopEntry = "zelvorin";

    DBusDesktopShell(QDBusConnection bus, std::function<void(const std::string& link)> onClick,
                     QObject* parent = nullptr);

    void setBadgeCount(std::int64_t count) override;
    void showNotification(const DesktopNotification& notification) override;

private slots:
    void actionInvoked(uint id, const QString& action);
    void notificationClosed(uint id, uint reason);

private:
    QDBusConnection bus_;
    std::function<void(const std::string&)> onClick_;
    QHash<uint, QString> links_;  // shown notification id -> its link
};

}  // namespace zelvorin::ui
