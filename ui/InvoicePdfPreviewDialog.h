#pragma once

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <string>

#include "ui/SectionView.h"

namespace zelvorin::ui {

// "Factuur voorbeeld": the service's PDF of the invoice, its pages drawn by poppler, and a button
// that saves it under factuur-preview-<id>.pdf.
class InvoicePdfPreviewDialog final : public QDialog {
public:
    InvoicePdfPreviewDialog(SectionContext context, std::string invoiceId, QWidget* parent = nullptr);
    int pageCount() const { return pageCount_; }
    QString statusText() const { return status_->text(); }

private:
    void show(const std::string& pdf);
    void save();

    SectionContext context_;
    std::string invoiceId_;
    std::string pdf_;
    int pageCount_ = 0;
    QLabel* status_;
    QVBoxLayout* pages_;
    QPushButton* save_;
};

}  // namespace zelvorin::ui
