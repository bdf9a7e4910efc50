#include "ui/ScheduleDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "domain/DutchPublicHolidays.h"
#include "domain/Timestamps.h"
#include "screens/ErrorMessages.h"
#include "screens/ScheduleTexts.h"
#include "ui/RowTableModel.h"

namespace zelvorin::ui {

namespace {

constexpr const char* kFrequencies[] = {"weekly",    "biweekly",    "four_weekly", "monthly",
                                        "quarterly", "half_yearly", "yearly"};
constexpr const char* kWeekdayShort[] = {"ma", "di", "wo", "do", "vr", "za", "zo"};
constexpr const char* kVatChoices[] = {"nl_21", "nl_9", "nl_0", "verlegd"};

QLabel* help(std::string_view text) {
    auto* label = new QLabel(qText(std::string(text)));
    label->setWordWrap(true);
    label->setStyleSheet("color: #5f6368;");
    return label;
}

std::string typed(const QLineEdit* field) {
    return field->text().trimmed().toStdString();
}

}  // namespace

ScheduleDialog::ScheduleDialog(SectionContext context, std::optional<InvoiceScheduleRecord> schedule,
                               QWidget* parent)
    : QDialog(parent),
      context_(std::move(context)),
      form_(schedule ? ScheduleForm::fromRecord(*schedule) : ScheduleForm::newSchedule()),
      customer_(new QComboBox),
      type_(new QComboBox),
      frequency_(new QComboBox),
      billingDay_(new QSpinBox),
      billingTime_(new QLineEdit),
      rate_(new QLineEdit),
      projectDescription_(new QLineEdit),
      lineDescription_(new QLineEdit),
      lines_(new QTableWidget(0, 3)),
      startDate_(new QLineEdit),
      active_(new QCheckBox("Actief")),
      autoSend_(new QCheckBox(qText(std::string(scheduletexts::kAutoSendTitle)))),
      reviewWindow_(new QSpinBox),
      indexation_(new QCheckBox(qText(std::string(scheduletexts::kIndexationTitle)))),
      indexationPercent_(new QLineEdit),
      preview_(new QLabel),
      error_(new QLabel),
      scheduleId_(schedule ? std::optional(schedule->id) : std::nullopt),
      daysOffList_(new QListWidget),
      dayOffFrom_(new QLineEdit),
      dayOffTo_(new QLineEdit),
      dayOffKind_(new QComboBox),
      addDayOff_(new QPushButton("Toevoegen")),
      removeDayOff_(new QPushButton("Verwijderen")),
      daysOffMessage_(new QLabel) {
    setWindowTitle(schedule ? "Schema bewerken" : "Nieuw schema");
    customer_->addItem("Kies een contact…", QString());
    for (const CustomerRecord& customer : context_.environment.repositories().customers.customers(false, ""))
        customer_->addItem(qText(customer.companyName), qText(customer.id));
    customer_->setCurrentIndex(std::max(0, customer_->findData(qText(form_.customerId))));
    type_->addItem("Uren × tarief", "hourly");
    type_->addItem("Vaste regels", "fixed");
    type_->setCurrentIndex(form_.isFixed() ? 1 : 0);
    for (const char* frequency : kFrequencies)
        frequency_->addItem(qText(scheduletexts::frequencyLabel(frequency)), frequency);
    frequency_->setCurrentIndex(std::max(0, frequency_->findData(qText(form_.billingFrequency))));
    billingDay_->setRange(0, 31);
    billingDay_->setValue(static_cast<int>(form_.billingDay));
    billingDay_->setToolTip(
        "1 maandag … 7 zondag bij wekelijkse schema's; de dag van de maand (0: de laatste) "
        "bij de andere");
    billingTime_->setText(qText(form_.billingTime));
    rate_->setText(qText(form_.hourlyRateText));
    auto* week = new QGridLayout;
    for (std::size_t day = 0; day < 7; ++day) {
        hours_[day] = new QDoubleSpinBox;
        hours_[day]->setRange(0, 24);
        hours_[day]->setDecimals(2);
        hours_[day]->setValue(static_cast<double>(form_.workdays[day]) / 100.0);
        week->addWidget(new QLabel(kWeekdayShort[day]), 0, static_cast<int>(day));
        week->addWidget(hours_[day], 1, static_cast<int>(day));
    }
    projectDescription_->setText(qText(form_.invoiceDescriptionTemplate));
    projectDescription_->setPlaceholderText(qText(std::string(scheduletexts::kVariablesExample)));
    lineDescription_->setText(qText(form_.descriptionTemplate));
    lines_->setHorizontalHeaderLabels({"Omschrijving", "Bedrag", "BTW"});
    lines_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (const ScheduleLineForm& line : form_.lines)
        addLineRow(line);
    auto* addLine = new QPushButton("Regel toevoegen");
    connect(addLine, &QPushButton::clicked, this, [this] { addLineRow({}); });
    startDate_->setText(qText(form_.startDate.value_or("")));
    startDate_->setPlaceholderText("jjjj-mm-dd (leeg: vanaf vandaag)");
    active_->setChecked(form_.active);
    autoSend_->setChecked(form_.autoSend);
    reviewWindow_->setRange(0, 168);
    reviewWindow_->setSuffix(" uur");
    reviewWindow_->setValue(static_cast<int>(form_.reviewWindowHours));
    indexation_->setChecked(form_.indexationMode == "fixed_percent");
    indexationPercent_->setText(qText(form_.indexationPercentText));
    indexationPercent_->setPlaceholderText("bijv. 3 of 2,5 (%)");
    error_->setWordWrap(true);
    error_->setStyleSheet("color: #b3261e;");
    error_->hide();
    preview_->setWordWrap(true);

    auto* fields = new QFormLayout;
    fields->addRow("Contact", customer_);
    fields->addRow("Soort", type_);
    fields->addRow("Frequentie", frequency_);
    fields->addRow("Factuurdag", billingDay_);
    fields->addRow("Tijd", billingTime_);
    fields->addRow("Uurtarief (€)", rate_);
    fields->addRow("Uren per dag", week);
    fields->addRow("Projectomschrijving", projectDescription_);
    fields->addRow("", help(scheduletexts::kProjectDescriptionHelp));
    fields->addRow("Regelomschrijving", lineDescription_);
    fields->addRow("", help(scheduletexts::kLineDescriptionHelp));
    fields->addRow("", help(scheduletexts::kVariablesHelp));
    fields->addRow("Factuurregels", lines_);
    fields->addRow("", addLine);
    fields->addRow("Startdatum", startDate_);
    fields->addRow("", active_);
    fields->addRow("", autoSend_);
    fields->addRow(qText(std::string(scheduletexts::kReviewWindowTitle)), reviewWindow_);
    fields->addRow("", help(scheduletexts::kAutoSendHelp));
    fields->addRow("", indexation_);
    fields->addRow("Percentage", indexationPercent_);
    fields->addRow("", help(scheduletexts::kIndexationHelp));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Save)->setText("Opslaan");
    buttons->button(QDialogButtonBox::Cancel)->setText("Annuleren");
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (save()) accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* columns = new QHBoxLayout;
    columns->addLayout(fields, 3);
    columns->addLayout(daysOffColumn(), 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(error_);
    layout->addWidget(buttons);

    for (QDoubleSpinBox* box : hours_)
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] { showPreview(); });
    connect(frequency_, &QComboBox::currentIndexChanged, this, [this] { showPreview(); });
    connect(type_, &QComboBox::currentIndexChanged, this, [this] { showPreview(); });
    connect(billingDay_, &QSpinBox::valueChanged, this, [this] { showPreview(); });
    connect(rate_, &QLineEdit::textChanged, this, [this] { showPreview(); });
    connect(startDate_, &QLineEdit::textChanged, this, [this] { showPreview(); });
    showPreview();
}

