#include "ui/EmailTemplatesPage.h"

#include <QHeaderView>
#include <QPointer>
#include <QVBoxLayout>

#include <array>
#include <utility>

#include "screens/ErrorMessages.h"
#include "ui/RowTableModel.h"

namespace zelvorin::ui {

std::string emailTemplateKindLabel(const std::string& kind) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kLabels{{
        {"invoice", "Factuur"},
        {"credit_note", "Creditnota"},
        {"reminder_1", "Herinnering 1"},
        {"reminder_2", "Herinnering 2"},
        {"reminder_final", "Laatste herinnering"},
    }};
    for (const auto& [key, label] : kLabels)
        if (key == kind) return std::string(label);
    return kind;
}

EmailTemplatesPage::EmailTemplatesPage(SectionContext context, QWidget* parent)
    : QWidget(parent),
      context_(std::move(context)),
      table_(new QTableWidget(0, 4)),
      status_(new QLabel),
      makeDefault_(new QPushButton("Als standaard instellen")) {
    table_->setHorizontalHeaderLabels({"Naam", "Soort", "Taal", "Standaard"});
    table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    status_->setWordWrap(true);
    makeDefault_->setEnabled(false);
    connect(table_, &QTableWidget::itemSelectionChanged,
            [this] { makeDefault_->setEnabled(table_->currentRow() >= 0); });
    connect(makeDefault_, &QPushButton::clicked, [this] { makeDefault(table_->currentRow()); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_);
    layout->addWidget(makeDefault_, 0, Qt::AlignRight);
    layout->addWidget(status_);
}

void EmailTemplatesPage::load() {
    onService([](SyncAPIClient& client) { return templateactions::emailTemplates(client); });
}

void EmailTemplatesPage::makeDefault(int row) {
    if (row < 0 || row >= static_cast<int>(ids_.size())) return;
    onService([id = ids_[static_cast<std::size_t>(row)]](SyncAPIClient& client) {
        templateactions::setDefaultEmailTemplate(client, id);
        return templateactions::emailTemplates(client);
    });
}

void EmailTemplatesPage::onService(
    std::function<std::vector<templateactions::NativeEmailTemplate>(SyncAPIClient&)> call) {
    status_->setText("Sjablonen ophalen…");
    makeDefault_->setEnabled(false);
    QPointer<EmailTemplatesPage> self(this);
    context_.worker->post(
        [self, call = std::move(call), &environment = context_.environment, main = context_.mainExecutor] {
            std::vector<templateactions::NativeEmailTemplate> templates;
            std::string failure;
            try {
                templates = call(environment.apiClient());
            } catch (...) {
                failure = errorMessage(classifyCurrentException());
            }
            main->post([self, templates = std::move(templates), failure] {
                if (!self) return;
                if (!failure.empty()) {
                    self->status_->setText(qText(failure));
                    self->makeDefault_->setEnabled(self->table_->currentRow() >= 0);
                    return;
                }
                self->show(templates);
            });
        });
}

void EmailTemplatesPage::show(const std::vector<templateactions::NativeEmailTemplate>& templates) {
    table_->setRowCount(static_cast<int>(templates.size()));
    ids_.clear();
    int row = 0;
    for (const auto& item : templates) {
        ids_.push_back(item.id);
        const auto cell = [&](int column, const std::string& text) {
            table_->setItem(row, column, new QTableWidgetItem(qText(text)));
        };
        cell(0, item.name);
        cell(1, emailTemplateKindLabel(item.type.value_or("")));
        cell(2, item.language.value_or("nl"));
        cell(3, item.isDefault.value_or(false) ? "Ja" : "");
        ++row;
    }
    table_->clearSelection();
    status_->setText(templates.empty() ? "Nog geen e-mailsjablonen." : "");
}

}  // namespace zelvorin::ui
