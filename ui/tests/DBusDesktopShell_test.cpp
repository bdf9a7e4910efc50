#include "ui/DBusDesktopShell.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QVariantMap>

#include <cstdio>
#include <string>

namespace zelvorin {
namespace {

// A private session bus for one test: dbus-daemon forks and prints its address and pid.
class PrivateBus {
public:
    PrivateBus() {
        FILE* out = ::popen("dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null", "r");
        if (out == nullptr) return;
        char line[512];
        if (std::fgets(line, sizeof line, out)) address_ = QString::fromUtf8(line).trimmed();
        if (std::fgets(line, sizeof line, out)) pid_ = std::atoi(line);
        ::pclose(out);
    }
    ~PrivateBus() {
        if (pid_ > 0) ::kill(pid_, SIGTERM);
    }
    bool started() const { return !address_.isEmpty() && pid_ > 0; }
    const QString& address() const { return address_; }

private:
    QString address_;
    int pid_ = 0;
};

// The notification daemon's side, as a desktop runs it: takes Notify calls and numbers them.
class NotificationDaemon : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList summaries;
    QStringList bodies;
    QVariantMap lastHints;
    QStringList lastActions;

public slots:
    uint Notify(const QString& /*app*/, uint /*replaces*/, const QString& /*icon*/, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints, int /*timeout*/) {
        summaries << summary;
        bodies << body;
        lastActions = actions;
        lastHints = hints;
        return static_cast<uint>(summaries.size()) + 40;
    }
};

// Listens for the launcher entry's count as a dock would.
class LauncherWatcher : public QObject {
    Q_OBJECT

public:
    QString appUri;
    qint64 count = -1;
    bool visible = false;

public slots:
    void update(const QString& uri, const QVariantMap& properties) {
        appUri = uri;
        count = properties.value("count").toLongLong();
        visible = properties.value("count-visible").toBool();
    }
};

template <class Condition>
bool pumpUntil(Condition condition) {
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return condition();
}

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "zelvorin_ui_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

TEST(DBusDesktopShellTest, BadgeAndNotificationsGoOverTheBusAndAClickHandsBackTheInvoiceLink) {
    application();
    PrivateBus bus;
    if (!bus.started()) GTEST_SKIP() << "dbus-daemon could not start a private session bus here";
    QDBusConnection daemonBus = QDBusConnection::connectToBus(bus.address(), "daemon");
    QDBusConnection appBus = QDBusConnection::connectToBus(bus.address(), "app");
    ASSERT_TRUE(daemonBus.isConnected() && appBus.isConnected());

    NotificationDaemon daemon;
    ASSERT_TRUE(daemonBus.registerService("org.freedesktop.Notifications"));
    ASSERT_TRUE(
        daemonBus.registerObject("/org/freedesktop/Notifications", &daemon, QDBusConnection::ExportAllSlots));
    LauncherWatcher watcher;
    ASSERT_TRUE(daemonBus.connect({}, {}, "com.canonical.Unity.LauncherEntry", "Update", &watcher,
                                  SLOT(update(QString, QVariantMap))));

    std::vector<std::string> clicked;
    ui::DBusDesktopShell shell(appBus, [&](const std::string& link) { clicked.push_back(link); });
    shell.setBadgeCount(3);
    shell.showNotification(
        {"n1", "Factuur 2026-014 is betaald", "Bakkerij Zoet betaalde € 1.210,00", "/invoices/inv-14"});
    shell.showNotification({"n2", "Nieuwe bon in Kvitra", "", std::nullopt});

    ASSERT_TRUE(pumpUntil([&] { return daemon.summaries.size() == 2 && watcher.count == 3; }));
    EXPECT_EQ(daemon.summaries.front(), "Factuur 2026-014 is betaald");
    EXPECT_EQ(daemon.bodies.front(), "Bakkerij Zoet betaalde € 1.210,00");
    EXPECT_EQ(daemon.lastActions, (QStringList{"default", "Openen"}));
    EXPECT_EQ(daemon.lastHints.value("desktop-entry").toString(), "zelvorin");
    EXPECT_EQ(watcher.appUri, "application://zelvorin.desktop");
    EXPECT_TRUE(watcher.visible);

    // Clicking the notification without a link does nothing; the one with a link opens it.
    auto invoke = [&](uint id) {
        QDBusMessage signal = QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                         "org.freedesktop.Notifications", "ActionInvoked");
        signal << id << QString("default");
        daemonBus.send(signal);
    };
    invoke(42);
    invoke(41);
    ASSERT_TRUE(pumpUntil([&] { return !clicked.empty(); }));
    QCoreApplication::processEvents();
    EXPECT_EQ(clicked, std::vector<std::string>{"/invoices/inv-14"});

    shell.setBadgeCount(0);
    ASSERT_TRUE(pumpUntil([&] { return watcher.count == 0; }));
    EXPECT_FALSE(watcher.visible);
    QDBusConnection::disconnectFromBus("app");
    QDBusConnection::disconnectFromBus("daemon");
}

}  // namespace
}  // namespace zelvorin

#include "DBusDesktopShell_test.moc"
