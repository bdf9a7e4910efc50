#pragma once

#include <QLabel>
#include <QListWidget>
#include <QTableView>

#include "persistence/Observation.h"
#include "ui/RowTableModel.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// Contacten: the customers (search as you type, by observation), the contact persons of the one
// selected, and adding or editing a customer offline.
class CustomersView final : public SectionView {
public:
    explicit CustomersView(SectionContext context, QWidget* parent = nullptr);
    QLineEdit* searchField() override { return search_; }
    RowTableModel<CustomerRecord>& model() { return *model_; }
    QListWidget& contactPersons() { return *persons_; }
    void addCustomer();
    void editCustomer(const std::string& id);
    // Selects the row, which shows its contact persons.
    void select(int row);

private:
    void showContactPersons(int row);
    void observe();

    QLineEdit* search_;
    QTableView* table_ = nullptr;
    QListWidget* persons_;
    RowTableModel<CustomerRecord>* model_;
    ObservationHandle observation_;
};

}  // namespace zelvorin::ui
