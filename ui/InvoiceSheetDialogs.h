#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "screens/InvoiceSheets.h"
#include "ui/SectionView.h"

namespace zelvorin::ui {

// The sheets of the invoice editor that call the service. Each draws its screens/ sheet, runs the
// call on the worker (pushing the device's edits first and pulling the result after), shows the
// failure in the sheet and closes (accepted) when the call went through.
class SendSheetDialog final : public QDialog {
public:
    SendSheetDialog(SectionContext context, SendSheet sheet, QWidget* parent = nullptr);
    QLineEdit& recipient() { return *recipient_; }
    QPushButton& sendButton() { return *send_; }
    QString errorText() const { return error_->text(); }
    QComboBox& templateChoice() { return *template_; }
    QPlainTextEdit& body() { return *body_; }
    QComboBox& senderChoice() { return *sender_; }
    QListWidget& attachmentList() { return *attachments_; }
    QPushButton& attachButton() { return *attach_; }
    QPushButton& previewButton() { return *preview_; }
    QString previewText() const { return previewText_; }
    // Checks and uploads files as the file chooser hands them over.
    void attachFiles(const QStringList& paths);

private:
    void submit();
    void fetchTemplates();
    void chooseTemplate(int index);
    void showBody();
    void showAttachments();
    void showPreview();

    SectionContext context_;
    SendSheet sheet_;
    bool showing_ = false;
    QComboBox* template_;
    QLabel* edited_;
    QLineEdit* recipient_;
    QLineEdit* subject_;
    QPlainTextEdit* body_;
    QCheckBox* later_;
    QDateTimeEdit* sendAt_;
    QComboBox* sender_;
    QLabel* senderLabel_;
    QListWidget* attachments_;
    QPushButton* attach_;
    QPushButton* detach_;
    QPushButton* preview_;
    QString previewText_;
    QPushButton* send_;
    QLabel* error_;
};

class PaymentSheetDialog final : public QDialog {
public:
    PaymentSheetDialog(SectionContext context, PaymentSheet sheet, QWidget* parent = nullptr);
    QLineEdit& amount() { return *amount_; }
    QPushButton& registerButton() { return *register_; }
    QString errorText() const { return error_->text(); }

private:
    void submit();

    SectionContext context_;
    PaymentSheet sheet_;
    QLineEdit* amount_;
    QLineEdit* date_;
    QComboBox* method_;
    QLineEdit* note_;
    QPushButton* register_;
    QLabel* error_;
};

// Credit note, cancel and reopen: a few typed fields and one call each.
class InvoiceActionSheetDialog final : public QDialog {
public:
    enum class Kind { credit, cancel, reopen };
    InvoiceActionSheetDialog(SectionContext context, Kind kind, std::string invoiceId, bool isOrgAdmin,
                             QWidget* parent = nullptr);
    QLineEdit& firstField() { return *first_; }
    QLineEdit* confirmField() { return confirm_; }
    QPushButton& confirmButton() { return *confirmButton_; }
    QString errorText() const { return error_->text(); }
    // After a credit note: what the sheet says while the note travels by sync.
    QString doneText() const { return done_->text(); }

private:
    void submit();
    template <class Sheet, class Call>
    void run(Sheet& sheet, InvoiceActionRules::ServerAction action, std::string_view fallback, Call call);

    SectionContext context_;
    Kind kind_;
    CreditSheet credit_;
    CancelSheet cancel_;
    ReopenSheet reopen_;
    QLineEdit* first_;
    QLineEdit* confirm_ = nullptr;
    QPushButton* confirmButton_;
    QLabel* error_;
    QLabel* done_;
};

}  // namespace zelvorin::ui
