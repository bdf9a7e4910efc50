#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>

#include <array>
#include <optional>

#include "screens/ScheduleForm.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// Making or editing one schedule, offline: the widgets fill a ScheduleForm, which checks the input
// and writes the schedule with its queued change; a refusal shows its text and writes nothing.
// Beside the fields, the next invoices of an hourly schedule as the service will make them.
class ScheduleDialog final : public QDialog {
public:
    // Without a record: a new schedule with its defaults.
    ScheduleDialog(SectionContext context, std::optional<InvoiceScheduleRecord> schedule,
                   QWidget* parent = nullptr);

    QComboBox* customerBox() { return customer_; }
    QComboBox* typeBox() { return type_; }
    QComboBox* frequencyBox() { return frequency_; }
    QSpinBox* billingDayBox() { return billingDay_; }
    QLineEdit* startDateField() { return startDate_; }
    QDoubleSpinBox* hoursBox(int weekday) { return hours_[static_cast<std::size_t>(weekday)]; }
    QTableWidget* linesTable() { return lines_; }
    QString errorText() const { return error_->text(); }
    QString previewText() const { return preview_->text(); }
    // Saves; false (with the message shown) when the input was refused.
    bool save();

private:
    void fillForm();
    void showPreview();
    void addLineRow(const ScheduleLineForm& line);

    SectionContext context_;
    ScheduleForm form_;
    QComboBox* customer_;
    QComboBox* type_;
    QComboBox* frequency_;
    QSpinBox* billingDay_;
    QLineEdit* billingTime_;
    QLineEdit* rate_;
    std::array<QDoubleSpinBox*, 7> hours_{};
    QLineEdit* projectDescription_;
    QLineEdit* lineDescription_;
    QTableWidget* lines_;
    QLineEdit* startDate_;
    QCheckBox* active_;
    QCheckBox* autoSend_;
    QSpinBox* reviewWindow_;
    QCheckBox* indexation_;
    QLineEdit* indexationPercent_;
    QLabel* preview_;
    QLabel* error_;
};

}  // namespace zelvorin::ui
