#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <functional>

#include "api-client/FileTransfers.h"
#include "ui/RowTableModel.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// BTW-aangifte: the VAT of paid invoices per quarter as the local store has it, and the quarter's
// overview that the service exports (a CSV), which needs a connection.
class VatReturnView final : public SectionView {
public:
    explicit VatReturnView(SectionContext context, QWidget* parent = nullptr);
    void reload() override;
    RowTableModel<BtwQuarterPoint>& model() { return *model_; }
    QString statusText() const { return status_->text(); }
    // Asks the service for the quarter; `save` gets the file on the GUI thread (the button asks
    // where to save it), a failure shows its Dutch text.
    void exportQuarter(int year, int quarter, std::function<void(const ExportedFile&)> save);

private:
    QSpinBox* year_;
    QComboBox* quarter_;
    QPushButton* export_;
    QLabel* status_;
    RowTableModel<BtwQuarterPoint>* model_;
};

}  // namespace zelvorin::ui
