#include "ui/SignInView.h"

#include "ui/CentredColumn.h"

namespace zelvorin::ui {

SignInView::SignInView(QWidget* parent)
    : QWidget(parent),
      signIn_(new QPushButton("Inloggen via de browser")),
      cancel_(new QPushButton("Annuleren")),
      status_(new QLabel),
      failure_(new QLabel) {
    auto* title = new QLabel("<h1>Welkom bij Zelvorin</h1>");
    auto* text = new QLabel(
        "Log in met je Zelvorin-account. Je browser opent de inlogpagina; daarna kom je vanzelf hier "
        "terug.");
    text->setWordWrap(true);
    text->setFixedWidth(440);
    text->setMinimumHeight(text->heightForWidth(440));
    failure_->setWordWrap(true);
    failure_->setStyleSheet("color: #b3261e;");
    signIn_->setDefault(true);
    signIn_->setMinimumHeight(36);
    cancel_->hide();
    for (QLabel* label : {title, text, status_, failure_})
        label->setAlignment(Qt::AlignCenter);
    QVBoxLayout* inner = centredColumn(this, 460);
    inner->addWidget(title);
    inner->addWidget(text);
    inner->addSpacing(12);
    inner->addWidget(signIn_);
    inner->addWidget(cancel_);
    inner->addWidget(status_);
    inner->addWidget(failure_);
}

void SignInView::show(SessionState state, const std::optional<LoginFailure>& failure) {
    const bool busy = state == SessionState::signingIn;
    signIn_->setEnabled(!busy);
    cancel_->setVisible(busy);
    status_->setText(busy ? "Bezig met aanmelden… Rond het inloggen af in je browser." : QString());
    failure_->setText(failure && !busy ? QString::fromStdString(failure->message) : QString());
}

}  // namespace zelvorin::ui
