#pragma once

#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

#include "screens/BriefingScreen.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// The week's briefing on the dashboard: the service's heading, its story and its suggested actions,
// each with the choices it offers; a choice is sent to the service and the action leaves the list
// when the service has taken it. Without a connection it says so and keeps what it showed; a
// briefing that is switched off hides the panel.
class BriefingPanel final : public QWidget {
public:
    explicit BriefingPanel(SectionContext context, QWidget* parent = nullptr);
    // Asks the service for the briefing again.
    void load();
    // Sends the decision about the shown action at `index`.
    void decide(int index, dashboardactions::NativeAiActionDecision decision);

    QString headingText() const { return heading_->text(); }
    QString statusText() const { return status_->text(); }
    std::vector<std::string> actionIds() const;

private:
    void show(dashboardactions::NativeDashboardBriefing briefing);
    void showActions();

    SectionContext context_;
    QLabel* heading_;
    QLabel* narrative_;
    QLabel* status_;
    QVBoxLayout* actionsLayout_;
    std::vector<dashboardactions::NativeAiActionItem> actions_;
    int loadGeneration_ = 0;
};

}  // namespace zelvorin::ui
