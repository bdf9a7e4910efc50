#pragma once

#include <QCheckBox>
#include <QDialog>

#include "ui/EmailTemplatesPage.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// The settings window: the organisation's details as the last sync brought them, its e-mail
// templates as the service holds them, and this device's app lock. The rest (fonts, team, data
// export) follows with their service families.
class SettingsDialog final : public QDialog {
public:
    explicit SettingsDialog(const SectionContext& context, QWidget* parent = nullptr);
    QCheckBox& appLock() { return *appLock_; }
    EmailTemplatesPage& emailTemplates() { return *emailTemplates_; }

private:
    QCheckBox* appLock_;
    EmailTemplatesPage* emailTemplates_;
};

}  // namespace zelvorin::ui
