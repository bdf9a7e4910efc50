#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>

#include <map>
#include <memory>

#include "persistence/Observation.h"
#include "screens/InvoiceActionRules.h"
#include "screens/InvoiceEditorModel.h"
#include "ui/InvoiceLivePreview.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// The window of one invoice: the header sidebar, the lines with the line editor and the totals
// beside them, and the inspector with status, next step, timeline and the service's actions. It
// draws an InvoiceEditorModel and turns edits into its calls; it follows the invoice by
// observation, so what a sync or a sheet changed shows at once. A sent invoice opens in the same
// window with what the customer received read-only. Beside it the invoice as it will print, drawn
// again after every saved change. Ctrl+Z undoes, Ctrl+Shift+Z redoes.
class InvoiceEditorWindow final : public QDialog {
public:
    InvoiceEditorWindow(SectionContext context, std::string invoiceId, QWidget* parent = nullptr);

    InvoiceEditorModel& model() { return *model_; }
    QString statusText() const { return status_->text(); }
    QString messageText() const { return message_->text(); }
    QString totalsText() const { return totals_->text(); }
    QTableWidget& linesTable() { return *lines_; }
    // The new-line form and its button.
    QLineEdit& newLineDescription() { return *newDescription_; }
    QComboBox& newLineMode() { return *newMode_; }
    QLineEdit& newLineQuantity() { return *newQuantity_; }
    QLineEdit& newLinePrice() { return *newPrice_; }
    QPushButton& addLineButton() { return *addLine_; }
    QPushButton& sendButton() { return *send_; }
    QPushButton& paymentButton() { return *payment_; }
    QPushButton& nextActionButton() { return *nextAction_; }
    QPushButton& pdfButton() { return *pdf_; }
    InvoiceLivePreview& livePreview() { return *preview_; }
    QPushButton& previewToggle() { return *previewToggle_; }
    // The advanced actions' menu entries by their text ("1e herinnering", "Factuur annuleren", …).
    QAction* advancedAction(const QString& text);
    QLineEdit* headerField(const std::string& field);
    // "Sjabloon wijzigen": the organisation's templates for the invoice's kind.
    QComboBox& templateChoice() { return *template_; }

private:
    void buildSidebar(QWidget* sidebar);
    void buildLines(QWidget* centre);
    void buildInspector(QWidget* inspector);
    void draw();
    void drawHeader();
    void changeTemplate(const std::string& templateId);
    void drawLines();
    void drawInspector();
    void addLine();
    void lineEdited(QTableWidgetItem* item);
    void saveLineLater(std::string lineId, std::string field, std::string typed);
    void askForRate();
    void openSendSheet(InvoiceActionRules::SendMode mode, std::string reminderKind = {});
    void openPaymentSheet();
    void openPdfPreview();
    void openActionSheet(int kind);
    void showSheet(QDialog* sheet);
    void followNextAction();
    void confirmDelete();
    void fetchFromService();

    SectionContext context_;
    std::unique_ptr<InvoiceEditorModel> model_;
    ObservationHandle observation_;
    bool drawing_ = false;

    QLabel* loadText_;
    QPushButton* retry_;
    QWidget* body_;
    QComboBox* customer_;
    std::map<std::string, QLineEdit*> textFields_;
    QComboBox* vatTreatment_;
    QComboBox* template_;
    QCheckBox* ideal_;
    QCheckBox* portal_;
    QTableWidget* lines_;
    QLineEdit* newDescription_;
    QComboBox* newMode_;
    QLineEdit* newQuantity_;
    QLineEdit* newPrice_;
    QComboBox* newVat_;
    QPushButton* addLine_;
    QPushButton* deleteLine_;
    QLabel* totals_;
    QLabel* number_;
    QLabel* status_;
    QPushButton* nextAction_;
    QToolButton* advanced_;
    bool isOrgAdmin_ = false;
    QListWidget* timeline_;
    QPushButton* send_;
    QPushButton* payment_;
    QPushButton* pdf_;
    QPushButton* previewToggle_;
    InvoiceLivePreview* preview_;
    QLabel* message_;
};

}  // namespace zelvorin::ui
