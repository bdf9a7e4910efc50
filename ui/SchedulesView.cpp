#include "ui/SchedulesView.h"

#include <QPointer>
#include <QVBoxLayout>

#include "ui/TableSetup.h"

namespace zelvorin::ui {

namespace {

QString frequency(const std::string& raw) {
    if (raw == "weekly") return "Wekelijks";
    if (raw == "four_weekly") return "Elke vier weken";
    if (raw == "monthly") return "Maandelijks";
    if (raw == "quarterly") return "Per kwartaal";
    if (raw == "yearly") return "Jaarlijks";
    return qText(raw);
}

}  // namespace

SchedulesView::SchedulesView(SectionContext context, QWidget* parent)
    : SectionView(std::move(context), parent),
      model_(new RowTableModel<InvoiceScheduleRecord>(
          {{"Klant",
            [this](const InvoiceScheduleRecord& s) {
                const auto customer = context_.environment.repositories().customers.customer(s.customerId);
                return customer ? qText(customer->companyName) : QString("Onbekende klant");
            }},
           {"Ritme", [](const InvoiceScheduleRecord& s) { return frequency(s.billingFrequency); }},
           {"Bedrag",
            [f = context_.formats](const InvoiceScheduleRecord& s) {
                return s.scheduleType == "hourly" ? qText(f.money(s.rateCents)) + " per uur"
                                                  : QString("Vaste regels");
            },
            Qt::AlignRight | Qt::AlignVCenter},
           {"Start",
            [f = context_.formats](const InvoiceScheduleRecord& s) { return qText(f.date(s.startDate)); }},
           {"Actief",
            [](const InvoiceScheduleRecord& s) { return s.active ? QString("ja") : QString("nee"); }},
           {"Vanzelf versturen",
            [](const InvoiceScheduleRecord& s) { return s.autoSend ? QString("ja") : QString("nee"); }}},
          this)) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(listTable(model_, 0), 1);
    QPointer<SchedulesView> self(this);
    observation_ = context_.environment.repositories().schedules.observeSchedules(
        [self](std::vector<InvoiceScheduleRecord> rows) {
            if (self) self->model_->setRows(std::move(rows));
        },
        context_.mainExecutor);
}

}  // namespace zelvorin::ui
