#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include <functional>
#include <optional>
#include <string>

#include "ui/RowTableModel.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// Bank: the accounts and their transactions as the last sync brought them, all or only those not
// yet matched to an invoice. Below the list, the selected transaction is reviewed: money coming in
// is linked to the invoice the service suggests (its payment booked there), a link is undone, and a
// transaction gets a category, with a rule for its counterparty if asked. Those calls need the
// service; a sync afterwards brings what changed.
class BankView final : public SectionView {
public:
    explicit BankView(SectionContext context, QWidget* parent = nullptr);
    void reload() override;
    RowTableModel<BankTransactionRecord>& model() { return *model_; }
    QCheckBox& unmatchedOnly() { return *unmatched_; }
    QTableView& table() { return *table_; }
    QString reviewState() const { return state_->text(); }
    QString suggestionText() const { return suggestion_->text(); }
    QString messageText() const { return message_->text(); }
    QPushButton& linkButton() { return *link_; }
    QPushButton& unlinkButton() { return *unlink_; }
    QComboBox& categoryChoice() { return *category_; }
    QCheckBox& ruleChoice() { return *rule_; }
    QPushButton& categoriseButton() { return *categorise_; }

private:
    void showTransactions();
    void showReview();
    void askSuggestion(const std::string& transactionId);
    // Runs `call` against the service on the worker, syncs, and shows `done` or the failure.
    void onService(std::function<void(SyncAPIClient&)> call, QString done);
    std::optional<BankTransactionRecord> selected() const;

    QComboBox* accounts_;
    QCheckBox* unmatched_;
    QLabel* count_;
    RowTableModel<BankTransactionRecord>* model_;
    QTableView* table_;
    QLabel* state_;
    QLabel* suggestion_;
    QPushButton* link_;
    QPushButton* unlink_;
    QComboBox* category_;
    QCheckBox* rule_;
    QPushButton* categorise_;
    QLabel* message_;
    std::optional<std::string> suggestedInvoiceId_;
};

}  // namespace zelvorin::ui
