#include "ui/InvoicePdfPreviewDialog.h"

#include <poppler/qt6/poppler-qt6.h>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QPointer>
#include <QScrollArea>

#include <memory>

#include "screens/InvoiceSheets.h"
#include "ui/RowTableModel.h"

namespace zelvorin::ui {

InvoicePdfPreviewDialog::InvoicePdfPreviewDialog(SectionContext context, std::string invoiceId,
                                                 QWidget* parent)
    : QDialog(parent),
      context_(std::move(context)),
      invoiceId_(std::move(invoiceId)),
      status_(new QLabel("Voorbeeld laden…")),
      pages_(new QVBoxLayout),
      save_(new QPushButton("Opslaan…")) {
    setWindowTitle(qText(std::string(PdfPreviewSheet::kTitle)));
    resize(700, 760);
    status_->setWordWrap(true);
    save_->setEnabled(false);
    auto* pageColumn = new QWidget;
    pageColumn->setLayout(pages_);
    auto* scroll = new QScrollArea;
    scroll->setWidget(pageColumn);
    scroll->setWidgetResizable(true);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton("Sluiten", QDialogButtonBox::RejectRole);
    buttons->addButton(save_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(save_, &QPushButton::clicked, [this] { save(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(scroll, 1);
    layout->addWidget(buttons);

    QPointer<InvoicePdfPreviewDialog> self(this);
    context_.worker->post(
        [self, id = invoiceId_, &environment = context_.environment, main = context_.mainExecutor] {
            auto answer = PdfPreviewSheet::download(environment, id);
            main->post([self, answer = std::move(answer)] {
                if (!self) return;
                if (answer.index() == 1)
                    self->status_->setText(qText(std::get<1>(answer)));
                else
                    self->show(std::get<0>(answer));
            });
        });
}

void InvoicePdfPreviewDialog::show(const std::string& pdf) {
    const std::unique_ptr<Poppler::Document> document =
        Poppler::Document::loadFromData(QByteArray::fromStdString(pdf));
    if (!document || document->numPages() == 0) {
        status_->setText(qText(std::string(PdfPreviewSheet::kNotBuilt)));
        return;
    }
    document->setRenderHint(Poppler::Document::Antialiasing);
    document->setRenderHint(Poppler::Document::TextAntialiasing);
    for (int index = 0; index < document->numPages(); ++index) {
        if (const std::unique_ptr<Poppler::Page> page = document->page(index)) {
            auto* picture = new QLabel;
            picture->setPixmap(QPixmap::fromImage(page->renderToImage(90, 90)));
            pages_->addWidget(picture, 0, Qt::AlignHCenter);
            ++pageCount_;
        }
    }
    pdf_ = pdf;
    status_->hide();
    save_->setEnabled(true);
}

void InvoicePdfPreviewDialog::save() {
    const QString path = QFileDialog::getSaveFileName(
        this, "PDF opslaan", qText(PdfPreviewSheet::fileName(invoiceId_)), "PDF (*.pdf)");
    if (path.isEmpty()) return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf_.data(), static_cast<qint64>(pdf_.size())) < 0) {
        status_->setText("Het bestand kon niet worden bewaard.");
        status_->show();
    }
}

}  // namespace zelvorin::ui
