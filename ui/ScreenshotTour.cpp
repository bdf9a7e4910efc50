#include "ui/ScreenshotTour.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>

#include <iostream>

#include "ui/CustomersView.h"
#include "ui/InvoicesView.h"

namespace zelvorin::ui {

namespace {

void save(QWidget& widget, const QString& folder, const QString& name) {
    const QString path = QDir(folder).filePath(name + ".png");
    if (!widget.grab().save(path))
        std::cerr << "Kon " << path.toStdString() << " niet bewaren.\n";
    else
        std::cout << path.toStdString() << "\n";
}

// Lets queued deliveries (observations, chart layout) land before a picture is taken.
void settle(int milliseconds) {
    QTimer wait;
    wait.setSingleShot(true);
    QEventLoop loop;
    QObject::connect(&wait, &QTimer::timeout, &loop, &QEventLoop::quit);
    wait.start(milliseconds);
    loop.exec();
}

void tour(MainWindow& window, const QString& folder) {
    for (const MainSection section : kAllMainSections) {
        window.selectSection(section);
        settle(400);  // a section made now delivers its rows first
        if (section == MainSection::contacten) {
            static_cast<CustomersView*>(window.section(section))->select(0);
            settle(200);
        }
        save(window, folder, QString::fromUtf8(sectionSlug(section).data(), sectionSlug(section).size()));
    }
    auto* invoices = static_cast<InvoicesView*>(window.section(MainSection::facturen));
    window.selectSection(MainSection::facturen);
    if (invoices->model().rowCount() > 0) {
        invoices->openInvoice(invoices->model().row(0).id);
        settle(500);
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top != &window && top->isVisible() && top->inherits("QDialog")) {
                save(*top, folder, "factuur");
                top->close();
            }
    }
}

}  // namespace

void startScreenshotTour(MainWindow& window, AppEnvironment& environment, const QString& folder) {
    QDir().mkpath(folder);
    auto* poll = new QTimer(&window);
    poll->setInterval(200);
    const bool signInOnly = qEnvironmentVariable("ZELVORIN_AUTO_SIGNIN") != "1";
    QObject::connect(poll, &QTimer::timeout, [&window, &environment, folder, poll, signInOnly] {
        if (signInOnly) {
            // Without the automatic sign-in the picture is of the first screen a new device shows.
            if (environment.sessionState() != SessionState::signedOut) return;
            poll->stop();
            settle(300);
            save(window, folder, "aanmelden");
            QApplication::quit();
            return;
        }
        const bool synced =
            std::holds_alternative<SyncDisplayStatus::Synced>(environment.syncStatus().value) &&
            environment.lastSuccessfulSync().has_value();
        if (!window.showsShell() || !synced) return;
        poll->stop();
        settle(500);
        tour(window, folder);
        QApplication::quit();
    });
    poll->start();
}

}  // namespace zelvorin::ui
