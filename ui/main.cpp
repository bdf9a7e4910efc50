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
#include "ui/DesktopBrowserHandoff.h"
#include "ui/MainWindow.h"
#include "ui/PerformanceProbe.h"
#include "ui/QtMainExecutor.h"
#include "ui/ScreenshotTour.h"
#include "ui/SingleInstance.h"

using namespace zelvorin;

namespace {

// "--screenshots DIR": draw every section into DIR and quit.
QString screenshotFolder(const QStringList& arguments) {
    const qsizetype at = arguments.indexOf("--screenshots");
    return at > 0 && at + 1 < arguments.size() ? arguments[at + 1] : QString();
}

// "--measure FILE": the desktop benchmark's probe (see PerformanceProbe).
QString measureFile(const QStringList& arguments) {
    const qsizetype at = arguments.indexOf("--measure");
    return at > 0 && at + 1 < arguments.size() ? arguments[at + 1] : QString();
}

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
    // The session's blocking work (network, database swaps) runs here, one piece at a time.
    // The window is handed a pointer that does not own the thread, so the thread ends here, below,
    // after the work it was given, and before the window and the environment go.
    auto workerThread = std::make_unique<SerialExecutor>();
    std::shared_ptr<Executor> worker(std::shared_ptr<void>(), workerThread.get());
    // Against the local service (scripts/run) the hand-off completes by itself.
    const bool automaticSignIn = qEnvironmentVariable("ZELVORIN_AUTO_SIGNIN") == "1";
    auto handoff = std::make_shared<ui::DesktopBrowserHandoff>(mainExecutor, environment->httpSession(),
                                                               automaticSignIn);
    window = std::make_unique<ui::MainWindow>(*environment, mainExecutor, worker, handoff);
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

    auto openURL = [&](const QString& link) {
        // A link the waiting browser hand-off asked for completes it; any other goes to the session.
        if (handoff->deliver(link.toStdString())) return;
        worker->post([&, text = link.toStdString()] {
            environment->handleOpenURL(text);
            refresh();
        });
    };
    worker->post([&] {
        environment->restoreSession();
        refresh();
        if (automaticSignIn && environment->sessionState() == SessionState::signedOut)
            mainExecutor->post([&] { window->signIn(); });
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
    if (const QString folder = screenshotFolder(QApplication::arguments()); !folder.isEmpty())
        ui::startScreenshotTour(*window, *environment, folder);
    if (const QString file = measureFile(QApplication::arguments()); !file.isEmpty())
        ui::startPerformanceProbe(*window, file);

    window->show();
    const int exitCode = QApplication::exec();
    handoff->cancel();     // a hand-off still waiting for the browser gives up
    workerThread.reset();  // finishes what was started
    window.reset();
    environment->setSyncStatusObserver({});
    environment->appLock().setChangeObserver({});
    environment.reset();
    return exitCode;
}
