#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include <array>
#include <functional>
#include <optional>

#include "screens/ScheduleDaysOff.h"
#include "screens/ScheduleForm.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// Making or editing one schedule, offline: the widgets fill a ScheduleForm, which checks the input
// and writes the schedule with its queued change; a refusal shows its text and writes nothing.
// Beside the fields, the days off of a saved schedule (kept by the service, changed there at once)
// with the public holidays, and the next invoices of an hourly schedule as the service will make them.
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
    QListWidget* daysOffList() { return daysOffList_; }
    QLineEdit* dayOffFromField() { return dayOffFrom_; }
    QLineEdit* dayOffToField() { return dayOffTo_; }
    QComboBox* dayOffKindBox() { return dayOffKind_; }
    QPushButton* addDayOffButton() { return addDayOff_; }
    QPushButton* removeDayOffButton() { return removeDayOff_; }
    QString daysOffMessage() const { return daysOffMessage_->text(); }
    // Saves; false (with the message shown) when the input was refused.
    bool save();

private:
    void fillForm();
    void showPreview();
    void addLineRow(const ScheduleLineForm& line);
    QLayout* daysOffColumn();
    // Runs a days-off call on the worker and shows its answer; refusals and failures as their text.
    void changeDaysOff(std::function<ScheduleDaysOff(SyncAPIClient&, NLHolidays&)> call);
    void addDaysOff();
    void showDaysOff();

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
    std::optional<std::string> scheduleId_;  // none until the schedule is saved
    ScheduleDaysOff daysOff_;
    QListWidget* daysOffList_;
    QLineEdit* dayOffFrom_;
    QLineEdit* dayOffTo_;
    QComboBox* dayOffKind_;
    QPushButton* addDayOff_;
    QPushButton* removeDayOff_;
    QLabel* daysOffMessage_;
};

}  // namespace zelvorin::ui