void ScheduleDialog::addLineRow(const ScheduleLineForm& line) {
    const int row = lines_->rowCount();
    lines_->insertRow(row);
    auto* description = new QTableWidgetItem(qText(line.description));
    description->setData(Qt::UserRole, qText(line.id));
    lines_->setItem(row, 0, description);
    lines_->setItem(row, 1, new QTableWidgetItem(qText(line.amountDisplay)));
    auto* vat = new QComboBox;
    for (const char* choice : kVatChoices)
        vat->addItem(choice, choice);
    vat->setCurrentIndex(std::max(0, vat->findData(qText(line.vatTreatment))));
    lines_->setCellWidget(row, 2, vat);
}

QLayout* ScheduleDialog::daysOffColumn() {
    auto* column = new QVBoxLayout;
    auto* title = new QLabel("Vrije dagen");
    title->setStyleSheet("font-weight: 600;");
    column->addWidget(title);
    column->addWidget(help(scheduletexts::kDaysOffHelp));
    daysOffList_->setWordWrap(true);
    daysOffList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    column->addWidget(daysOffList_, 1);
    for (const auto& [kind, label] : ScheduleDaysOff::kinds())
        dayOffKind_->addItem(qText(label), qText(kind));
    dayOffFrom_->setPlaceholderText("van jjjj-mm-dd");
    dayOffTo_->setPlaceholderText("t/m (leeg: één dag)");
    auto* entry = new QHBoxLayout;
    entry->addWidget(dayOffFrom_);
    entry->addWidget(dayOffTo_);
    entry->addWidget(dayOffKind_);
    entry->addWidget(addDayOff_);
    column->addLayout(entry);
    column->addWidget(removeDayOff_, 0, Qt::AlignLeft);
    daysOffMessage_->setWordWrap(true);
    column->addWidget(daysOffMessage_);
    column->addWidget(preview_);
    column->addStretch();
    removeDayOff_->setEnabled(false);
    connect(daysOffList_, &QListWidget::currentRowChanged, this, [this](int row) {
        const QListWidgetItem* item = daysOffList_->item(row);
        removeDayOff_->setEnabled(item && !item->data(Qt::UserRole).toString().isEmpty());
    });
    connect(addDayOff_, &QPushButton::clicked, this, [this] { addDaysOff(); });
    connect(removeDayOff_, &QPushButton::clicked, this, [this] {
        const QListWidgetItem* item = daysOffList_->currentItem();
        if (!item) return;
        const std::string identity = item->data(Qt::UserRole).toString().toStdString();
        for (const DayOffGroup& group : daysOff_.groups())
            if (!group.ids.empty() && group.identity() == identity)
                changeDaysOff([group, id = *scheduleId_,
                               year = amsterdamDate(context_.environment.clock()->now()).year()](
                                  SyncAPIClient& client, NLHolidays& holidays) {
                    return ScheduleDaysOff::remove(client, holidays, id, group, year);
                });
    });
    if (!scheduleId_) {
        for (QWidget* widget :
             std::initializer_list<QWidget*>{dayOffFrom_, dayOffTo_, dayOffKind_, addDayOff_})
            widget->setEnabled(false);
        daysOffMessage_->setText("Vrije dagen voer je in zodra het schema is opgeslagen.");
    } else {
        changeDaysOff([id = *scheduleId_, year = amsterdamDate(context_.environment.clock()->now()).year()](
                          SyncAPIClient& client, NLHolidays& holidays) {
            return ScheduleDaysOff::fetch(client, holidays, id, year);
        });
    }
    return column;
}

