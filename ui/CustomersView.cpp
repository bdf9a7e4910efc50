#include "ui/CustomersView.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/CustomerDialog.h"
#include "ui/TableSetup.h"

namespace zelvorin::ui {

CustomersView::CustomersView(SectionContext context, QWidget* parent)
    : SectionView(std::move(context), parent),
      search_(new QLineEdit),
      persons_(new QListWidget),
      model_(new RowTableModel<CustomerRecord>(
          {{"Naam", [](const CustomerRecord& c) { return qText(c.companyName); }},
           {"Plaats", [](const CustomerRecord& c) { return qText(c.city); }},
           {"E-mailadres", [](const CustomerRecord& c) { return qText(c.billingEmail); }},
           {"BTW-nummer", [](const CustomerRecord& c) { return qText(c.vatNumber); }},
           {"Sync",
            [](const CustomerRecord& c) {
                return c.syncState == "synced" ? QString() : QString("Wacht op sync");
            }}},
          this)) {
    search_->setPlaceholderText("Zoek op naam, plaats of contactpersoon");
    search_->setClearButtonEnabled(true);
    auto* add = new QPushButton("Nieuwe klant");
    table_ = listTable(model_, 0);
    table_->setColumnWidth(1, 110);
    table_->setColumnWidth(2, 220);
    table_->setColumnWidth(3, 130);
    table_->setColumnWidth(4, 110);
    persons_->setMaximumWidth(230);
    persons_->setSpacing(6);

    auto* top = new QHBoxLayout;
    top->addWidget(search_, 1);
    top->addWidget(add);
    auto* personsBox = new QVBoxLayout;
    personsBox->addWidget(new QLabel("<b>Contactpersonen</b>"));
    personsBox->addWidget(persons_);
    auto* body = new QHBoxLayout;
    body->addWidget(table_, 3);
    body->addLayout(personsBox, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(body, 1);

    connect(add, &QPushButton::clicked, [this] { addCustomer(); });
    connect(search_, &QLineEdit::textChanged, [this] { observe(); });
    connect(table_, &QTableView::activated,
            [this](const QModelIndex& index) { editCustomer(model_->row(index.row()).id); });
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged,
            [this](const QModelIndex& current) { showContactPersons(current.row()); });
    observe();
}

void CustomersView::observe() {
    QPointer<CustomersView> self(this);
    observation_ = context_.environment.repositories().customers.observeCustomers(
        false, search_->text().trimmed().toStdString(),
        [self](std::vector<CustomerRecord> rows) {
            if (!self) return;
            self->model_->setRows(std::move(rows));
            self->persons_->clear();
        },
        context_.mainExecutor);
}

void CustomersView::select(int row) {
    table_->selectRow(row);
}

void CustomersView::showContactPersons(int row) {
    persons_->clear();
    if (row < 0 || row >= model_->rowCount()) return;
    for (const ContactPersonRecord& person :
         context_.environment.repositories().customers.contactPersons(model_->row(row).id)) {
        if (person.deletedAt) continue;
        QString text = qText(person.name);
        if (person.email) text += "\n" + qText(*person.email);
        if (person.isPrimary.value_or(false)) text += "\n(primair)";
        persons_->addItem(text);
    }
}

void CustomersView::addCustomer() {
    auto* dialog = new CustomerDialog(context_, std::nullopt, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

void CustomersView::editCustomer(const std::string& id) {
    auto* dialog = new CustomerDialog(context_, id, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

}  // namespace zelvorin::ui
