#pragma once

#include <QString>

#include "ui/MainWindow.h"

namespace zelvorin::ui {

// Once the window shows the synced shell, draws every section into <folder>/<section>.png (and the
// sign-in screen, the new account's wizard, the settings window and an invoice beside them) and quits
// the application.
// For the README's pictures, made under Xvfb by scripts/screenshots.
void startScreenshotTour(MainWindow& window, AppEnvironment& environment, const QString& folder);

}  // namespace zelvorin::ui
