#include "ui/InvoicesView.h"

#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QPointer>
#include <QVBoxLayout>

#include "domain/Timestamps.h"
#include "screens/ErrorMessages.h"
#include "ui/InvoiceEditorWindow.h"
#include "ui/TableSetup.h"

namespace zelvorin::ui {

namespace {

std::vector<RowTableModel<InvoiceListItem>::Column> invoiceColumns(const DisplayFormats& formats) {
    std::vector<RowTableModel<InvoiceListItem>::Column> columns;
    for (int c = 0; c < InvoiceListScreen::columnCount; ++c) {
        const auto column = static_cast<InvoiceListScreen::Column>(c);
        columns.push_back({qText(InvoiceListScreen::columnTitles()[static_cast<std::size_t>(c)]),
                           [column, formats](const InvoiceListItem& item) {
                               return qText(InvoiceListScreen::cellText(item, column, formats));
                           },
                           column == InvoiceListScreen::amount ? Qt::AlignRight | Qt::AlignVCenter
                                                               : Qt::AlignLeft | Qt::AlignVCenter});
    }
    return columns;
}

}  // namespace

InvoicesView::InvoicesView(SectionContext context, QWidget* parent)
    : SectionView(std::move(context), parent),
      segments_(new QTabBar),
      search_(new QLineEdit),
      year_(new QComboBox),
      empty_(new QLabel),
      model_(new RowTableModel<InvoiceListItem>(invoiceColumns(context_.formats), this)) {
    for (const InvoiceSegment segment : InvoiceListScreen::kSegments)
        segments_->addTab(qText(InvoiceListScreen::segmentTitle(segment)));
    search_->setPlaceholderText("Zoek op nummer, klant, project of referentie");
    search_->setClearButtonEnabled(true);
    for (const auto& choice : InvoiceListScreen::yearChoices(QDate::currentDate().year()))
        year_->addItem(qText(choice.title), choice.year ? QVariant(*choice.year) : QVariant());

    table_ = listTable(model_, InvoiceListScreen::customer);
    table_->setColumnWidth(InvoiceListScreen::number, 150);
    table_->setColumnWidth(InvoiceListScreen::issueDate, 110);
    table_->setColumnWidth(InvoiceListScreen::dueDate, 110);
    table_->setColumnWidth(InvoiceListScreen::amount, 120);
    table_->setColumnWidth(InvoiceListScreen::status, 150);
    empty_->setAlignment(Qt::AlignCenter);
    empty_->setObjectName("emptyText");

    auto* filters = new QHBoxLayout;
    filters->addWidget(segments_);
    filters->addStretch();
    filters->addWidget(year_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(search_);
    layout->addWidget(table_, 1);
    layout->addWidget(empty_);

    connect(segments_, &QTabBar::currentChanged, [this](int index) {
        screen_.setSegment(InvoiceListScreen::kSegments[static_cast<std::size_t>(index)]);
    });
    connect(search_, &QLineEdit::textChanged,
            [this](const QString& text) { screen_.setSearch(text.toStdString()); });
    connect(year_, &QComboBox::currentIndexChanged, [this](int index) {
        const QVariant year = year_->itemData(index);
        screen_.setYear(year.isValid() ? std::optional<int>(year.toInt()) : std::nullopt);
    });
    connect(table_, &QTableView::activated,
            [this](const QModelIndex& index) { openInvoice(model_->row(index.row()).id); });
    screen_.setOnQueryChange([this] { observe(); });
    observe();
}

void InvoicesView::observe() {
    QPointer<InvoicesView> self(this);
    observation_ = context_.environment.repositories().invoices.observeList(
        screen_.query(),
        [self](std::vector<InvoiceListItem> rows) {
            if (!self) return;
            const int count = static_cast<int>(rows.size());
            self->model_->setRows(std::move(rows));
            self->empty_->setText(count == 0 ? qText(self->screen_.emptyText()) : QString());
            self->empty_->setVisible(count == 0);
            emit self->listDelivered(count);
        },
        context_.mainExecutor);
}

void InvoicesView::createDraft() {
    try {
        const std::string today = formatTimestampSeconds(context_.environment.clock()->now()).substr(0, 10);
        const DraftInvoiceRecord draft =
            context_.environment.repositories().invoices.createDraft(std::nullopt, today);
        openInvoice(draft.id);
    } catch (...) {
        QMessageBox::warning(this, "Nieuwe factuur", qText(errorMessage(classifyCurrentException())));
    }
}

void InvoicesView::openInvoice(const std::string& id) {
    auto* dialog = new InvoiceEditorWindow(context_, id, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

}  // namespace zelvorin::ui
