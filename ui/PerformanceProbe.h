#pragma once

#include <QString>

#include "ui/MainWindow.h"

namespace zelvorin::ui {

// For bench/DesktopBenchmark: once the shell shows Facturen with rows, writes "filled <rows>" to
// `file` (the benchmark times process start to that moment), then scrolls the list page by page
// and types a search a character at a time, and appends the longest piece of GUI-thread work of
// each ("scrollMaxMs", "typingMaxMs") before quitting the application.
void startPerformanceProbe(MainWindow& window, const QString& file);

}  // namespace zelvorin::ui
