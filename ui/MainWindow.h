#pragma once

#include <QLabel>
#include <QMainWindow>

#include "app/AppEnvironment.h"

namespace zelvorin::ui {

// The shell's placeholder: the session, the sync chip and the app lock's cover, until the screens
// arrive. Reads only state that the environment guards, so it may refresh while a session
// operation runs on the worker.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(AppEnvironment& environment, QWidget* parent = nullptr);

public slots:
    void refresh();

private:
    AppEnvironment& environment_;
    QLabel* session_;
    QLabel* sync_;
    QLabel* cover_;
};

}  // namespace zelvorin::ui
