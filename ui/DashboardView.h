#pragma once

#include <QComboBox>
#include <QLabel>
#include <QTableView>
#include <QtCharts/QChartView>

#include <vector>

#include "persistence/Observation.h"
#include "ui/RowTableModel.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// Dashboard: the local figures (by observation), revenue and income against expenses per month for
// the chosen period, and the ten invoices changed last. Everything comes from the local store, so
// it shows offline too.
class DashboardView final : public SectionView {
public:
    explicit DashboardView(SectionContext context, QWidget* parent = nullptr);
    void reload() override;
    QString cardText(int index) const;
    RowTableModel<InvoiceListItem>& recent() { return *recent_; }

private:
    void showSummary(const DashboardSummary& summary);
    void showCharts();

    std::vector<QLabel*> cards_;
    QComboBox* period_;
    QChartView* revenueChart_;
    QChartView* bankChart_;
    QTableView* recentTable_;
    RowTableModel<InvoiceListItem>* recent_;
    ObservationHandle observation_;
};

}  // namespace zelvorin::ui