void ScheduleDialog::addDaysOff() {
    std::vector<std::chrono::sys_days> range;
    try {
        range = ScheduleDaysOff::typedRange(typed(dayOffFrom_), typed(dayOffTo_));
    } catch (...) {
        daysOffMessage_->setText(qText(errorMessage(classifyCurrentException())));
        return;
    }
    changeDaysOff([range, kind = dayOffKind_->currentData().toString().toStdString(), id = *scheduleId_,
                   year = amsterdamDate(context_.environment.clock()->now()).year()](SyncAPIClient& client,
                                                                                     NLHolidays& holidays) {
        return ScheduleDaysOff::add(client, holidays, id, range, kind, year);
    });
}

void ScheduleDialog::changeDaysOff(std::function<ScheduleDaysOff(SyncAPIClient&, NLHolidays&)> call) {
    if (!context_.worker) return;
    daysOffMessage_->setText("Bezig…");
    addDayOff_->setEnabled(false);
    removeDayOff_->setEnabled(false);
    QPointer<ScheduleDialog> self(this);
    context_.worker->post(
        [self, call = std::move(call), &environment = context_.environment, main = context_.mainExecutor] {
            std::optional<ScheduleDaysOff> answer;
            std::string failure;
            try {
                answer = call(environment.apiClient(), environment.holidays());
            } catch (...) {
                failure = errorMessage(classifyCurrentException());
            }
            main->post([self, answer = std::move(answer), failure] {
                if (!self) return;
                self->addDayOff_->setEnabled(true);
                self->daysOffMessage_->setText(qText(failure));
                if (!answer) return;
                self->daysOff_ = *answer;
                self->dayOffFrom_->clear();
                self->dayOffTo_->clear();
                self->showDaysOff();
                self->showPreview();
            });
        });
}

