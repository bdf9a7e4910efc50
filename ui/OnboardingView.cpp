#include "ui/OnboardingView.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/CentredColumn.h"
#include "ui/RowTableModel.h"

namespace zelvorin::ui {

namespace {

constexpr const char* kRefusalStyle = "color: #b3261e;";

QLabel* refusalLabel() {
    auto* label = new QLabel;
    label->setStyleSheet(kRefusalStyle);
    label->hide();
    return label;
}

}  // namespace

OnboardingView::OnboardingView(std::function<void(OnboardingRegistration)> onSubmit, QWidget* parent)
    : QWidget(parent),
      onSubmit_(std::move(onSubmit)),
      step_(new QLabel),
      back_(new QPushButton("Terug")),
      next_(new QPushButton),
      status_(new QLabel),
      failure_(refusalLabel()) {
    auto* title = new QLabel("<h1>Welkom bij Zelvorin</h1>");
    auto* intro = new QLabel(
        "Maak je organisatie aan. Deze gegevens komen op je facturen; je kunt ze later "
        "wijzigen in de instellingen.");
    intro->setWordWrap(true);
    failure_->setWordWrap(true);
    next_->setDefault(true);
    next_->setMinimumHeight(32);
    connect(next_, &QPushButton::clicked, [this] { advance(); });
    connect(back_, &QPushButton::clicked, [this] { wizard_.back(); });

    QVBoxLayout* inner = centredColumn(this, 640);
    inner->addWidget(title);
    inner->addWidget(intro);
    inner->addSpacing(8);
    inner->addWidget(step_);
    // One page per step, only the current one shown: the buttons sit right under its fields and
    // refusals, however many of those show.
    for (const OnboardingWizard::Step step : OnboardingWizard::allSteps) {
        pages_.push_back(makePage(step));
        inner->addWidget(pages_.back());
    }
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back_);
    buttons->addStretch();
    buttons->addWidget(next_);
    inner->addLayout(buttons);
    inner->addWidget(status_);
    inner->addWidget(failure_);

    wizard_.setOnChange([this] { render(); });
    render();
}

QWidget* OnboardingView::makePage(OnboardingWizard::Step step) {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    form->setContentsMargins(0, 0, 0, 0);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    for (const Field field : OnboardingWizard::fieldsOf(step)) {
        QLabel* refusal = refusalLabel();
        errors_[field] = refusal;
        if (field == Field::acceptedTerms) {
            terms_ = new QCheckBox(qText(OnboardingWizard::label(field)));
            connect(terms_, &QCheckBox::toggled, [this](bool on) {
                wizard_.setAcceptedTerms(on);
                errors_.at(Field::acceptedTerms)->hide();
            });
            form->addRow(terms_);
            form->addRow(refusal);
            continue;
        }
        auto* edit = new QLineEdit;
        fields_[field] = edit;
        connect(edit, &QLineEdit::textEdited, [this, field](const QString& text) {
            wizard_.set(field, text.toStdString());
            errors_.at(field)->hide();
        });
        connect(edit, &QLineEdit::returnPressed, [this] { advance(); });
        form->addRow(qText(OnboardingWizard::label(field)), edit);
        form->addRow(QString(), refusal);
    }
    return page;
}

void OnboardingView::advance() {
    if (!wizard_.isLastStep()) {
        wizard_.next();
        return;
    }
    if (std::optional<OnboardingRegistration> registration = wizard_.submit())
        onSubmit_(std::move(*registration));
}

void OnboardingView::render() {
    const auto step = wizard_.step();
    const int index = static_cast<int>(step);
    step_->setText(QString("<b>Stap %1 van %2: %3</b>")
                       .arg(index + 1)
                       .arg(OnboardingWizard::allSteps.size())
                       .arg(qText(OnboardingWizard::title(step))));
    for (std::size_t i = 0; i < pages_.size(); ++i)
        pages_[i]->setVisible(static_cast<int>(i) == index);
    for (auto& [field, label] : errors_) {
        const std::optional<std::string> refusal = wizard_.error(field);
        label->setText(refusal ? qText(*refusal) : QString());
        label->setVisible(refusal.has_value());
    }
    const bool busy = wizard_.submitting();
    back_->setEnabled(step != OnboardingWizard::Step::company && !busy);
    next_->setEnabled(!busy);
    next_->setText(wizard_.isLastStep() ? "Account aanmaken" : "Volgende");
    status_->setText(busy ? "Je organisatie wordt aangemaakt…" : QString());
    failure_->setText(wizard_.failure() ? qText(*wizard_.failure()) : QString());
    failure_->setVisible(wizard_.failure().has_value());
    // Focus follows the step, so the keyboard alone gets a person through.
    if (!busy) {
        const auto fields = OnboardingWizard::fieldsOf(step);
        for (const Field field : fields) {
            if (wizard_.error(field) || field == fields.front()) {
                if (field == Field::acceptedTerms)
                    terms_->setFocus();
                else
                    fields_.at(field)->setFocus();
                if (wizard_.error(field)) break;
            }
        }
    }
}

}  // namespace zelvorin::ui
