#include "ui/InvoiceSheetDialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPointer>
#include <QTimeZone>
#include <QVBoxLayout>

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
void runCall(const SectionContext& context, Dialog* dialog, rules::ServerAction action, std::string_view fallback,
             std::function<void(SyncAPIClient&)> call, Done done) {
    QPointer<Dialog> self(dialog);
    context.worker->post([self, action, fallback, call = std::move(call), done, &environment = context.environment,
                          main = context.mainExecutor] {
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
      recipient_(new QLineEdit(qText(sheet_.recipient))),
      subject_(new QLineEdit(qText(sheet_.subject))),
      body_(new QPlainTextEdit(qText(sheet_.body))),
      later_(new QCheckBox(qText(std::string(SendSheet::kLater)))),
      sendAt_(new QDateTimeEdit(QDateTime::currentDateTime().addDays(1))),
      send_(new QPushButton("Versturen")),
      error_(errorLabel()) {
    setWindowTitle(qText(sheet_.title()));
    resize(520, 440);
    sendAt_->setCalendarPopup(true);
    sendAt_->setEnabled(false);
    connect(later_, &QCheckBox::toggled, sendAt_, &QWidget::setEnabled);
    auto* title = new QLabel("<b>" + qText(sheet_.title()) + "</b>");
    auto* form = new QFormLayout;
    form->addRow("Aan", recipient_);
    form->addRow("Onderwerp", subject_);
    form->addRow("Bericht", body_);
    form->addRow(later_);
    form->addRow(qText(std::string(SendSheet::kSendAt)), sendAt_);
    auto* buttons = new QDialogButtonBox;
    buttons->addButton("Annuleren", QDialogButtonBox::RejectRole);
    buttons->addButton(send_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(send_, &QPushButton::clicked, [this] { submit(); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addLayout(form, 1);
    layout->addWidget(error_);
    layout->addWidget(buttons);
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

}  // namespace zelvorin::ui
