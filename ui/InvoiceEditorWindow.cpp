#include "ui/InvoiceEditorWindow.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>

#include "api-client/AccountAPI.h"
#include "domain/Timestamps.h"
#include "domain/VatTreatment.h"
#include "screens/InvoiceSheets.h"
#include "ui/InvoicePdfPreviewDialog.h"
#include "ui/InvoiceSheetDialogs.h"
#include "ui/RowTableModel.h"

namespace zelvorin::ui {
namespace {

// The header's text fields, by payload key, with their captions.
const std::vector<std::pair<std::string, QString>>& textFieldCaptions() {
    static const std::vector<std::pair<std::string, QString>> captions{
        {"issueDate", "Factuurdatum"},
        {"dueDate", "Vervaldatum"},
        {"referenceNumber", "Referentie"},
        {"projectDescription", "Projectomschrijving"},
        {"invoiceEmail", "E-mail voor de factuur"},
        {"paymentTermsOverride", "Betaaltermijn (dagen)"},
        {"freeText", "Vrije tekst"},
        {"internalNote", "Interne notitie"},
    };
    return captions;
}

const std::vector<std::pair<std::string, QString>> kInvoiceVat{
    {"nl_21", "21%"}, {"nl_9", "9%"}, {"nl_0", "0%"}, {"verlegd", "BTW verlegd"}};

// The editable columns of the line table and the line editor's field each one sets.
enum Column { description, mode, quantity, price, amount, vat, excl, columnCount };
const char* fieldOf(int column) {
    switch (column) {
        case description:
            return "description";
        case quantity:
            return "qty";
        case price:
            return "price";
        case amount:
            return "amount";
        default:
            return nullptr;
    }
}

QComboBox* choiceBox(const std::vector<std::pair<std::string, std::string>>& choices) {
    auto* box = new QComboBox;
    for (const auto& [raw, label] : choices)
        box->addItem(qText(label), qText(raw));
    return box;
}

void selectData(QComboBox* box, const std::string& raw) {
    const int index = box->findData(qText(raw));
    box->setCurrentIndex(index < 0 ? 0 : index);
}

bool awaitsPayment(const std::string& status) {
    return status == "sent" || status == "delivered" || status == "viewed" || status == "overdue" ||
           status == "partiallyPaid";
}

}  // namespace

InvoiceEditorWindow::InvoiceEditorWindow(SectionContext context, std::string invoiceId, QWidget* parent)
    : QDialog(parent),
      context_(std::move(context)),
      model_(std::make_unique<InvoiceEditorModel>(context_.environment.repositories().invoices,
                                                  context_.environment.repositories().customers,
                                                  *context_.environment.clock(), std::move(invoiceId))),
      loadText_(new QLabel),
      retry_(new QPushButton(qText(std::string(InvoiceEditorModel::kRetry)))),
      body_(new QWidget),
      message_(new QLabel) {
    setWindowTitle("Factuur");
    resize(1700, 760);
    loadText_->setWordWrap(true);
    message_->setWordWrap(true);
    message_->setStyleSheet("color: #b3261e;");

    auto* sidebar = new QWidget;
    auto* centre = new QWidget;
    auto* inspector = new QWidget;
    buildSidebar(sidebar);
    buildLines(centre);
    buildInspector(inspector);
    preview_ = new InvoiceLivePreview(context_, model_->invoiceId());
    auto* columns = new QHBoxLayout(body_);
    columns->setContentsMargins(0, 0, 0, 0);
    columns->addWidget(sidebar, 0);
    columns->addWidget(centre, 1);
    columns->addWidget(inspector, 0);
    columns->addWidget(preview_, 0);

    // The preview needs a wide screen beside the editor; on a narrower one it waits for its button.
    if (const QScreen* display = screen(); display && display->availableGeometry().width() < 1700) {
        preview_->hide();
        previewToggle_->setText("Voorbeeld tonen");
        resize(1240, 700);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(loadText_);
    layout->addWidget(retry_, 0, Qt::AlignLeft);
    layout->addWidget(body_, 1);
    layout->addWidget(message_);

    connect(retry_, &QPushButton::clicked, [this] { model_->reload(); });
    connect(new QShortcut(QKeySequence::Undo, this), &QShortcut::activated, [this] { model_->undo(); });
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), this), &QShortcut::activated,
            [this] { model_->redo(); });

    model_->setOnChange([this] { draw(); });
    QPointer<InvoiceEditorWindow> self(this);
    observation_ = context_.environment.repositories().invoices.observeDetail(
        model_->invoiceId(),
        [self](const std::optional<InvoiceDetail>&) {
            if (self) self->model_->reload();
        },
        context_.mainExecutor);
    model_->reload();
    fetchFromService();
}

