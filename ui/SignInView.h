#pragma once

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <optional>

#include "app/LoginFailure.h"
#include "app/SessionState.h"

namespace zelvorin::ui {

// The first screen of a device that is not signed in: one button that starts the browser
// hand-off, what is happening meanwhile, and the last sign-in failure in Dutch.
class SignInView final : public QWidget {
public:
    explicit SignInView(QWidget* parent = nullptr);
    void show(SessionState state, const std::optional<LoginFailure>& failure);
    QPushButton* signInButton() { return signIn_; }
    QPushButton* cancelButton() { return cancel_; }
    QString failureText() const { return failure_->text(); }

private:
    QPushButton* signIn_;
    QPushButton* cancel_;
    QLabel* status_;
    QLabel* failure_;
};

}  // namespace zelvorin::ui
