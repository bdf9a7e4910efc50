#pragma once

#include <QMetaObject>
#include <QObject>

#include "persistence/Executor.h"

namespace zelvorin::ui {

// The desktop's main actor: work posted from any thread runs on the thread of `context` (the GUI
// thread), in order, and not at all once `context` is gone.
class QtMainExecutor final : public Executor {
public:
    explicit QtMainExecutor(QObject* context) : context_(context) {}
    void post(std::function<void()> work) override {
        QMetaObject::invokeMethod(context_, std::move(work), Qt::QueuedConnection);
    }

private:
    QObject* context_;
};

}  // namespace zelvorin::ui