void InvoiceEditorWindow::buildSidebar(QWidget* sidebar) {
    sidebar->setFixedWidth(290);
    auto* form = new QFormLayout(sidebar);
    form->setContentsMargins(0, 0, 8, 0);
    customer_ = new QComboBox;
    form->addRow("Klant", customer_);
    connect(customer_, &QComboBox::activated, [this](int index) {
        if (drawing_) return;
        model_->setHeader("customerId", customer_->itemData(index).toString().toStdString());
        askForRate();
    });
    for (const auto& [field, caption] : textFieldCaptions()) {
        auto* edit = new QLineEdit;
        textFields_[field] = edit;
        form->addRow(caption, edit);
        connect(edit, &QLineEdit::editingFinished, [this, field = field, edit] {
            if (drawing_ || edit->text().toStdString() == model_->fieldText(field)) return;
            model_->setHeader(field, edit->text().toStdString());
        });
    }
    textFields_["issueDate"]->setPlaceholderText("2026-03-01");
    textFields_["dueDate"]->setPlaceholderText("2026-03-31");
    vatTreatment_ = new QComboBox;
    for (const auto& [raw, label] : kInvoiceVat)
        vatTreatment_->addItem(label, qText(raw));
    form->addRow("BTW", vatTreatment_);
    connect(vatTreatment_, &QComboBox::activated, [this](int index) {
        if (!drawing_)
            model_->setHeader("vatTreatment", vatTreatment_->itemData(index).toString().toStdString());
    });
    template_ = new QComboBox;
    template_->setToolTip(qText(std::string(TemplateChange::kTitle)));
    form->addRow("Sjabloon", template_);
    connect(template_, &QComboBox::activated, [this](int index) {
        const std::string chosen = template_->itemData(index).toString().toStdString();
        if (!drawing_ && !chosen.empty() && chosen != model_->invoice().templateId.value_or(""))
            changeTemplate(chosen);
    });
    ideal_ = new QCheckBox("iDEAL-betaallink");
    portal_ = new QCheckBox("Link naar het klantportaal");
    form->addRow(ideal_);
    form->addRow(portal_);
    connect(ideal_, &QCheckBox::toggled, [this](bool on) {
        if (!drawing_) model_->setHeader("idealEnabled", on ? "ja" : "nee");
    });
    connect(portal_, &QCheckBox::toggled, [this](bool on) {
        if (!drawing_) model_->setHeader("portalLinkEnabled", on ? "ja" : "nee");
    });
    auto* note = new QLabel(qText(std::string(InvoiceEditorModel::kContentOnly)));
    note->setWordWrap(true);
    note->setStyleSheet("color: palette(mid);");
    form->addRow(note);
}

