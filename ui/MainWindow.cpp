#include "ui/MainWindow.h"

#include <QVBoxLayout>
#include <QWidget>

namespace zelvorin::ui {

namespace {

QString sessionText(SessionState state) {
    switch (state) {
        case SessionState::signedIn:
            return "Aangemeld";
        case SessionState::signingIn:
            return "Bezig met aanmelden…";
        case SessionState::onboarding:
            return "Account aanmaken";
        case SessionState::signedOut:
            break;
    }
    return "Niet aangemeld";
}

}  // namespace

MainWindow::MainWindow(AppEnvironment& environment, QWidget* parent)
    : QMainWindow(parent),
      environment_(environment),
      session_(new QLabel),
      sync_(new QLabel),
      cover_(new QLabel) {
    setWindowTitle("Zelvorin");
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(session_);
    layout->addWidget(sync_);
    layout->addWidget(cover_);
    layout->addStretch();
    setCentralWidget(central);
    resize(640, 400);
    refresh();
}

void MainWindow::refresh() {
    const SessionState state = environment_.sessionState();
    session_->setText("Sessie: " + sessionText(state));
    sync_->setText("Sync: " + QString::fromStdString(describe(environment_.syncStatus())));
    BiometricAppLock& lock = environment_.appLock();
    const bool locked = state == SessionState::signedIn && lock.isLocked();
    cover_->setText(locked ? QString(BiometricAppLock::kLockedTitle) : QString());
    // The cover hides every figure while the window is not in front or the app is locked.
    session_->setVisible(!locked && !lock.isObscured());
    sync_->setVisible(!locked && !lock.isObscured());
}

}  // namespace zelvorin::ui
