#pragma once

#include <QCheckBox>
#include <QDialog>

#include "app/AppEnvironment.h"

namespace zelvorin::ui {

// The settings window: the organisation's details as the last sync brought them and this device's
// app lock. The rest (templates, fonts, team, data export) follows with their service families.
class SettingsDialog final : public QDialog {
public:
    explicit SettingsDialog(AppEnvironment& environment, QWidget* parent = nullptr);
    QCheckBox& appLock() { return *appLock_; }

private:
    QCheckBox* appLock_;
};

}  // namespace zelvorin::ui