void InvoiceEditorWindow::buildLines(QWidget* centre) {
    lines_ = new QTableWidget(0, columnCount);
    lines_->setHorizontalHeaderLabels(
        {"Omschrijving", "Soort", "Aantal", "Prijs", "Bedrag", "BTW", "Excl. BTW"});
    lines_->horizontalHeader()->setSectionResizeMode(description, QHeaderView::Stretch);
    for (const auto& [column, width] : {std::pair{mode, 120}, std::pair{quantity, 64}, std::pair{price, 80},
                                        std::pair{amount, 80}, std::pair{vat, 96}, std::pair{excl, 96}})
        lines_->setColumnWidth(column, width);
    lines_->setWordWrap(false);
    lines_->verticalHeader()->hide();
    lines_->setSelectionBehavior(QAbstractItemView::SelectRows);
    connect(lines_, &QTableWidget::itemChanged, [this](QTableWidgetItem* item) { lineEdited(item); });

    newDescription_ = new QLineEdit;
    newDescription_->setPlaceholderText("Omschrijving");
    newMode_ = choiceBox(lineModeChoices());
    newQuantity_ = new QLineEdit;
    newQuantity_->setPlaceholderText("Aantal of uren, bijv. 1,5");
    newPrice_ = new QLineEdit;
    newPrice_->setPlaceholderText("Prijs of bedrag, bijv. 85,00");
    newVat_ = choiceBox(lineVatChoices());
    addLine_ = new QPushButton("Regel toevoegen");
    deleteLine_ = new QPushButton("Regel verwijderen");
    connect(addLine_, &QPushButton::clicked, [this] { addLine(); });
    connect(newDescription_, &QLineEdit::returnPressed, [this] { addLine(); });
    connect(deleteLine_, &QPushButton::clicked, [this] {
        const int row = lines_->currentRow();
        if (row >= 0 && row < static_cast<int>(model_->lines().size()))
            model_->deleteLine(model_->lines()[static_cast<std::size_t>(row)].id);
    });
    auto* newLine = new QHBoxLayout;
    newLine->addWidget(newMode_);
    newLine->addWidget(newQuantity_);
    newLine->addWidget(newPrice_);
    newLine->addWidget(newVat_);
    newLine->addWidget(addLine_);

    totals_ = new QLabel;
    totals_->setTextFormat(Qt::RichText);
    totals_->setAlignment(Qt::AlignRight);
    auto* layout = new QVBoxLayout(centre);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lines_, 1);
    layout->addWidget(newDescription_);
    layout->addLayout(newLine);
    layout->addWidget(deleteLine_, 0, Qt::AlignLeft);
    layout->addWidget(totals_);
}

void InvoiceEditorWindow::buildInspector(QWidget* inspector) {
    inspector->setFixedWidth(240);
    number_ = new QLabel;
    number_->setWordWrap(true);
    number_->setStyleSheet("font-size: 13pt; font-weight: 600;");
    status_ = new QLabel;
    nextAction_ = new QPushButton;
    nextAction_->setDefault(true);
    timeline_ = new QListWidget;
    send_ = new QPushButton("Versturen");
    payment_ = new QPushButton(qText(std::string(PaymentSheet::kTitle)));
    connect(nextAction_, &QPushButton::clicked, [this] { followNextAction(); });
    connect(send_, &QPushButton::clicked, [this] {
        openSendSheet(model_->contentEditable() ? InvoiceActionRules::SendMode::invoice
                                                : InvoiceActionRules::SendMode::resend);
    });
    connect(payment_, &QPushButton::clicked, [this] { openPaymentSheet(); });
    pdf_ = new QPushButton("Bekijk PDF");
    connect(pdf_, &QPushButton::clicked, [this] { openPdfPreview(); });
    previewToggle_ = new QPushButton("Voorbeeld verbergen");
    connect(previewToggle_, &QPushButton::clicked, [this] {
        const bool show = preview_->isHidden();
        preview_->setVisible(show);
        previewToggle_->setText(show ? "Voorbeeld verbergen" : "Voorbeeld tonen");
        if (show) preview_->refresh();
    });

    advanced_ = new QToolButton;
    advanced_->setText("Gevorderde acties");
    advanced_->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(advanced_);
    for (const auto& [kind, label] :
         {std::pair{"reminder_1", "1e herinnering"}, std::pair{"reminder_2", "2e herinnering"},
          std::pair{"reminder_final", "Aanmaning"}})
        connect(menu->addAction(label), &QAction::triggered, [this, kind = std::string(kind)] {
            openSendSheet(InvoiceActionRules::SendMode::reminder, kind);
        });
    menu->addSeparator();
    connect(menu->addAction(qText(std::string(CreditSheet::kTitle))), &QAction::triggered,
            [this] { openActionSheet(static_cast<int>(InvoiceActionSheetDialog::Kind::credit)); });
    connect(menu->addAction(qText(std::string(CancelSheet::kTitle))), &QAction::triggered,
            [this] { openActionSheet(static_cast<int>(InvoiceActionSheetDialog::Kind::cancel)); });
    connect(menu->addAction(qText(std::string(ReopenSheet::kTitle))), &QAction::triggered,
            [this] { openActionSheet(static_cast<int>(InvoiceActionSheetDialog::Kind::reopen)); });
    menu->addSeparator();
    connect(menu->addAction("Factuur verwijderen"), &QAction::triggered, [this] { confirmDelete(); });
    advanced_->setMenu(menu);
    auto* layout = new QVBoxLayout(inspector);
    layout->setContentsMargins(8, 0, 0, 0);
    layout->addWidget(number_);
    layout->addWidget(status_);
    layout->addWidget(nextAction_);
    layout->addWidget(send_);
    layout->addWidget(payment_);
    layout->addWidget(pdf_);
    layout->addWidget(previewToggle_);
    layout->addWidget(advanced_);
    layout->addWidget(new QLabel("Tijdlijn"));
    layout->addWidget(timeline_, 1);
}

