#include "ui/KvitraView.h"

#include <poppler/qt6/poppler-qt6.h>
#include <QHBoxLayout>
#include <QPointer>
#include <QTableView>
#include <QVBoxLayout>

#include "api-client/FileTransfers.h"
#include "screens/ErrorMessages.h"
#include "ui/TableSetup.h"

namespace zelvorin::ui {

namespace {

using Status = KvitraRepository::InboxFilter;
using Category = KvitraRepository::CategoryFilter;

// The stored statuses and categories are Dutch words in lower case ("nieuw", "prive").
QString capitalised(const std::string& raw) {
    if (raw == "prive") return "Privé";
    QString text = qText(raw);
    if (!text.isEmpty()) text[0] = text[0].toUpper();
    return text;
}

// The first page of a PDF, or the photo itself, scaled into the preview's room.
QPixmap documentImage(const std::string& bytes, const QSize& room) {
    QImage image;
    if (bytes.starts_with("%PDF-")) {
        const std::unique_ptr<Poppler::Document> document =
            Poppler::Document::loadFromData(QByteArray::fromStdString(bytes));
        if (document && document->numPages() > 0) {
            document->setRenderHint(Poppler::Document::Antialiasing);
            document->setRenderHint(Poppler::Document::TextAntialiasing);
            if (const std::unique_ptr<Poppler::Page> page = document->page(0))
                image = page->renderToImage(110, 110);
        }
    } else {
        image = QImage::fromData(QByteArray::fromStdString(bytes));
    }
    if (image.isNull()) return {};
    return QPixmap::fromImage(image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

}  // namespace

KvitraView::KvitraView(SectionContext context, QWidget* parent)
    : SectionView(std::move(context), parent),
      status_(new QComboBox),
      category_(new QComboBox),
      preview_(new QLabel("Kies een document om het voorbeeld te zien.")),
      model_(new RowTableModel<IncomingInvoiceRecord>(
          {{"Ontvangen",
            [f = context_.formats](const IncomingInvoiceRecord& i) { return qText(f.date(i.receivedAt)); }},
           {"Afzender",
            [](const IncomingInvoiceRecord& i) {
                return qText(i.extractedSenderCompany ? i.extractedSenderCompany : i.senderName);
            }},
           {"Bedrag",
            [f = context_.formats](const IncomingInvoiceRecord& i) {
                return i.extractedAmount ? qText(f.money(*i.extractedAmount)) : QString();
            },
            Qt::AlignRight | Qt::AlignVCenter},
           {"Status", [](const IncomingInvoiceRecord& i) { return capitalised(i.status); }},
           {"Categorie",
            [](const IncomingInvoiceRecord& i) { return capitalised(i.category.value_or("")); }}},
          this)) {
    for (const char* title : {"Alle", "Nieuw", "Verwerken", "Gecategoriseerd", "Gearchiveerd"})
        status_->addItem(title);
    for (const char* title : {"Alle categorieën", "Zakelijk", "Privé", "Gemengd"})
        category_->addItem(title);
    preview_->setAlignment(Qt::AlignCenter);
    preview_->setWordWrap(true);
    preview_->setMinimumWidth(320);
    preview_->setFrameShape(QFrame::StyledPanel);
    auto* table = listTable(model_, 1);
    table->setColumnWidth(0, 100);
    table->setColumnWidth(2, 90);
    table->setColumnWidth(3, 120);
    table->setColumnWidth(4, 90);
    preview_->setMaximumWidth(420);
    auto* filters = new QHBoxLayout;
    filters->addWidget(status_);
    filters->addWidget(category_);
    filters->addStretch();
    filters->addWidget(new QLabel("Sleep een PDF of foto naar het venster om hem toe te voegen."));
    auto* body = new QHBoxLayout;
    body->addWidget(table, 3);
    body->addWidget(preview_, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addLayout(body, 1);
    connect(status_, &QComboBox::currentIndexChanged, [this] { reload(); });
    connect(category_, &QComboBox::currentIndexChanged, [this] { reload(); });
    connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged,
            [this](const QModelIndex& current) { showPreview(current.row()); });
    reload();
}

void KvitraView::reload() {
    model_->setRows(context_.environment.repositories().inbox.inbox(
        static_cast<Status>(std::max(0, status_->currentIndex())),
        static_cast<Category>(std::max(0, category_->currentIndex()))));
}

void KvitraView::showPreview(int row) {
    if (row < 0 || row >= model_->rowCount()) return;
    previewing_ = model_->row(row).id;
    preview_->setPixmap({});
    preview_->setText("Voorbeeld laden…");
    QPointer<KvitraView> self(this);
    const QSize room = preview_->size();
    context_.worker->post(
        [self, id = previewing_, room, &environment = context_.environment, main = context_.mainExecutor] {
            std::string bytes, failure;
            try {
                bytes = downloadKvitraDocument(environment.apiClient(), id).data;
            } catch (...) {
                failure = errorMessage(classifyCurrentException());
            }
            main->post([self, id, room, bytes = std::move(bytes), failure] {
                if (!self || self->previewing_ != id) return;  // another document was chosen meanwhile
                const QPixmap image = failure.empty() ? documentImage(bytes, room) : QPixmap();
                if (!image.isNull()) {
                    self->preview_->setPixmap(image);
                    return;
                }
                self->preview_->setText(failure.empty() ? QString("Dit document heeft geen voorbeeld.")
                                                        : "Geen voorbeeld: " + qText(failure));
            });
        });
}

}  // namespace zelvorin::ui
