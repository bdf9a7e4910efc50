#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include "persistence/Observation.h"
#include "ui/RowTableModel.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// Auto-factuur: the recurring invoice schedules, by observation, each with its customer and what
// it says of itself (how an hourly schedule bills, the next date of a fixed one). New and changed
// schedules are made in ScheduleDialog; deleting asks first. Without schedules, the empty state.
class SchedulesView final : public SectionView {
public:
    explicit SchedulesView(SectionContext context, QWidget* parent = nullptr);
    RowTableModel<InvoiceScheduleRecord>& model() { return *model_; }
    QLabel* emptyState() { return empty_; }
    // The selected schedule in its editor; nothing without a selection.
    void editSelected();
    // The editor of a row's schedule, shown without waiting (the screenshots); the caller closes it.
    QDialog* openEditor(int row);
    // Asks the deletion question and deletes the selected schedule when the answer is yes;
    // `confirm` stands in for the question box in tests.
    void deleteSelected(const std::function<bool(const QString& question)>& confirm = {});
    void select(int row);

private:
    const InvoiceScheduleRecord* selected() const;

    RowTableModel<InvoiceScheduleRecord>* model_;
    QTableView* table_;
    QLabel* empty_;
    ObservationHandle observation_;
};

}  // namespace zelvorin::ui