QAction* InvoiceEditorWindow::advancedAction(const QString& text) {
    for (QAction* action : advanced_->menu()->actions())
        if (action->text() == text) return action;
    return nullptr;
}

QLineEdit* InvoiceEditorWindow::headerField(const std::string& field) {
    const auto found = textFields_.find(field);
    return found == textFields_.end() ? nullptr : found->second;
}

void InvoiceEditorWindow::draw() {
    drawing_ = true;
    const RecordLoadState state = model_->loadState();
    const bool found = state == RecordLoadState::found;
    body_->setVisible(found);
    retry_->setVisible(state == RecordLoadState::notFound || state == RecordLoadState::failed);
    switch (state) {
        case RecordLoadState::loading:
            loadText_->setText("Factuur laden…");
            break;
        case RecordLoadState::notFound:
            loadText_->setText("<b>" + qText(std::string(InvoiceEditorModel::kNotFoundTitle)) + "</b><br>" +
                               qText(std::string(InvoiceEditorModel::kNotFoundText)));
            break;
        case RecordLoadState::failed:
            loadText_->setText(qText(std::string(InvoiceEditorModel::kLoadFailed)));
            break;
        case RecordLoadState::found:
            loadText_->clear();
            break;
    }
    loadText_->setVisible(!found);
    if (found) {
        setWindowTitle("Factuur " + qText(invoiceLabel(model_->invoice())));
        drawHeader();
        drawLines();
        drawInspector();
        if (preview_->isVisibleTo(this)) preview_->refresh();
    }
    message_->setText(qText(model_->message()));
    message_->setVisible(!model_->message().empty());
    drawing_ = false;
}

