#pragma once

#include <QComboBox>
#include <QLabel>

#include "ui/RowTableModel.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// Kvitra: the inbox of incoming invoices and receipts with its status and category filters, and a
// preview of the selected document fetched from the service. Files dropped onto the window land
// here after the next sync.
class KvitraView final : public SectionView {
public:
    explicit KvitraView(SectionContext context, QWidget* parent = nullptr);
    void reload() override;
    RowTableModel<IncomingInvoiceRecord>& model() { return *model_; }
    QString previewText() const { return preview_->text(); }
    bool previewShowsDocument() const { return !preview_->pixmap().isNull(); }
    void showPreview(int row);

private:
    QComboBox* status_;
    QComboBox* category_;
    QLabel* preview_;
    RowTableModel<IncomingInvoiceRecord>* model_;
    std::string previewing_;
};

}  // namespace zelvorin::ui
