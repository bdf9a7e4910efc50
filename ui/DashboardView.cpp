#include "ui/DashboardView.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QVBoxLayout>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QCategoryAxis>

#include "screens/DashboardScreen.h"
#include "screens/InvoiceOverview.h"

namespace zelvorin::ui {

namespace {

QChart* barChart(const QString& title, const QStringList& categories, const std::vector<QBarSet*>& sets) {
    auto* series = new QBarSeries;
    double highest = 0;
    for (QBarSet* set : sets) {
        series->append(set);
        for (int i = 0; i < set->count(); ++i)
            highest = std::max(highest, set->at(i));
    }
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->addSeries(series);
    auto* x = new QBarCategoryAxis;
    x->append(categories);
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    // Round steps with Dutch labels ("€ 2.000") instead of the highest bar's odd fractions.
    const std::vector<ChartTick> ticks = chartTicks(highest);
    auto* y = new QCategoryAxis;
    y->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    for (const ChartTick& tick : ticks)
        y->append(qText(tick.label), static_cast<double>(tick.euros));
    y->setRange(0, static_cast<double>(ticks.back().euros));
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    chart->legend()->setVisible(sets.size() > 1);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));
    return chart;
}

QLabel* card() {
    auto* label = new QLabel;
    label->setFrameShape(QFrame::StyledPanel);
    label->setTextFormat(Qt::RichText);
    label->setMargin(10);
    label->setMinimumWidth(170);
    return label;
}

}  // namespace

DashboardView::DashboardView(SectionContext context, QWidget* parent)
    : SectionView(std::move(context), parent),
      briefing_(new BriefingPanel(context_)),
      period_(new QComboBox),
      revenueChart_(new QChartView),
      bankChart_(new QChartView),
      recentTable_(new QTableView),
      recent_(new RowTableModel<InvoiceListItem>(
          {{"Nummer", [](const InvoiceListItem& i) { return qText(invoiceLabel(i)); }},
           {"Klant", [](const InvoiceListItem& i) { return qText(i.customerName.value_or("Geen klant")); }},
           {"Datum", [f = context_.formats](const InvoiceListItem& i) { return qText(f.date(i.issueDate)); }},
           {"Bedrag",
            [f = context_.formats](const InvoiceListItem& i) { return qText(f.money(i.totalCents)); },
            Qt::AlignRight | Qt::AlignVCenter},
           {"Status", [](const InvoiceListItem& i) { return qText(invoiceStatusLabel(i.status)); }}},
          this)) {
    auto* figures = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        cards_.push_back(card());
        figures->addWidget(cards_.back(), 1);
    }
    for (const ChartPeriod period : kChartPeriods)
        period_->addItem(qText(periodTitle(period)));
    revenueChart_->setRenderHint(QPainter::Antialiasing);
    bankChart_->setRenderHint(QPainter::Antialiasing);
    revenueChart_->setMinimumHeight(220);
    bankChart_->setMinimumHeight(220);
    recentTable_->setModel(recent_);
    recentTable_->verticalHeader()->hide();
    recentTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    recentTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    recentTable_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    recentTable_->setColumnWidth(0, 150);
    recentTable_->setColumnWidth(3, 120);
    recentTable_->setColumnWidth(4, 140);

    auto* periodRow = new QHBoxLayout;
    periodRow->addWidget(new QLabel("<b>Grafieken</b>"));
    periodRow->addStretch();
    periodRow->addWidget(new QLabel("Periode:"));
    periodRow->addWidget(period_);
    auto* charts = new QHBoxLayout;
    charts->addWidget(revenueChart_, 1);
    charts->addWidget(bankChart_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(figures);
    layout->addWidget(briefing_);
    layout->addLayout(periodRow);
    layout->addLayout(charts, 2);
    layout->addWidget(new QLabel("<b>Laatst gewijzigde facturen</b>"));
    layout->addWidget(recentTable_, 1);

    connect(period_, &QComboBox::currentIndexChanged, [this] { showCharts(); });
    QPointer<DashboardView> self(this);
    observation_ = context_.environment.repositories().dashboard.observeSummary(
        [self](DashboardSummary summary) {
            if (self) self->showSummary(summary);
        },
        context_.mainExecutor);
}

QString DashboardView::cardText(int index) const {
    return cards_.at(static_cast<std::size_t>(index))->text();
}

void DashboardView::showSummary(const DashboardSummary& summary) {
    const auto cards = summaryCards(summary, context_.formats);
    for (std::size_t i = 0; i < cards.size() && i < cards_.size(); ++i) {
        cards_[i]->setText("<span style='color:#5f6368'>" + qText(cards[i].title).toHtmlEscaped() +
                           "</span><br><span style='font-size:16pt; font-weight:600'>" +
                           qText(cards[i].value).toHtmlEscaped() + "</span><br><small>" +
                           qText(cards[i].caption).toHtmlEscaped() + "</small>");
    }
    // The summary is delivered after every change of the invoices, so the rest follows it.
    reload();
}

void DashboardView::reload() {
    recent_->setRows(context_.environment.repositories().dashboard.recentInvoices());
    showCharts();
    briefing_->load();
}

void DashboardView::showCharts() {
    const ChartPeriod period = kChartPeriods[static_cast<std::size_t>(std::max(0, period_->currentIndex()))];
    Repositories& repositories = context_.environment.repositories();
    QStringList months;
    auto* revenue = new QBarSet("Omzet excl. BTW");
    for (const MonthlyPoint& point : repositories.dashboardCharts.revenuePerMonth(period)) {
        months << qText(point.label + " " + point.monthKey.substr(2, 2));
        *revenue << static_cast<double>(point.cents) / 100.0;
    }
    revenue->setColor(QColor("#2f6f4f"));
    QChart* old = revenueChart_->chart();
    revenueChart_->setChart(barChart("Omzet per maand", months, {revenue}));
    delete old;

    QStringList bankMonths;
    auto* income = new QBarSet("Inkomsten");
    auto* expenses = new QBarSet("Uitgaven");
    for (const InkomstenUitgavenPoint& point : repositories.dashboardCharts.incomeAndExpenses(period)) {
        bankMonths << qText(point.label + " " + point.monthKey.substr(2, 2));
        *income << static_cast<double>(point.inkomstenCents) / 100.0;
        *expenses << static_cast<double>(point.uitgavenCents) / 100.0;
    }
    income->setColor(QColor("#3d7fb5"));
    expenses->setColor(QColor("#c2693d"));
    old = bankChart_->chart();
    bankChart_->setChart(barChart("Inkomsten en uitgaven (bank)", bankMonths, {income, expenses}));
    delete old;
}

}  // namespace zelvorin::ui
