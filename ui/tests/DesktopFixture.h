#pragma once

#include <QApplication>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "app/tests/EnvironmentFixture.h"
#include "testing/ServiceProcess.h"
#include "testing/TempDir.h"
#include "ui/MainWindow.h"
#include "ui/QtMainExecutor.h"

namespace zelvorin::testing {

inline QApplication& application() {
    static int argc = 1;
    static char name[] = "zelvorin_ui_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: tearing Qt down among the other statics at exit crashes in the platform
    // plugin, after every test has passed.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

template <class Condition>
bool eventually(Condition condition) {
    return QTest::qWaitFor(condition, 30000);
}

// Makes the service fail the next request to a path as the fault says (admin/faults).
inline void addFault(const ServiceProcess& service, const nlohmann::json& fault) {
    ASSERT_EQ(service.post("/admin/faults", fault.dump()).status, 201);
}

// A device of the demo organisation with the desktop's window over it: its own folder, the
// window's worker thread, observations delivered on the GUI thread.
struct Desktop {
    explicit Desktop(const ServiceProcess& service, bool signIn = true) {
        application();
        environment = testing::makeEnvironment(root.path(), service.baseUrl());
        if (signIn) {
            EXPECT_TRUE(environment->handleOpenURL(testing::callbackFor(service, *environment)));
        }
        handoff = std::make_shared<ui::DesktopBrowserHandoff>(mainExecutor, environment->httpSession(), true);
        window = std::make_unique<ui::MainWindow>(
            *environment, mainExecutor, std::shared_ptr<Executor>(std::shared_ptr<void>(), &worker), handoff);
        window->show();
    }
    ~Desktop() {
        handoff->cancel();
        QTest::qWait(50);
    }
    template <class View>
    View& section(MainSection which) {
        window->selectSection(which);
        return *static_cast<View*>(window->section(which));
    }

    TempDir root;
    std::unique_ptr<AppEnvironment> environment;
    std::shared_ptr<Executor> mainExecutor = std::make_shared<ui::QtMainExecutor>(&application());
    SerialExecutor worker;
    std::shared_ptr<ui::DesktopBrowserHandoff> handoff;
    std::unique_ptr<ui::MainWindow> window;
};

}  // namespace zelvorin::testing