void InvoiceEditorWindow::drawHeader() {
    const std::string customerId = model_->fieldText("customerId");
    customer_->clear();
    customer_->addItem("Geen klant", QString());
    for (const CustomerRecord& customer : context_.environment.repositories().customers.customers(false, ""))
        customer_->addItem(qText(customer.companyName), qText(customer.id));
    selectData(customer_, customerId);
    for (const auto& [field, edit] : textFields_) {
        const QString text = qText(model_->fieldText(field));
        if (edit->text() != text && !edit->hasFocus()) edit->setText(text);
        edit->setEnabled(model_->headerFieldEditable(field));
    }
    selectData(vatTreatment_, model_->fieldText("vatTreatment"));
    const std::optional<std::string>& templateId = model_->invoice().templateId;
    template_->clear();
    if (!templateId) template_->addItem("Automatisch", QString());  // by kind and the customer's language
    for (const InvoiceTemplateRecord& choice : TemplateChange::choices(
             model_->invoice(), context_.environment.repositories().organisation.invoiceTemplates()))
        template_->addItem(qText(choice.name), qText(choice.id));
    selectData(template_, templateId.value_or(""));
    template_->setEnabled(model_->contentEditable() && template_->count() > 1);
    ideal_->setChecked(model_->fieldText("idealEnabled") == "ja");
    portal_->setChecked(model_->fieldText("portalLinkEnabled") == "ja");
    customer_->setEnabled(model_->headerFieldEditable("customerId"));
    vatTreatment_->setEnabled(model_->headerFieldEditable("vatTreatment"));
    ideal_->setEnabled(model_->headerFieldEditable("idealEnabled"));
    portal_->setEnabled(model_->headerFieldEditable("portalLinkEnabled"));
}

void InvoiceEditorWindow::changeTemplate(const std::string& templateId) {
    template_->setEnabled(false);
    message_->setText("Bezig…");
    message_->show();
    QPointer<InvoiceEditorWindow> self(this);
    context_.worker->post([self, templateId, invoiceId = model_->invoiceId(),
                           &environment = context_.environment, main = context_.mainExecutor] {
        const std::optional<std::string> failure = TemplateChange::apply(environment, invoiceId, templateId);
        main->post([self, failure] {
            if (!self) return;
            // The pull after the change redraws the window by observation; a failure puts the old
            // choice back.
            self->message_->setText(qText(failure.value_or("")));
            self->message_->setVisible(failure.has_value());
            self->drawing_ = true;
            self->drawHeader();
            self->drawing_ = false;
        });
    });
}

void InvoiceEditorWindow::drawLines() {
    const auto& lines = model_->lines();
    const bool editable = model_->contentEditable();
    lines_->setRowCount(static_cast<int>(lines.size()));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int row = static_cast<int>(i);
        const std::string& id = lines[i].id;
        const bool fixed = lines[i].lineMode == "fixed";
        for (int column : {description, quantity, price, amount}) {
            auto* item = new QTableWidgetItem(qText(model_->lineText(id, fieldOf(column))));
            const bool applies = column == description || (column == amount) == fixed;
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (editable && applies) flags |= Qt::ItemIsEditable;
            item->setFlags(flags);
            if (column != description) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            lines_->setItem(row, column, item);
        }
        auto* modeBox = choiceBox(lineModeChoices());
        selectData(modeBox, lines[i].lineMode);
        auto* vatBox = choiceBox(lineVatChoices());
        selectData(vatBox, lines[i].vatTreatmentOverride.value_or(""));
        modeBox->setEnabled(editable);
        vatBox->setEnabled(editable);
        connect(modeBox, &QComboBox::activated, [this, id, modeBox](int index) {
            saveLineLater(id, "mode", modeBox->itemData(index).toString().toStdString());
        });
        connect(vatBox, &QComboBox::activated, [this, id, vatBox](int index) {
            saveLineLater(id, "vat", vatBox->itemData(index).toString().toStdString());
        });
        lines_->setCellWidget(row, mode, modeBox);
        lines_->setCellWidget(row, vat, vatBox);
        auto* total = new QTableWidgetItem(qText(context_.formats.money(model_->lineExclCents(i))));
        total->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        total->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        lines_->setItem(row, excl, total);
    }
    for (QWidget* widget : std::initializer_list<QWidget*>{newDescription_, newMode_, newQuantity_, newPrice_,
                                                           newVat_, addLine_, deleteLine_})
        widget->setEnabled(editable);

    const InvoiceEditorModel::Totals totals = model_->totals();
    const DisplayFormats& f = context_.formats;
    QString text = "Subtotaal: " + qText(f.money(totals.subtotalCents)) + "<br>";
    for (const auto& [treatment, group] : totals.groups)
        text += qText(vatGroupLabel(treatment)) + ": " + qText(f.money(group.vatCents)) + "<br>";
    text += "<b>Totaal: " + qText(f.money(totals.totalCents)) + "</b>";
    if (totals.paidCents != 0)
        text += "<br>Al betaald: " + qText(f.money(totals.paidCents)) +
                "<br>Openstaand: " + qText(f.money(totals.totalCents - totals.paidCents));
    totals_->setText(text);
}

