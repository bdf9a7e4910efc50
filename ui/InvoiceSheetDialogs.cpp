#include "ui/InvoiceSheetDialogs.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPointer>
#include <QTextBrowser>
#include <QTimeZone>
#include <QVBoxLayout>

#include "screens/ErrorMessages.h"
#include "ui/RowTableModel.h"

namespace zelvorin::ui {
namespace {

namespace rules = InvoiceActionRules;

QLabel* errorLabel() {
    auto* label = new QLabel;
    label->setWordWrap(true);
    label->setStyleSheet("color: #b3261e;");
    label->hide();
    return label;
}

void showError(QLabel* label, const std::string& text) {
    label->setText(qText(text));
    label->setVisible(!text.empty());
}

// Runs the sheet's call on the worker and hands its outcome back on the GUI thread.
template <class Dialog, class Done>
void runCall(const SectionContext& context, Dialog* dialog, rules::ServerAction action,
             std::string_view fallback, std::function<void(SyncAPIClient&)> call, Done done) {
    QPointer<Dialog> self(dialog);
    context.worker->post([self, action, fallback, call = std::move(call), done,
                          &environment = context.environment, main = context.mainExecutor] {
        std::optional<std::string> failure = runServerAction(environment, action, fallback, call);
        main->post([self, failure = std::move(failure), done] {
            if (self) done(self.data(), failure);
        });
    });
}

}  // namespace

SendSheetDialog::SendSheetDialog(SectionContext context, SendSheet sheet, QWidget* parent)
    : QDialog(parent),
      context_(std::move(context)),
      sheet_(std::move(sheet)),
      template_(new QComboBox),
      edited_(new QLabel(qText(std::string(SendSheet::kBodyEdited)))),
      recipient_(new QLineEdit(qText(sheet_.recipient))),
      subject_(new QLineEdit(qText(sheet_.subject))),
      body_(new QPlainTextEdit(qText(sheet_.body))),
      later_(new QCheckBox(qText(std::string(SendSheet::kLater)))),
      sendAt_(new QDateTimeEdit(QDateTime::currentDateTime().addDays(1))),
      sender_(new QComboBox),
      senderLabel_(new QLabel("Van")),
      attachments_(new QListWidget),
      attach_(new QPushButton("Bestand toevoegen…")),
      detach_(new QPushButton("Verwijderen")),
      preview_(new QPushButton(qText(std::string(SendSheet::kPreview)))),
      send_(new QPushButton(qText(sheet_.title()))),
      error_(errorLabel()) {
    setWindowTitle(qText(sheet_.title()));
    resize(560, 600);
    sendAt_->setCalendarPopup(true);
    sendAt_->setEnabled(false);
    connect(later_, &QCheckBox::toggled, sendAt_, &QWidget::setEnabled);
    auto* title = new QLabel("<b>" + qText(sheet_.title()) + "</b>");
    auto* form = new QFormLayout;
    template_->addItem("Geen sjabloon", QString());
    edited_->setStyleSheet("color: palette(mid);");
    edited_->hide();
    connect(template_, &QComboBox::activated, [this](int index) { chooseTemplate(index); });
    connect(body_, &QPlainTextEdit::textChanged, [this] {
        if (showing_) return;
        sheet_.editBody(body_->toPlainText().toStdString());
        edited_->setVisible(sheet_.bodyEdited);
    });
    form->addRow("Aan", recipient_);
    form->addRow(senderLabel_, sender_);
    senderLabel_->hide();
    sender_->hide();
    connect(sender_, &QComboBox::activated,
            [this](int index) { sheet_.fromEmail = sender_->itemData(index).toString().toStdString(); });
    form->addRow("Sjabloon", template_);
    form->addRow("Onderwerp", subject_);
    form->addRow("Bericht", body_);
    form->addRow(edited_);
    attachments_->setMaximumHeight(72);
    auto* attachmentButtons = new QHBoxLayout;
    attachmentButtons->addWidget(attach_);
    attachmentButtons->addWidget(detach_);
    attachmentButtons->addStretch();
    form->addRow(new QLabel(qText(std::string(SendSheet::kAttachmentsLabel))));
    form->addRow(attachments_);
    form->addRow(attachmentButtons);
    connect(attach_, &QPushButton::clicked,
            [this] { attachFiles(QFileDialog::getOpenFileNames(this, "Bijlagen kiezen")); });
    connect(detach_, &QPushButton::clicked, [this] {
        if (const QListWidgetItem* item = attachments_->currentItem()) {
            sheet_.detach(item->data(Qt::UserRole).toString().toStdString());
            showAttachments();
        }
    });
    showAttachments();
    form->addRow(later_);
    form->addRow(qText(std::string(SendSheet::kSendAt)), sendAt_);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton("Annuleren", QDialogButtonBox::RejectRole);
    buttons->addButton(preview_, QDialogButtonBox::ActionRole);
    buttons->addButton(send_, QDialogButtonBox::ActionRole);
    connect(preview_, &QPushButton::clicked, [this] { showPreview(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(send_, &QPushButton::clicked, [this] { submit(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addLayout(form, 1);
    layout->addWidget(error_);
    layout->addWidget(buttons);
    fetchTemplates();
}

void SendSheetDialog::fetchTemplates() {
    QPointer<SendSheetDialog> self(this);
    context_.worker->post([self, &environment = context_.environment, main = context_.mainExecutor] {
        std::vector<templateactions::NativeEmailTemplate> all;
        invoicestats::NativeGmailAliasInfo aliases;
        try {
            all = templateactions::emailTemplates(environment.apiClient());
            aliases = invoicestats::gmailAliases(environment.apiClient());
        } catch (const std::exception&) {
            // without the service the sheet offers no templates and sends from the service's address
        }
        main->post([self, all = std::move(all), aliases = std::move(aliases)] {
            if (!self) return;
            self->sheet_.setTemplates(all);
            for (const auto& offered : self->sheet_.templates)
                self->template_->addItem(qText(offered.name), qText(offered.id));
            if (self->sheet_.selectedTemplateId) {
                self->template_->setCurrentIndex(
                    self->template_->findData(qText(*self->sheet_.selectedTemplateId)));
                self->showBody();
            }
            self->sheet_.setSenderAliases(aliases);
            for (const std::string& address : self->sheet_.senderAddresses)
                self->sender_->addItem(qText(address), qText(address));
            if (self->sheet_.fromEmail)
                self->sender_->setCurrentIndex(self->sender_->findData(qText(*self->sheet_.fromEmail)));
            const bool choice = !self->sheet_.senderAddresses.empty();
            self->sender_->setVisible(choice);
            self->senderLabel_->setVisible(choice);
        });
    });
}

void SendSheetDialog::attachFiles(const QStringList& paths) {
    if (paths.isEmpty()) return;
    std::vector<rules::Attachment> chosen;
    for (const QString& path : paths)
        chosen.push_back({QFileInfo(path).fileName().toStdString(), QFileInfo(path).size()});
    try {
        sheet_.checkNewAttachments(chosen);
    } catch (...) {
        showError(error_, errorMessage(classifyCurrentException()));
        return;
    }
    showError(error_, "");
    attach_->setEnabled(false);
    std::vector<std::string> files;
    for (const QString& path : paths)
        files.push_back(path.toStdString());
    QPointer<SendSheetDialog> self(this);
    context_.worker->post([self, files, &environment = context_.environment, main = context_.mainExecutor] {
        std::vector<UploadedAttachment> uploaded;
        const std::optional<std::string> failure = runServerAction(
            environment, rules::ServerAction::send, SendSheet::kUploadFailed, [&](SyncAPIClient& client) {
                std::vector<AttachmentFile> read;
                for (const std::string& path : files) {
                    QFile file(QString::fromStdString(path));
                    if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("onleesbaar bestand");
                    const std::string name = QFileInfo(file).fileName().toStdString();
                    read.push_back({name, rules::attachmentContentType(name), file.readAll().toStdString()});
                }
                uploaded = uploadInvoiceAttachments(client, read);
            });
        main->post([self, uploaded = std::move(uploaded), failure] {
            if (!self) return;
            self->attach_->setEnabled(true);
            showError(self->error_, failure.value_or(""));
            for (const UploadedAttachment& file : uploaded)
                self->sheet_.attachments.push_back(file);
            self->showAttachments();
        });
    });
}

void SendSheetDialog::showAttachments() {
    attachments_->clear();
    for (const UploadedAttachment& file : sheet_.attachments) {
        auto* item =
            new QListWidgetItem(qText(file.filename + " · " + SendSheet::sizeText(file.size)), attachments_);
        item->setData(Qt::UserRole, qText(file.key));
    }
    attachments_->setVisible(!sheet_.attachments.empty());
    detach_->setVisible(!sheet_.attachments.empty());
    attach_->setVisible(sheet_.canAttachMore());  // gone once three are attached
}

void SendSheetDialog::showPreview() {
    preview_->setEnabled(false);
    QPointer<SendSheetDialog> self(this);
    context_.worker->post([self, invoiceId = sheet_.invoiceId, message = body_->toPlainText().toStdString(),
                           &environment = context_.environment, main = context_.mainExecutor] {
        templateactions::NativeEmailPreview preview;
        const std::optional<std::string> failure = runServerAction(
            environment, rules::ServerAction::send, SendSheet::kPreviewFailed, [&](SyncAPIClient& client) {
                preview = templateactions::previewInvoiceEmail(client, invoiceId, message);
            });
        main->post([self, preview = std::move(preview), failure] {
            if (!self) return;
            self->preview_->setEnabled(true);
            showError(self->error_, failure.value_or(""));
            if (failure) return;
            self->previewText_ = qText(preview.text);
            auto* shown = new QDialog(self);
            shown->setAttribute(Qt::WA_DeleteOnClose);
            shown->setWindowTitle(qText(std::string(SendSheet::kPreview)));
            shown->resize(560, 480);
            auto* browser = new QTextBrowser;
            if (preview.html)
                browser->setHtml(qText(*preview.html));
            else
                browser->setPlainText(self->previewText_);
            auto* layout = new QVBoxLayout(shown);
            layout->addWidget(browser);
            shown->show();
        });
    });
}

void SendSheetDialog::chooseTemplate(int index) {
    const std::string id = template_->itemData(index).toString().toStdString();
    if (id.empty()) return;
    bool overwrite = false;
    if (sheet_.bodyEdited) {
        QMessageBox question(QMessageBox::Question, windowTitle(),
                             qText(std::string(SendSheet::kOverwriteQuestion)), QMessageBox::NoButton, this);
        QPushButton* yes = question.addButton("Overschrijven", QMessageBox::AcceptRole);
        question.addButton("Behouden", QMessageBox::RejectRole);
        question.exec();
        overwrite = question.clickedButton() == yes;
    }
    if (sheet_.chooseTemplate(id, overwrite)) showBody();
}

void SendSheetDialog::showBody() {
    showing_ = true;
    subject_->setText(qText(sheet_.subject));
    body_->setPlainText(qText(sheet_.body));
    edited_->setVisible(sheet_.bodyEdited);
    showing_ = false;
}

void SendSheetDialog::submit() {
    sheet_.recipient = recipient_->text().trimmed().toStdString();
    sheet_.subject = subject_->text().toStdString();
    sheet_.body = body_->toPlainText().toStdString();
    sheet_.later = later_->isChecked();
    sheet_.sendAt = sendAt_->dateTime().toUTC().toString(Qt::ISODate).toStdString();
    const std::optional<SendSheet::Call> call = sheet_.submit(context_.environment.syncStatus());
    showError(error_, sheet_.error);
    if (!call) return;
    send_->setEnabled(false);
    const auto action = call->scheduledAt ? rules::ServerAction::schedule : rules::ServerAction::send;
    const std::string_view fallback = call->scheduledAt ? SendSheet::kScheduleFailed : SendSheet::kFailed;
    const rules::SendMode mode = sheet_.mode;
    const std::string kind = sheet_.reminderKind;
    runCall(
        context_, this, action, fallback,
        [call = *call, mode, kind, invoiceId = sheet_.invoiceId](SyncAPIClient& client) {
            if (call.scheduledAt)
                invoiceactions::schedule(client, invoiceId, call.body, *call.scheduledAt);
            else if (mode == rules::SendMode::resend)
                invoiceactions::resend(client, invoiceId, call.body);
            else if (mode == rules::SendMode::reminder)
                invoiceactions::remind(client, invoiceId, kind, call.body);
            else
                invoiceactions::send(client, invoiceId, call.body);
        },
        [](SendSheetDialog* self, const std::optional<std::string>& failure) {
            self->sheet_.finished(failure);
            self->send_->setEnabled(true);
            showError(self->error_, self->sheet_.error);
            if (!failure) self->accept();
        });
}

PaymentSheetDialog::PaymentSheetDialog(SectionContext context, PaymentSheet sheet, QWidget* parent)
    : QDialog(parent),
      context_(std::move(context)),
      sheet_(std::move(sheet)),
      amount_(new QLineEdit(qText(sheet_.amountText))),
      date_(new QLineEdit(qText(sheet_.paymentDate))),
      method_(new QComboBox),
      note_(new QLineEdit),
      register_(new QPushButton("Registreren")),
      error_(errorLabel()) {
    setWindowTitle(qText(std::string(PaymentSheet::kTitle)));
    resize(420, 320);
    amount_->setPlaceholderText(qText(std::string(PaymentSheet::kAmountPlaceholder)));
    for (const auto& [raw, label] : paymentMethods())
        method_->addItem(qText(label), qText(raw));
    note_->setPlaceholderText("Optioneel");
    const DisplayFormats& f = context_.formats;
    auto* form = new QFormLayout;
    form->addRow("Totaalbedrag", new QLabel(qText(f.money(sheet_.totalCents))));
    form->addRow("Al betaald", new QLabel(qText(f.money(sheet_.paidCents))));
    form->addRow("Openstaand", new QLabel(qText(f.money(sheet_.openCents()))));
    form->addRow("Bedrag", amount_);
    form->addRow("Datum", date_);
    form->addRow("Methode", method_);
    form->addRow("Notitie", note_);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton("Annuleren", QDialogButtonBox::RejectRole);
    buttons->addButton(register_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(register_, &QPushButton::clicked, [this] { submit(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("<b>" + qText(std::string(PaymentSheet::kTitle)) + "</b>"));
    layout->addLayout(form, 1);
    layout->addWidget(error_);
    layout->addWidget(buttons);
}

void PaymentSheetDialog::submit() {
    sheet_.amountText = amount_->text().toStdString();
    sheet_.paymentDate = date_->text().trimmed().toStdString();
    sheet_.method = method_->currentData().toString().toStdString();
    sheet_.note = note_->text().trimmed().toStdString();
    const std::optional<invoiceactions::PaymentBody> body = sheet_.submit(context_.environment.syncStatus());
    showError(error_, sheet_.error);
    if (!body) return;
    register_->setEnabled(false);
    runCall(
        context_, this, rules::ServerAction::payment, PaymentSheet::kFailed,
        [body = *body, invoiceId = sheet_.invoiceId](SyncAPIClient& client) {
            invoiceactions::addPayment(client, invoiceId, body);
        },
        [](PaymentSheetDialog* self, const std::optional<std::string>& failure) {
            self->sheet_.finished(failure);
            self->register_->setEnabled(true);
            showError(self->error_, self->sheet_.error);
            if (!failure) self->accept();
        });
}

InvoiceActionSheetDialog::InvoiceActionSheetDialog(SectionContext context, Kind kind, std::string invoiceId,
                                                   bool isOrgAdmin, QWidget* parent)
    : QDialog(parent),
      context_(std::move(context)),
      kind_(kind),
      first_(new QLineEdit),
      confirmButton_(new QPushButton),
      error_(errorLabel()),
      done_(new QLabel) {
    credit_.invoiceId = cancel_.invoiceId = reopen_.invoiceId = invoiceId;
    reopen_.isOrgAdmin = isOrgAdmin;
    auto* form = new QFormLayout;
    QString title;
    QString explanation;
    switch (kind_) {
        case Kind::credit:
            title = qText(std::string(CreditSheet::kTitle));
            explanation = qText(std::string(CreditSheet::kQuestion));
            first_->setPlaceholderText(qText(std::string(PaymentSheet::kAmountPlaceholder)));
            form->addRow("Bedrag", first_);
            confirmButton_->setText("Creditnota maken");
            break;
        case Kind::cancel:
            title = qText(std::string(CancelSheet::kTitle));
            explanation = qText(std::string(CancelSheet::kExplanation));
            confirm_ = new QLineEdit;
            form->addRow(qText(std::string(CancelSheet::kReasonLabel)), first_);
            form->addRow("Typ ANNULEER", confirm_);
            confirmButton_->setText("Annuleren bevestigen");
            break;
        case Kind::reopen:
            title = qText(std::string(ReopenSheet::kTitle));
            explanation = qText(std::string(ReopenSheet::kExplanation));
            form->addRow("Reden (min. 10 tekens)", first_);
            confirmButton_->setText("Heropenen");
            if (!isOrgAdmin) {
                confirmButton_->setEnabled(false);
                explanation += "<br>" + qText(std::string(InvoiceActionRules::kReopenNeedsAdmin));
            }
            break;
    }
    setWindowTitle(title);
    auto* text = new QLabel(explanation);
    text->setWordWrap(true);
    done_->setWordWrap(true);
    done_->hide();
    auto* buttons = new QDialogButtonBox;
    buttons->addButton("Sluiten", QDialogButtonBox::RejectRole);
    buttons->addButton(confirmButton_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(confirmButton_, &QPushButton::clicked, [this] { submit(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("<b>" + title + "</b>"));
    layout->addWidget(text);
    layout->addLayout(form);
    layout->addWidget(error_);
    layout->addWidget(done_);
    layout->addStretch(1);
    layout->addWidget(buttons);
    resize(440, 260);
}

template <class Sheet, class Call>
void InvoiceActionSheetDialog::run(Sheet& sheet, rules::ServerAction action, std::string_view fallback,
                                   Call call) {
    confirmButton_->setEnabled(false);
    runCall(context_, this, action, fallback, std::function<void(SyncAPIClient&)>(std::move(call)),
            [&sheet](InvoiceActionSheetDialog* self, const std::optional<std::string>& failure) {
                sheet.finished(failure);
                self->confirmButton_->setEnabled(true);
                showError(self->error_, sheet.error);
                if (failure) return;
                if (self->kind_ != Kind::credit) {
                    self->accept();
                    return;
                }
                // The credit note arrives by the next pull; the sheet says so and stays.
                self->done_->setText(qText(std::string(CreditSheet::kCreated)));
                self->done_->show();
                self->confirmButton_->setEnabled(false);
            });
}

void InvoiceActionSheetDialog::submit() {
    const SyncDisplayStatus status = context_.environment.syncStatus();
    switch (kind_) {
        case Kind::credit: {
            credit_.amountText = first_->text().toStdString();
            const std::optional<std::int64_t> cents = credit_.submit(status);
            showError(error_, credit_.error);
            if (cents)
                run(credit_, rules::ServerAction::creditNote, CreditSheet::kFailed,
                    [cents = *cents, id = credit_.invoiceId](SyncAPIClient& client) {
                        invoiceactions::creditNote(client, id, cents);
                    });
            break;
        }
        case Kind::cancel: {
            cancel_.reason = first_->text().toStdString();
            cancel_.confirmText = confirm_->text().toStdString();
            const std::optional<rules::CancelInput> input = cancel_.submit(status);
            showError(error_, cancel_.error);
            if (input)
                run(cancel_, rules::ServerAction::cancel, CancelSheet::kFailed,
                    [input = *input, id = cancel_.invoiceId](SyncAPIClient& client) {
                        invoiceactions::cancel(client, id, input.reason, input.confirmText);
                    });
            break;
        }
        case Kind::reopen: {
            reopen_.reason = first_->text().toStdString();
            const std::optional<std::string> reason = reopen_.submit(status);
            showError(error_, reopen_.error);
            if (reason)
                run(reopen_, rules::ServerAction::reopen, ReopenSheet::kFailed,
                    [reason = *reason, id = reopen_.invoiceId](SyncAPIClient& client) {
                        invoiceactions::reopen(client, id, reason);
                    });
            break;
        }
    }
}

}  // namespace zelvorin::ui
