#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <functional>

#include "api-client/FileTransfers.h"
#include "screens/VatReturnScreen.h"
#include "ui/RowTableModel.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// BTW-aangifte: the chosen quarter's return as the service computes it (rubrieken, per saldo and
// what to look at), its export as a CSV, and below them the VAT of paid invoices per quarter as
// the local store has it. The service's part needs a connection; without one the section says so
// and keeps the figures it had.
class VatReturnView final : public SectionView {
public:
    explicit VatReturnView(SectionContext context, QWidget* parent = nullptr);
    void reload() override;
    RowTableModel<BtwQuarterPoint>& model() { return *model_; }
    RowTableModel<VatReturnRow>& returnModel() { return *returnModel_; }
    QString statusText() const { return status_->text(); }
    QString returnStatusText() const { return returnStatus_->text(); }
    QString warningsText() const { return warnings_->text(); }
    // Asks the service for the quarter's return and shows it; a failure keeps the rows shown and
    // says why in Dutch.
    void loadQuarter(int year, int quarter);
    // Asks the service for the quarter; `save` gets the file on the GUI thread (the button asks
    // where to save it), a failure shows its Dutch text.
    void exportQuarter(int year, int quarter, std::function<void(const ExportedFile&)> save);

private:
    void loadChosenQuarter();

    QSpinBox* year_;
    QComboBox* quarter_;
    QPushButton* export_;
    QLabel* returnStatus_;
    QLabel* warnings_;
    QLabel* status_;
    RowTableModel<VatReturnRow>* returnModel_;
    RowTableModel<BtwQuarterPoint>* model_;
    int loadGeneration_ = 0;
};

}  // namespace zelvorin::ui
