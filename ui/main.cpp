#include <sys/stat.h>

#include <QApplication>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QMessageBox>

#include <iostream>
#include <memory>

#include "app/AppEnvironment.h"
#include "app/AppUpdater.h"
#include "persistence/Executor.h"
#include "ui/DBusDesktopShell.h"
#include "ui/MainWindow.h"
#include "ui/QtMainExecutor.h"
#include "ui/SingleInstance.h"

using namespace zelvorin;

namespace {

// The URL the scheme handler passes (%u in the desktop entry), if any.
QString schemeArgument(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i].startsWith("zelvorin:", Qt::CaseInsensitive)) return arguments[i];
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    ::umask(077);  // every file the app makes is its user's alone
    QApplication app(argc, argv);
    QApplication::setApplicationName("Zelvorin");
    QGuiApplication::setDesktopFileName(ui::DBusDesktopShell::kDesktopEntry);
    const QString url = schemeArgument(QApplication::arguments());
    const AppPaths paths = AppPaths::fromEnvironment();

    ui::SingleInstance instance(ui::SingleInstance::socketPathFor(paths.applicationSupport));
    if (!instance.listen()) {
        if (instance.sendToRunning(url.isEmpty() ? QString("activate") : url)) return 0;
        std::cerr << "Zelvorin draait al, maar de lopende app reageert niet.\n";
        return 1;
    }
    const std::optional<BaseUrl> baseUrl = BaseUrl::fromBuildOrEnvironment();
    if (!baseUrl) {
        std::cerr << "Het adres van de dienst (ZELVORIN_BASE_URL) is ongeldig.\n";
        return 1;
    }

    auto mainExecutor = std::make_shared<ui::QtMainExecutor>(&app);
    std::unique_ptr<AppEnvironment> environment;
    std::unique_ptr<ui::MainWindow> window;
    auto refresh = [&] { mainExecutor->post([&] { window->refresh(); }); };
    auto desktop =
        std::make_shared<ui::DBusDesktopShell>(QDBusConnection::sessionBus(), [&](const std::string& link) {
            environment->handleNotificationClick(link);
            window->show();
            window->raise();
            window->activateWindow();
        });
    AppEnvironment::Platform platform;
    platform.desktop = desktop;
    platform.mainExecutor = mainExecutor;
    try {
        environment = std::make_unique<AppEnvironment>(
            *baseUrl, paths, [](const std::string& line) { std::cout << line << std::endl; },
            std::move(platform));
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, "Zelvorin", QString::fromUtf8(error.what()));
        return 1;
    }
    window = std::make_unique<ui::MainWindow>(*environment);
    environment->setSyncStatusObserver([&](const SyncEngineStatus&) { refresh(); });
    environment->appLock().setChangeObserver(refresh);
    QObject::connect(&app, &QGuiApplication::applicationStateChanged, [&](Qt::ApplicationState state) {
        const bool signedIn = environment->sessionState() == SessionState::signedIn;
        BiometricAppLock& lock = environment->appLock();
        if (state == Qt::ApplicationActive) {
            lock.sceneBecameActive(signedIn);
            environment->sceneBecameActive();
        }
        if (state == Qt::ApplicationInactive) lock.sceneBecameInactive(signedIn);
        if (state == Qt::ApplicationHidden || state == Qt::ApplicationSuspended)
            lock.sceneEnteredBackground();
    });

    // The session's blocking work (network, database swaps) runs here, one piece at a time.
    auto worker = std::make_unique<SerialExecutor>();
    auto openURL = [&](const QString& link) {
        worker->post([&, text = link.toStdString()] {
            environment->handleOpenURL(text);
            refresh();
        });
    };
    worker->post([&] {
        environment->restoreSession();
        refresh();
    });
    worker->post([&] {
        try {
            AppUpdater updater =
                AppUpdater::fromConfiguration(environment->defaults(), environment->httpSession());
            if (!updater.canCheckForUpdates()) return;
            if (const auto newer = updater.checkForUpdates()) {
                const DesktopNotification notice{
                    "update", "Nieuwe versie van Zelvorin",
                    "Versie " + newer->displayVersion + " staat klaar. " + newer->downloadURL, std::nullopt};
                mainExecutor->post([desktop, notice] { desktop->showNotification(notice); });
            }
        } catch (const std::exception& error) {
            std::cout << "[AppUpdater] " << error.what() << std::endl;
        }
    });
    if (!url.isEmpty()) openURL(url);
    QObject::connect(&instance, &ui::SingleInstance::messageReceived, [&](const QString& message) {
        window->show();
        window->raise();
        window->activateWindow();
        if (message.startsWith("zelvorin:", Qt::CaseInsensitive)) openURL(message);
    });

    window->show();
    const int exitCode = QApplication::exec();
    worker.reset();  // finishes what was started before the environment goes
    environment->setSyncStatusObserver({});
    environment->appLock().setChangeObserver({});
    environment.reset();
    return exitCode;
}
