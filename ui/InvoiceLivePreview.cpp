#include "ui/InvoiceLivePreview.h"

#include <QImage>
#include <QPixmap>
#include <QPointer>

#include <cmath>

#include "domain/Clock.h"
#include "layout/FontSet.h"
#include "persistence/Executor.h"
#include "screens/ErrorMessages.h"
#include "ui/RowTableModel.h"

namespace zelvorin::ui {
namespace {

// A4's width in points; the pages are drawn to fill the preview's column at this width.
constexpr double kPageWidthPoints = 595.28;
constexpr int kColumnWidth = 420;

}  // namespace

struct InvoiceLivePreview::Drawing {
    Drawing(AppEnvironment& environment, std::string invoiceId)
        : preview(environment.repositories().invoices, environment.repositories().organisation, fonts),
          clock(environment.clock()),
          invoiceId(std::move(invoiceId)) {}

    FontSet fonts;  // faces stay loaded between drawings
    LocalInvoicePreview preview;
    std::shared_ptr<const Clock> clock;
    std::string invoiceId;
    SerialExecutor thread;  // last member: joined first, while the rest still exists
};

InvoiceLivePreview::InvoiceLivePreview(SectionContext context, std::string invoiceId, QWidget* parent)
    : QWidget(parent),
      drawing_(std::make_unique<Drawing>(context.environment, std::move(invoiceId))),
      main_(context.mainExecutor),
      notice_(new QLabel),
      pages_(new QWidget),
      pageColumn_(new QVBoxLayout(pages_)) {
    setFixedWidth(kColumnWidth + 24);
    notice_->setWordWrap(true);
    notice_->setStyleSheet("color: #8a5300;");
    notice_->hide();
    pageColumn_->setContentsMargins(0, 0, 0, 0);
    pageColumn_->setSpacing(12);
    pageColumn_->addStretch(1);
    auto* scroll = new QScrollArea;
    scroll->setWidget(pages_);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setStyleSheet("QScrollArea, QScrollArea > QWidget > QWidget { background: #e8eaed; }");
    auto* title = new QLabel("Voorbeeld");
    title->setStyleSheet("font-weight: 600;");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 0, 0, 0);
    layout->addWidget(title);
    layout->addWidget(notice_);
    layout->addWidget(scroll, 1);
}

InvoiceLivePreview::~InvoiceLivePreview() = default;

void InvoiceLivePreview::refresh() {
    if (busy_) {
        again_ = true;
        return;
    }
    startDrawing();
}

void InvoiceLivePreview::startDrawing() {
    busy_ = true;
    again_ = false;
    const double scale = kColumnWidth / kPageWidthPoints * devicePixelRatioF();
    QPointer<InvoiceLivePreview> self(this);
    Drawing* drawing = drawing_.get();
    drawing->thread.post([self, drawing, scale, main = main_] {
        std::optional<InvoicePreviewPages> pages;
        std::string failure;
        try {
            const auto today = std::chrono::floor<std::chrono::days>(drawing->clock->now());
            pages = drawing->preview.render(drawing->invoiceId, today, scale);
        } catch (...) {
            failure = errorMessage(classifyCurrentException());
        }
        main->post([self, pages = std::move(pages), failure] {
            if (self) self->show(pages, failure);
        });
    });
}

void InvoiceLivePreview::show(const std::optional<InvoicePreviewPages>& pages, const std::string& failure) {
    busy_ = false;
    if (again_) {
        startDrawing();  // what is shown now would already be stale
        return;
    }
    QStringList notices;
    if (!failure.empty()) notices << qText(failure);
    if (pages) {
        for (const std::string& notice : pages->notices)
            notices << qText(notice);
        // takeAt hands over the layout's item as well as its widget: both are ours to delete.
        while (pageColumn_->count() > 1) {
            QLayoutItem* item = pageColumn_->takeAt(0);
            delete item->widget();
            delete item;
        }
        for (const PageImage& page : pages->pages) {
            // A deep copy: the pixmap may share a wrapped image's buffer, and the pixels go with `pages`.
            const QImage image =
                QImage(page.pixels.data(), page.width, page.height, page.stride, QImage::Format_RGB32).copy();
            QPixmap pixmap = QPixmap::fromImage(image);
            pixmap.setDevicePixelRatio(devicePixelRatioF());
            auto* label = new QLabel;
            label->setPixmap(pixmap);
            label->setStyleSheet("border: 1px solid #c4c7cc;");
            pageColumn_->insertWidget(pageColumn_->count() - 1, label, 0, Qt::AlignHCenter);
        }
        pageCount_ = static_cast<int>(pages->pages.size());
    }
    notice_->setText(notices.join("\n"));
    notice_->setVisible(!notices.isEmpty());
    if (onDrawn_) onDrawn_();
}

}  // namespace zelvorin::ui
