#pragma once

#include <QComboBox>
#include <QLabel>
#include <QTableView>
#include <QtCharts/QChartView>

#include <vector>

#include "persistence/Observation.h"
#include "ui/BriefingPanel.h"
#include "ui/RowTableModel.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// Dashboard: the local figures (by observation), the service's weekly briefing when it can be reached,
// revenue and income against expenses per month for the chosen period, and the ten invoices changed
// last. All but the briefing come from the local store, so they show offline too.
class DashboardView final : public SectionView {
public:
    explicit DashboardView(SectionContext context, QWidget* parent = nullptr);
    void reload() override;
    QString cardText(int index) const;
    RowTableModel<InvoiceListItem>& recent() { return *recent_; }
    BriefingPanel& briefing() { return *briefing_; }

private:
    void showSummary(const DashboardSummary& summary);
    void showCharts();

    std::vector<QLabel*> cards_;
    BriefingPanel* briefing_;
    QComboBox* period_;
    QChartView* revenueChart_;
    QChartView* bankChart_;
    QTableView* recentTable_;
    RowTableModel<InvoiceListItem>* recent_;
    ObservationHandle observation_;
};

}  // namespace zelvorin::ui
