#include "ui/BankView.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "ui/TableSetup.h"

namespace zelvorin::ui {

BankView::BankView(SectionContext context, QWidget* parent)
    : SectionView(std::move(context), parent),
      accounts_(new QComboBox),
      unmatched_(new QCheckBox("Alleen niet-gekoppelde transacties")),
      count_(new QLabel),
      model_(new RowTableModel<BankTransactionRecord>(
          {{"Datum", [f = context_.formats](
                         const BankTransactionRecord& t) { return qText(f.date(t.transactionDate)); }},
           {"Tegenpartij", [](const BankTransactionRecord& t) { return qText(t.counterpartyName); }},
           {"Omschrijving", [](const BankTransactionRecord& t) { return qText(t.description); }},
           {"Bedrag",
            [f = context_.formats](const BankTransactionRecord& t) {
                return qText(f.money(t.direction == "in" ? t.amountCents : -t.amountCents));
            },
            Qt::AlignRight | Qt::AlignVCenter},
           {"Gekoppeld",
            [](const BankTransactionRecord& t) {
                return t.matchedInvoiceId || t.matchedIncomingInvoiceId ? QString("ja") : QString();
            }}},
          this)) {
    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel("Rekening:"));
    filters->addWidget(accounts_, 1);
    filters->addWidget(unmatched_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(listTable(model_, 2), 1);
    layout->addWidget(count_);
    connect(accounts_, &QComboBox::currentIndexChanged, [this] { showTransactions(); });
    connect(unmatched_, &QCheckBox::toggled, [this] { showTransactions(); });
    reload();
}

void BankView::reload() {
    const QVariant chosen = accounts_->currentData();
    accounts_->blockSignals(true);
    accounts_->clear();
    accounts_->addItem("Alle rekeningen");
    for (const BankAccountRecord& account : context_.environment.repositories().bank.accounts()) {
        const QString name = qText(account.name.value_or("Rekening"));
        accounts_->addItem(account.iban ? name + " · " + qText(*account.iban) : name, qText(account.id));
    }
    const int index = chosen.isValid() ? accounts_->findData(chosen) : 0;
    accounts_->setCurrentIndex(std::max(0, index));
    accounts_->blockSignals(false);
    showTransactions();
}

void BankView::showTransactions() {
    const QVariant account = accounts_->currentData();
    const std::optional<std::string> accountId =
        account.isValid() ? std::optional<std::string>(account.toString().toStdString()) : std::nullopt;
    const auto filter = unmatched_->isChecked() ? BankRepository::TransactionFilter::onbekend
                                                : BankRepository::TransactionFilter::alle;
    model_->setRows(context_.environment.repositories().bank.transactions(filter, accountId));
    const int rows = model_->rowCount();
    count_->setText(rows == 0 ? QString("Geen transacties in deze selectie.")
                              : QString::number(rows) + (rows == 1 ? " transactie" : " transacties"));
}

}  // namespace zelvorin::ui
