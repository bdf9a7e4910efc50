#pragma once

#include <QLineEdit>
#include <QWidget>

#include <memory>

#include "app/AppEnvironment.h"
#include "screens/DisplayFormats.h"

namespace zelvorin::ui {

// What every section of the main window is given: the environment it reads through, where
// observations deliver (the GUI thread), where blocking work runs (the session's worker), and how
// the organisation shows money and dates.
struct SectionContext {
    AppEnvironment& environment;
    std::shared_ptr<Executor> mainExecutor;
    std::shared_ptr<Executor> worker;
    DisplayFormats formats;
};

// A page of the main window. Sections whose repository offers an observation refresh by it; the
// others read again after each completed sync (reload).
class SectionView : public QWidget {
public:
    explicit SectionView(SectionContext context, QWidget* parent = nullptr)
        : QWidget(parent), context_(std::move(context)) {}
    virtual void reload() {}
    // The field Ctrl+F goes to, if the section has one.
    virtual QLineEdit* searchField() { return nullptr; }

protected:
    SectionContext context_;
};

}  // namespace zelvorin::ui
