#include "ui/BriefingPanel.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>

#include "domain/Timestamps.h"
#include "screens/ErrorMessages.h"
#include "ui/RowTableModel.h"

namespace zelvorin::ui {

using namespace dashboardactions;

BriefingPanel::BriefingPanel(SectionContext context, QWidget* parent)
    : QWidget(parent),
      context_(std::move(context)),
      heading_(new QLabel),
      narrative_(new QLabel),
      status_(new QLabel),
      actionsLayout_(new QVBoxLayout) {
    heading_->setTextFormat(Qt::PlainText);
    heading_->setStyleSheet("font-weight: 600; font-size: 12pt");
    narrative_->setWordWrap(true);
    narrative_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    status_->setStyleSheet("color: #5f6368");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(heading_);
    layout->addWidget(narrative_);
    layout->addLayout(actionsLayout_);
    layout->addWidget(status_);
}

std::vector<std::string> BriefingPanel::actionIds() const {
    std::vector<std::string> ids;
    for (const NativeAiActionItem& action : actions_)
        ids.push_back(action.id);
    return ids;
}

void BriefingPanel::load() {
    const int generation = ++loadGeneration_;
    QPointer<BriefingPanel> self(this);
    context_.worker->post([=, &environment = context_.environment, main = context_.mainExecutor] {
        std::optional<NativeDashboardBriefing> briefing;
        std::string failure;
        try {
            briefing = dashboardactions::briefing(environment.apiClient());
        } catch (...) {
            failure = errorMessage(classifyCurrentException());
        }
        main->post([self, briefing = std::move(briefing), failure, generation]() mutable {
            if (!self || generation != self->loadGeneration_) return;
            if (!briefing) {
                self->status_->setText("Briefing niet bijgewerkt: " + qText(failure));
                return;
            }
            self->show(std::move(*briefing));
        });
    });
}

void BriefingPanel::show(NativeDashboardBriefing briefing) {
    setVisible(briefing.enabled);
    heading_->setText(qText(briefingHeading(briefing)));
    narrative_->setText(qText(briefing.narrative.value_or("")));
    status_->clear();
    actions_ = briefing.actions.value_or(std::vector<NativeAiActionItem>{});
    showActions();
}

void BriefingPanel::showActions() {
    while (QLayoutItem* item = actionsLayout_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (std::size_t n = 0; n < actions_.size(); ++n) {
        const NativeAiActionItem& action = actions_[n];
        auto* row = new QFrame;
        row->setFrameShape(QFrame::StyledPanel);
        auto* rowLayout = new QHBoxLayout(row);
        auto* text = new QLabel("<b>" + qText(action.title).toHtmlEscaped() + "</b><br>" +
                                qText(action.body.value_or("")).toHtmlEscaped());
        text->setWordWrap(true);
        rowLayout->addWidget(text, 1);
        for (const BriefingChoice& choice : briefingChoices(action)) {
            auto* button = new QPushButton(qText(choice.label));
            connect(button, &QPushButton::clicked, this,
                    [this, n, decision = choice.decision] { decide(static_cast<int>(n), decision); });
            rowLayout->addWidget(button);
        }
        actionsLayout_->addWidget(row);
    }
}

void BriefingPanel::decide(int index, NativeAiActionDecision decision) {
    if (index < 0 || static_cast<std::size_t>(index) >= actions_.size()) return;
    const std::string id = actions_[static_cast<std::size_t>(index)].id;
    const std::optional<std::string> until =
        decision == NativeAiActionDecision::snoozed
            ? std::optional(snoozeUntil(amsterdamDate(context_.environment.clock()->now())))
            : std::nullopt;
    status_->setText("Keuze versturen…");
    QPointer<BriefingPanel> self(this);
    context_.worker->post([=, &environment = context_.environment, main = context_.mainExecutor] {
        std::string failure;
        try {
            dashboardactions::decide(environment.apiClient(), id, decision, until);
        } catch (...) {
            failure = errorMessage(classifyCurrentException());
        }
        main->post([self, id, failure] {
            if (!self) return;
            if (!failure.empty()) {
                self->status_->setText("Keuze niet verstuurd: " + qText(failure));
                return;
            }
            std::erase_if(self->actions_, [&](const NativeAiActionItem& a) { return a.id == id; });
            self->status_->clear();
            self->showActions();
        });
    });
}

}  // namespace zelvorin::ui