void InvoiceEditorWindow::drawInspector() {
    const DraftInvoiceRecord& invoice = model_->invoice();
    number_->setText(qText(model_->numberText()));
    status_->setText("Status: " + qText(model_->statusText()));
    const auto next = model_->nextAction();
    nextAction_->setText(next ? qText(next->label) : QString());
    nextAction_->setVisible(next.has_value() && next->kind != NextActionKind::viewPdf &&
                            next->kind != NextActionKind::viewCredit);
    const bool draft = model_->contentEditable();
    send_->setText(draft ? "Versturen" : "Opnieuw versturen");
    send_->setEnabled(!invoice.deletedAt && (draft || awaitsPayment(invoice.status)));
    payment_->setEnabled(awaitsPayment(invoice.status));
    for (QAction* action : advanced_->menu()->actions()) {
        const QString text = action->text();
        if (text.contains("herinnering") || text == "Aanmaning")
            action->setEnabled(awaitsPayment(invoice.status));
        else if (text == qText(std::string(CancelSheet::kTitle)))
            action->setEnabled(!draft && CancelSheet::offered(invoice.status));
        else if (text == "Factuur verwijderen")
            action->setEnabled(draft);
        else if (!action->isSeparator())
            action->setEnabled(!draft);
    }
    timeline_->clear();
    if (model_->timeline().empty()) timeline_->addItem("Nog geen gebeurtenissen.");
    for (const auto& event : model_->timeline())
        timeline_->addItem(qText(context_.formats.date(event.occurredAt)) + "  " + qText(event.description));
}

void InvoiceEditorWindow::addLine() {
    if (drawing_) return;
    const std::string mode = newMode_->currentData().toString().toStdString();
    const bool fixed = mode == "fixed";
    const std::string priceOrAmount = newPrice_->text().toStdString();
    const bool added =
        model_->addLine({"", newDescription_->text().toStdString(), mode,
                         fixed ? "" : newQuantity_->text().toStdString(), fixed ? "" : priceOrAmount,
                         fixed ? priceOrAmount : "", newVat_->currentData().toString().toStdString()});
    if (!added) return;
    newDescription_->clear();
    newQuantity_->clear();
    newPrice_->clear();
    newDescription_->setFocus();
}

void InvoiceEditorWindow::lineEdited(QTableWidgetItem* item) {
    if (drawing_ || !item) return;
    const char* field = fieldOf(item->column());
    const auto row = static_cast<std::size_t>(item->row());
    if (!field || row >= model_->lines().size()) return;
    const std::string id = model_->lines()[row].id;
    const std::string text = item->text().toStdString();
    if (text != model_->lineText(id, field)) saveLineLater(id, field, text);
}

// The save redraws the table, which replaces the item or box whose signal is still being delivered;
// the save waits until that delivery is over.
void InvoiceEditorWindow::saveLineLater(std::string lineId, std::string field, std::string typed) {
    QMetaObject::invokeMethod(
        this,
        [this, lineId = std::move(lineId), field = std::move(field), typed = std::move(typed)] {
            model_->setLine(lineId, field, typed);
        },
        Qt::QueuedConnection);
}

void InvoiceEditorWindow::askForRate() {
    const auto& question = model_->rateQuestion();
    if (!question) return;
    const auto answer = QMessageBox::question(
        this, qText(std::string(InvoiceEditorModel::kRateQuestionTitle)), qText(question->text));
    if (answer == QMessageBox::Yes)
        model_->applyCustomerRate();
    else
        model_->declineCustomerRate();
}

