#pragma once

#include "persistence/Observation.h"
#include "ui/RowTableModel.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// Auto-factuur: the recurring invoice schedules, by observation. Editing them is the schedule
// screens' work; here they are listed with their customer, rhythm and amount.
class SchedulesView final : public SectionView {
public:
    explicit SchedulesView(SectionContext context, QWidget* parent = nullptr);
    RowTableModel<InvoiceScheduleRecord>& model() { return *model_; }

private:
    RowTableModel<InvoiceScheduleRecord>* model_;
    ObservationHandle observation_;
};

}  // namespace zelvorin::ui
