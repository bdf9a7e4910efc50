#include "ui/DBusDesktopShell.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace zelvorin::ui {

namespace {

constexpr const char* kNotificationsService = "org.freedesktop.Notifications";
constexpr const char* kNotificationsPath = "/org/freedesktop/Notifications";
constexpr const char* kLauncherPath = "/nl/zelvorin/app/launcher";

}  // namespace

DBusDesktopShell::DBusDesktopShell(QDBusConnection bus, std::function<void(const std::string&)> onClick,
                                   QObject* parent)
    : QObject(parent), bus_(std::move(bus)), onClick_(std::move(onClick)) {
    bus_.connect(kNotificationsService, kNotificationsPath, kNotificationsService, "ActionInvoked", this,
                 SLOT(actionInvoked(uint, QString)));
    bus_.connect(kNotificationsService, kNotificationsPath, kNotificationsService, "NotificationClosed", this,
                 SLOT(notificationClosed(uint, uint)));
}

void DBusDesktopShell::setBadgeCount(std::int64_t count) {
    QDBusMessage update =
        QDBusMessage::createSignal(kLauncherPath, "com.canonical.Unity.LauncherEntry", "Update");
    const QVariantMap properties{{"count", QVariant::fromValue<qint64>(count)}, {"count-visible", count > 0}};
    update << QString("application://") + kDesktopEntry + ".desktop" << properties;
    bus_.send(update);
}

void DBusDesktopShell::showNotification(const DesktopNotification& notification) {
    QDBusMessage notify = QDBusMessage::createMethodCall(kNotificationsService, kNotificationsPath,
                                                         kNotificationsService, "Notify");
    const QStringList actions{"default", "Openen"};
    const QVariantMap hints{{"desktop-entry", QString(kDesktopEntry)}};
    notify << QString("Zelvorin") << uint(0) << QString(kDesktopEntry)
           << QString::fromStdString(notification.title) << QString::fromStdString(notification.body)
           << actions << hints << int(-1);
    // Asynchronous: a notification daemon that is slow or absent must not hold up the window.
    const QString link = QString::fromStdString(notification.link.value_or(""));
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(notify), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, link](QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<uint> reply = *call;
        if (!reply.isError() && !link.isEmpty()) links_.insert(reply.value(), link);
        call->deleteLater();
    });
}

void DBusDesktopShell::actionInvoked(uint id, const QString& action) {
    const auto found = links_.constFind(id);
    if (found == links_.constEnd() || action != "default") return;
    if (onClick_) onClick_(found->toStdString());
}

void DBusDesktopShell::notificationClosed(uint id, uint /*reason*/) {
    links_.remove(id);
}

}  // namespace zelvorin::ui
