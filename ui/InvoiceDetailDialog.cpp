#include "ui/InvoiceDetailDialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "screens/ErrorMessages.h"
#include "screens/InvoiceOverview.h"
#include "ui/RowTableModel.h"

namespace zelvorin::ui {

InvoiceDetailDialog::InvoiceDetailDialog(SectionContext context, std::string invoiceId, QWidget* parent)
    : QDialog(parent),
      context_(std::move(context)),
      invoiceId_(std::move(invoiceId)),
      header_(new QLabel),
      lines_(new QTableWidget(0, 3)),
      totals_(new QLabel) {
    setWindowTitle("Factuur");
    resize(720, 520);
    header_->setTextFormat(Qt::RichText);
    header_->setWordWrap(true);
    header_->setText("Factuur laden…");
    lines_->setHorizontalHeaderLabels({"Omschrijving", "Aantal", "Bedrag excl. BTW"});
    lines_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    lines_->setColumnWidth(1, 140);
    lines_->setColumnWidth(2, 150);
    lines_->verticalHeader()->hide();
    lines_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    totals_->setTextFormat(Qt::RichText);
    totals_->setAlignment(Qt::AlignRight);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    buttons->button(QDialogButtonBox::Close)->setText("Sluiten");
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(header_);
    layout->addWidget(lines_, 1);
    layout->addWidget(totals_);
    layout->addWidget(buttons);

    QPointer<InvoiceDetailDialog> self(this);
    observation_ = context_.environment.repositories().invoices.observeDetail(
        invoiceId_,
        [self](std::optional<InvoiceDetail> detail) {
            if (self) self->show(detail);
        },
        context_.mainExecutor);
}

void InvoiceDetailDialog::show(const std::optional<InvoiceDetail>& detail) {
    if (!detail) {
        header_->setText(
            "<b>Factuur niet gevonden</b><br>Dit kan gebeuren vlak na het aanmaken, terwijl de "
            "synchronisatie nog bezig is, of als de factuur is verwijderd.");
        lines_->setRowCount(0);
        totals_->clear();
        return;
    }
    InvoiceOverview overview;
    try {
        overview = loadInvoiceOverview(context_.environment.repositories().invoices,
                                       *context_.environment.clock(), invoiceId_);
    } catch (...) {
        header_->setText(
            "De factuur kon niet worden geladen. Controleer je verbinding en probeer het opnieuw.");
        return;
    }
    const DraftInvoiceRecord& invoice = overview.detail.invoice;
    const DisplayFormats& f = context_.formats;
    setWindowTitle("Factuur " + qText(invoiceLabel(invoice)));
    QString header = "<h2>" +
                     qText(invoice.invoiceNumber.value_or("Nummer volgt bij verzenden")).toHtmlEscaped() +
                     "</h2>";
    header += "<b>" +
              qText(overview.detail.customer ? overview.detail.customer->companyName : "Geen klant")
                  .toHtmlEscaped() +
              "</b><br>";
    header += "Status: " + qText(invoiceStatusLabel(invoice.status)) +
              " · Factuurdatum: " + qText(f.date(invoice.issueDate)) +
              " · Vervaldatum: " + qText(f.date(invoice.dueDate));
    if (invoice.projectDescription)
        header += "<br>Project: " + qText(*invoice.projectDescription).toHtmlEscaped();
    if (invoice.deletedAt) header += "<br><i>Deze factuur is verwijderd.</i>";
    if (overview.nextAction)
        header += "<br>Volgende stap: " + qText(overview.nextAction->label).toHtmlEscaped();
    header_->setText(header);

    const auto& lines = overview.detail.lines;
    lines_->setRowCount(static_cast<int>(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int row = static_cast<int>(i);
        lines_->setItem(row, 0, new QTableWidgetItem(qText(lines[i].description)));
        lines_->setItem(row, 1, new QTableWidgetItem(qText(lineQuantityText(lines[i]))));
        auto* amount = new QTableWidgetItem(qText(f.money(overview.lineExclCents[i])));
        amount->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        lines_->setItem(row, 2, amount);
    }
    QString totals = "Subtotaal: " + qText(f.money(invoice.subtotalCents)) + "<br>";
    for (const auto& [treatment, group] : overview.vatGroups)
        totals += qText(vatGroupLabel(treatment)) + ": " + qText(f.money(group.vatCents)) + "<br>";
    totals += "<b>Totaal: " + qText(f.money(invoice.totalCents)) + "</b>";
    std::int64_t paid = 0;
    for (const auto& payment : overview.detail.payments)
        paid += payment.amountCents;
    if (paid != 0) totals += "<br>Betaald: " + qText(f.money(paid));
    totals_->setText(totals);
}

}  // namespace zelvorin::ui