void ScheduleDialog::showDaysOff() {
    daysOffList_->clear();
    const auto today = std::chrono::sys_days{amsterdamDate(context_.environment.clock()->now())};
    for (const DayOffGroup& group : daysOff_.groups()) {
        if (group.holidayName && group.to < today) continue;  // past holidays no longer matter
        QString text = qText(dayOffLabel(group) + " · " + dayOffDates(group));
        if (group.holidayName) text += qText(" · " + *group.holidayName);
        auto* item = new QListWidgetItem(text, daysOffList_);
        if (!group.ids.empty()) item->setData(Qt::UserRole, qText(group.identity()));
    }
    if (daysOffList_->count() == 0) daysOffList_->addItem(qText(std::string(scheduletexts::kNoDaysOff)));
}

void ScheduleDialog::fillForm() {
    form_.customerId = customer_->currentData().toString().toStdString();
    form_.scheduleType = type_->currentData().toString().toStdString();
    form_.billingFrequency = frequency_->currentData().toString().toStdString();
    form_.billingDay = billingDay_->value();
    form_.billingTime = typed(billingTime_);
    form_.hourlyRateText = typed(rate_);
    for (std::size_t day = 0; day < 7; ++day)
        form_.workdays[day] = static_cast<std::int64_t>(std::llround(hours_[day]->value() * 100.0));
    form_.invoiceDescriptionTemplate = typed(projectDescription_);
    form_.descriptionTemplate = typed(lineDescription_);
    form_.lines.clear();
    for (int row = 0; row < lines_->rowCount(); ++row) {
        const auto text = [&](int column) {
            const QTableWidgetItem* item = lines_->item(row, column);
            return item ? item->text().trimmed().toStdString() : std::string();
        };
        const QTableWidgetItem* first = lines_->item(row, 0);
        const auto* vat = qobject_cast<QComboBox*>(lines_->cellWidget(row, 2));
        form_.lines.push_back({first ? first->data(Qt::UserRole).toString().toStdString() : std::string(),
                               text(0), text(1),
                               vat ? vat->currentData().toString().toStdString() : "nl_21"});
    }
    const std::string start = typed(startDate_);
    form_.startDate = start.empty() ? std::nullopt : std::optional(start);
    form_.active = active_->isChecked();
    form_.autoSend = autoSend_->isChecked();
    form_.reviewWindowHours = reviewWindow_->value();
    form_.indexationMode = indexation_->isChecked() ? "fixed_percent" : "none";
    form_.indexationPercentText = typed(indexationPercent_);
}

void ScheduleDialog::showPreview() {
    fillForm();
    const std::chrono::year_month_day today = amsterdamDate(context_.environment.clock()->now());
    std::set<std::chrono::sys_days> holidays;
    for (const std::chrono::year year : {today.year(), today.year() + std::chrono::years{1}})
        for (const DutchPublicHoliday& holiday : dutchPublicHolidays(year))
            if (holiday.dayOff) holidays.insert(std::chrono::sys_days{holiday.date});
    holidays.merge(daysOff_.daysNotBilled());
    const std::vector<std::string> next = form_.preview(today, holidays);
    std::string text = next.empty() ? std::string() : "Volgende facturen: ";
    for (const std::string& line : next)
        text += "\n" + line;
    preview_->setText(qText(text));
}

bool ScheduleDialog::save() {
    fillForm();
    try {
        const auto settings = context_.environment.repositories().organisation.settings();
        const bool hasVatNumber = settings && settings->vatNumber && !settings->vatNumber->empty();
        std::string customerVat;
        std::string organisation = settings ? settings->organizationId : std::string();
        if (const auto customer = context_.environment.repositories().customers.customer(form_.customerId)) {
            customerVat = customer->vatRateOverride.value_or("");
            if (organisation.empty()) organisation = customer->organizationId;
        }
        form_.save(context_.environment.repositories().schedules, organisation, hasVatNumber, customerVat);
    } catch (...) {
        error_->setText(qText(errorMessage(classifyCurrentException())));
        error_->show();
        return false;
    }
    error_->hide();
    return true;
}

}  // namespace zelvorin::ui
