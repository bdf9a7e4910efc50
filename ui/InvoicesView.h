#pragma once

#include <QComboBox>
#include <QLabel>
#include <QTabBar>
#include <QTableView>

#include "persistence/Observation.h"
#include "screens/InvoiceListScreen.h"
#include "ui/RowTableModel.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// Facturen: the five segments, search as you type, the year filter and the list, which follows the
// local store by observation. Enter or a double click opens the invoice.
class InvoicesView final : public SectionView {
    Q_OBJECT

public:
    explicit InvoicesView(SectionContext context, QWidget* parent = nullptr);
    QLineEdit* searchField() override { return search_; }
    RowTableModel<InvoiceListItem>& model() { return *model_; }
    InvoiceListScreen& screen() { return screen_; }
    QTabBar& segments() { return *segments_; }
    QTableView& table() { return *table_; }
    // Makes a new local draft (Ctrl+N) and opens it.
    void createDraft();
    void openInvoice(const std::string& id);

signals:
    // After each delivery of the list, with its number of rows.
    void listDelivered(int rows);

private:
    void observe();

    InvoiceListScreen screen_;
    QTabBar* segments_;
    QLineEdit* search_;
    QComboBox* year_;
    QTableView* table_ = nullptr;
    QLabel* empty_;
    RowTableModel<InvoiceListItem>* model_;
    ObservationHandle observation_;
};

}  // namespace zelvorin::ui
