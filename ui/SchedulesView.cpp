#include "ui/SchedulesView.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QPointer>
#include <QVBoxLayout>

#include "domain/Timestamps.h"
#include "screens/ScheduleTexts.h"
#include "ui/ScheduleDialog.h"
#include "ui/TableSetup.h"

namespace zelvorin::ui {

SchedulesView::SchedulesView(SectionContext context, QWidget* parent)
    : SectionView(std::move(context), parent),
      model_(new RowTableModel<InvoiceScheduleRecord>(
          {{"Klant",
            [this](const InvoiceScheduleRecord& s) {
                const auto customer = context_.environment.repositories().customers.customer(s.customerId);
                return customer ? qText(customer->companyName) : QString("Onbekende klant");
            }},
           {"Schema",
            [this](const InvoiceScheduleRecord& s) {
                return qText(scheduletexts::rowText(s, amsterdamDate(context_.environment.clock()->now())));
            }},
           {"Bedrag",
            [f = context_.formats](const InvoiceScheduleRecord& s) {
                return s.scheduleType != "fixed" ? qText(f.money(s.rateCents)) + " per uur"
                                                 : QString("Vaste regels");
            },
            Qt::AlignRight | Qt::AlignVCenter},
           {"Actief",
            [](const InvoiceScheduleRecord& s) { return s.active ? QString("ja") : QString("nee"); }},
           {"Vanzelf versturen",
            [](const InvoiceScheduleRecord& s) { return s.autoSend ? QString("ja") : QString("nee"); }}},
          this)),
      empty_(new QLabel) {
    empty_->setText("<b>" + qText(std::string(scheduletexts::kEmptyTitle)) + "</b><br>" +
                    qText(std::string(scheduletexts::kEmptyBody)));
    empty_->setAlignment(Qt::AlignCenter);
    empty_->setWordWrap(true);
    empty_->hide();
    auto* add = new QPushButton("Nieuw schema");
    auto* edit = new QPushButton("Bewerken");
    auto* remove = new QPushButton("Verwijderen");
    connect(add, &QPushButton::clicked, this,
            [this] { ScheduleDialog(context_, std::nullopt, this).exec(); });
    connect(edit, &QPushButton::clicked, this, [this] { editSelected(); });
    connect(remove, &QPushButton::clicked, this, [this] { deleteSelected(); });
    auto* actions = new QHBoxLayout;
    actions->addWidget(add);
    actions->addWidget(edit);
    actions->addWidget(remove);
    actions->addStretch(1);
    table_ = listTable(model_, 1);  // the schedule's text gets the room
    connect(table_, &QTableView::doubleClicked, this, [this] { editSelected(); });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(actions);
    layout->addWidget(table_, 1);
    layout->addWidget(empty_, 1);
    QPointer<SchedulesView> self(this);
    observation_ = context_.environment.repositories().schedules.observeSchedules(
        [self](std::vector<InvoiceScheduleRecord> rows) {
            if (!self) return;
            self->empty_->setVisible(rows.empty());
            self->table_->setVisible(!rows.empty());
            self->model_->setRows(std::move(rows));
        },
        context_.mainExecutor);
}

const InvoiceScheduleRecord* SchedulesView::selected() const {
    const QModelIndex current = table_->currentIndex();
    if (!current.isValid() || current.row() >= model_->rowCount()) return nullptr;
    return &model_->row(current.row());
}

void SchedulesView::select(int row) {
    table_->selectRow(row);
    table_->setCurrentIndex(model_->index(row, 0));
}

void SchedulesView::editSelected() {
    if (const InvoiceScheduleRecord* schedule = selected()) ScheduleDialog(context_, *schedule, this).exec();
}

QDialog* SchedulesView::openEditor(int row) {
    auto* dialog = new ScheduleDialog(context_, model_->row(row), this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}

void SchedulesView::deleteSelected(const std::function<bool(const QString&)>& confirm) {
    const InvoiceScheduleRecord* schedule = selected();
    if (!schedule) return;
    const QString question = qText(std::string(scheduletexts::kDeleteQuestion));
    const bool yes = confirm
                         ? confirm(question)
                         : QMessageBox::question(this, "Schema verwijderen", question) == QMessageBox::Yes;
    if (yes) context_.environment.repositories().schedules.deleteSchedule(schedule->id);
}

}  // namespace zelvorin::ui