void InvoiceEditorWindow::showSheet(QDialog* sheet) {
    connect(sheet, &QDialog::accepted, this, [this] { fetchFromService(); });
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->open();
}

void InvoiceEditorWindow::openSendSheet(InvoiceActionRules::SendMode mode, std::string reminderKind) {
    if (model_->loadState() != RecordLoadState::found) return;
    const std::optional<OrgSettingsRecord> settings =
        context_.environment.repositories().organisation.settings();
    showSheet(new SendSheetDialog(
        context_, SendSheet::open(model_->overview().detail, settings, mode, std::move(reminderKind)), this));
}

void InvoiceEditorWindow::openPaymentSheet() {
    if (model_->loadState() != RecordLoadState::found) return;
    const std::string today = formatTimestampSeconds(context_.environment.clock()->now()).substr(0, 10);
    showSheet(new PaymentSheetDialog(context_, PaymentSheet::open(model_->overview().detail, today), this));
}

void InvoiceEditorWindow::openPdfPreview() {
    if (model_->loadState() != RecordLoadState::found) return;
    auto* preview = new InvoicePdfPreviewDialog(context_, model_->invoiceId(), this);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->open();
}

void InvoiceEditorWindow::openActionSheet(int kind) {
    if (model_->loadState() != RecordLoadState::found) return;
    showSheet(new InvoiceActionSheetDialog(context_, static_cast<InvoiceActionSheetDialog::Kind>(kind),
                                           model_->invoiceId(), isOrgAdmin_, this));
}

// The advisor's step as the primary button.
void InvoiceEditorWindow::followNextAction() {
    const auto next = model_->nextAction();
    if (!next) return;
    switch (next->kind) {
        case NextActionKind::registerPayment:
        case NextActionKind::registerRemainder:
            openPaymentSheet();
            break;
        case NextActionKind::sendReminder1:
            openSendSheet(InvoiceActionRules::SendMode::reminder, "reminder_1");
            break;
        case NextActionKind::sendReminder2:
            openSendSheet(InvoiceActionRules::SendMode::reminder, "reminder_2");
            break;
        case NextActionKind::sendFinalNotice:
            openSendSheet(InvoiceActionRules::SendMode::reminder, "reminder_final");
            break;
        case NextActionKind::createCredit:
            openActionSheet(static_cast<int>(InvoiceActionSheetDialog::Kind::credit));
            break;
        case NextActionKind::viewPdf:
            openPdfPreview();
            break;
        case NextActionKind::viewCredit:
            break;
    }
}

void InvoiceEditorWindow::confirmDelete() {
    const auto answer = QMessageBox::question(this, qText(std::string(InvoiceEditorModel::kDeleteQuestion)),
                                              qText(std::string(InvoiceEditorModel::kDeleteQuestion)));
    if (answer == QMessageBox::Yes && model_->deleteInvoice()) accept();
}

// The timeline and the user's role are the service's; without a connection the inspector shows no
// timeline and reopening stays disabled.
void InvoiceEditorWindow::fetchFromService() {
    QPointer<InvoiceEditorWindow> self(this);
    context_.worker->post(
        [self, id = model_->invoiceId(), &environment = context_.environment, main = context_.mainExecutor] {
            std::vector<invoiceactions::NativeTimelineEvent> events;
            bool admin = false;
            try {
                for (const OrgMembership& membership : AccountAPI(environment.apiClient()).memberships())
                    if (membership.isCurrent)
                        admin = membership.role == "owner" || membership.role == "admin";
                events = invoiceactions::timeline(environment.apiClient(), id).events;
            } catch (const std::exception&) {
                // A draft the service does not hold yet has no timeline.
            }
            main->post([self, events = std::move(events), admin]() mutable {
                if (!self) return;
                self->isOrgAdmin_ = admin;
                self->model_->setTimeline(std::move(events));
            });
        });
}

}  // namespace zelvorin::ui
