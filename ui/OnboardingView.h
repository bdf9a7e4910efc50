#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <functional>
#include <map>
#include <vector>

#include "screens/OnboardingWizard.h"

namespace zelvorin::ui {

// The new account's wizard: draws the OnboardingWizard's step, its fields and refusals, and hands
// the checked registration to `onSubmit` (which calls the service off the GUI thread and reports
// back through wizard().finishSubmit).
class OnboardingView final : public QWidget {
public:
    using Field = OnboardingWizard::Field;

    explicit OnboardingView(std::function<void(OnboardingRegistration)> onSubmit, QWidget* parent = nullptr);

    OnboardingWizard& wizard() { return wizard_; }
    QLineEdit* field(Field field) { return fields_.at(field); }
    QCheckBox* termsBox() { return terms_; }
    QPushButton* nextButton() { return next_; }
    QPushButton* backButton() { return back_; }
    QString errorText(Field field) const { return errors_.at(field)->text(); }
    QString failureText() const { return failure_->text(); }
    QString stepText() const { return step_->text(); }

private:
    QWidget* makePage(OnboardingWizard::Step step);
    void advance();
    void render();

    OnboardingWizard wizard_;
    std::function<void(OnboardingRegistration)> onSubmit_;
    QLabel* step_;
    std::vector<QWidget*> pages_;
    std::map<Field, QLineEdit*> fields_;
    std::map<Field, QLabel*> errors_;
    QCheckBox* terms_ = nullptr;
    QPushButton* back_;
    QPushButton* next_;
    QLabel* status_;
    QLabel* failure_;
};

}  // namespace zelvorin::ui
