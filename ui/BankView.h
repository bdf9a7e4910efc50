#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

#include "ui/RowTableModel.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// Bank: the accounts and their transactions as the last sync brought them, all or only those not
// yet matched to an invoice. Matching itself waits for the service's bank actions.
class BankView final : public SectionView {
public:
    explicit BankView(SectionContext context, QWidget* parent = nullptr);
    void reload() override;
    RowTableModel<BankTransactionRecord>& model() { return *model_; }
    QCheckBox& unmatchedOnly() { return *unmatched_; }

private:
    void showTransactions();

    QComboBox* accounts_;
    QCheckBox* unmatched_;
    QLabel* count_;
    RowTableModel<BankTransactionRecord>* model_;
};

}  // namespace zelvorin::ui
