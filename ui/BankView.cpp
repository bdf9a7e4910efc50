#include "ui/BankView.h"

#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QPointer>
#include <QVBoxLayout>

#include "api-client/BankActions.h"
#include "screens/BankReview.h"
#include "screens/ErrorMessages.h"
#include "screens/InvoiceOverview.h"
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
          this)),
      state_(new QLabel),
      suggestion_(new QLabel),
      link_(new QPushButton("Koppelen aan voorstel")),
      unlink_(new QPushButton("Koppeling ongedaan maken")),
      category_(new QComboBox),
      rule_(new QCheckBox("Voortaan voor deze tegenpartij")),
      categorise_(new QPushButton("Categorie geven")),
      message_(new QLabel) {
    for (const auto& option : BankReview::categoryOptions())
        category_->addItem(qText(option.label), qText(option.value));
    suggestion_->setWordWrap(true);
    message_->setWordWrap(true);
    auto* actions = new QHBoxLayout;
    actions->addWidget(link_);
    actions->addWidget(unlink_);
    actions->addSpacing(16);
    actions->addWidget(category_);
    actions->addWidget(rule_);
    actions->addWidget(categorise_);
    actions->addStretch(1);
    auto* review = new QVBoxLayout;
    review->addWidget(state_);
    review->addWidget(suggestion_);
    review->addLayout(actions);
    review->addWidget(message_);
    auto* filters = new QHBoxLayout;
    filters->addWidget(new QLabel("Rekening:"));
    filters->addWidget(accounts_, 1);
    filters->addWidget(unmatched_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    table_ = listTable(model_, 2);
    layout->addWidget(table_, 1);
    layout->addWidget(count_);
    layout->addLayout(review);
    connect(accounts_, &QComboBox::currentIndexChanged, [this] { showTransactions(); });
    connect(unmatched_, &QCheckBox::toggled, [this] { showTransactions(); });
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, [this] { showReview(); });
    connect(link_, &QPushButton::clicked, [this] {
        const auto transaction = selected();
        if (!transaction || !suggestedInvoiceId_) return;
        onService([id = transaction->id, invoice = *suggestedInvoiceId_](
                      SyncAPIClient& client) { bank::match(client, id, invoice, std::string("invoice")); },
                  "Gekoppeld: de betaling is op de factuur geboekt.");
    });
    connect(unlink_, &QPushButton::clicked, [this] {
        if (const auto transaction = selected())
            onService([id = transaction->id](SyncAPIClient& client) { bank::unmatch(client, id); },
                      "Koppeling ongedaan gemaakt: de betaling is van de factuur gehaald.");
    });
    connect(categorise_, &QPushButton::clicked, [this] {
        const auto transaction = selected();
        if (!transaction) return;
        const std::string category = category_->currentData().toString().toStdString();
        const bool rule = rule_->isChecked();
        onService([id = transaction->id, category,
                   rule](SyncAPIClient& client) { bank::categorize(client, id, category, rule); },
                  rule ? "Categorie gegeven, ook voor de andere transacties van deze tegenpartij."
                       : "Categorie gegeven.");
    });
    reload();
}

std::optional<BankTransactionRecord> BankView::selected() const {
    const QModelIndexList rows = table_->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.front().row() >= model_->rowCount()) return std::nullopt;
    return model_->row(rows.front().row());
}

void BankView::showReview() {
    const std::optional<BankTransactionRecord> transaction = selected();
    const BankReview::Offer offer = transaction ? BankReview::offerFor(*transaction) : BankReview::Offer{};
    state_->setText(transaction ? qText(BankReview::stateText(*transaction))
                                : QString("Kies een transactie om haar te beoordelen."));
    suggestedInvoiceId_.reset();
    suggestion_->clear();
    link_->setVisible(offer.link);
    link_->setEnabled(false);  // until the service suggests an invoice
    unlink_->setVisible(offer.unlink);
    for (QWidget* widget : std::initializer_list<QWidget*>{category_, rule_, categorise_})
        widget->setVisible(offer.categorise);
    if (offer.link) askSuggestion(transaction->id);
}

void BankView::askSuggestion(const std::string& transactionId) {
    suggestion_->setText("Voorstel ophalen…");
    QPointer<BankView> self(this);
    context_.worker->post(
        [self, transactionId, &environment = context_.environment, main = context_.mainExecutor] {
            std::optional<bank::BankMatchSuggestion> found;
            std::string failure;
            try {
                found = bank::suggestion(environment.apiClient(), transactionId);
            } catch (...) {
                failure = errorMessage(classifyCurrentException());
            }
            main->post([self, transactionId, found, failure, &environment] {
                const auto still = self ? self->selected() : std::nullopt;
                if (!still || still->id != transactionId) return;  // another row was chosen meanwhile
                if (!found) {
                    self->suggestion_->setText(qText(failure));
                    return;
                }
                std::string label;
                if (found->invoiceId) {
                    const auto invoice = environment.repositories().invoices.invoice(*found->invoiceId);
                    label = invoice ? invoiceLabel(*invoice) : *found->invoiceId;
                }
                self->suggestion_->setText(qText(BankReview::suggestionText(*found, label)));
                self->suggestedInvoiceId_ = found->invoiceId;
                self->link_->setEnabled(found->invoiceId.has_value());
            });
        });
}

void BankView::onService(std::function<void(SyncAPIClient&)> call, QString done) {
    message_->setText("Bezig…");
    for (QPushButton* button : {link_, unlink_, categorise_})
        button->setEnabled(false);
    QPointer<BankView> self(this);
    context_.worker->post([self, call = std::move(call), done, &environment = context_.environment,
                           main = context_.mainExecutor] {
        std::string failure;
        try {
            call(environment.apiClient());
            environment.syncNow();
        } catch (...) {
            failure = errorMessage(classifyCurrentException());
        }
        main->post([self, done, failure] {
            if (!self) return;
            self->unlink_->setEnabled(true);
            self->categorise_->setEnabled(true);
            self->message_->setText(failure.empty() ? done : qText(failure));
            if (failure.empty()) self->reload();
        });
    });
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
    showReview();  // the rows are new: nothing is selected
}

}  // namespace zelvorin::ui
