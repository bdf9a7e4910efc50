#pragma once

#include <QDialog>
#include <QLabel>
#include <QTableWidget>

#include "persistence/Observation.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// One invoice, read-only: its header, lines, VAT per treatment, totals, payments and the step the
// advisor proposes. It follows the invoice by observation, so a sync that changes it shows at
// once. Escape closes it.
class InvoiceDetailDialog final : public QDialog {
public:
    InvoiceDetailDialog(SectionContext context, std::string invoiceId, QWidget* parent = nullptr);
    QString headerText() const { return header_->text(); }

private:
    void show(const std::optional<InvoiceDetail>& detail);

    SectionContext context_;
    std::string invoiceId_;
    QLabel* header_;
    QTableWidget* lines_;
    QLabel* totals_;
    ObservationHandle observation_;
};

}  // namespace zelvorin::ui
