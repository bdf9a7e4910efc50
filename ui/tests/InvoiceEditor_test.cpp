// One invoice from a new draft to paid, through the editor window and its sheets, against the real
// service; a second device pulls what the first one did.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>

#include <filesystem>
#include <fstream>

#include "api-client/TemplateActions.h"
#include "ui/InvoiceEditorWindow.h"
#include "ui/InvoicePdfPreviewDialog.h"
#include "ui/InvoiceSheetDialogs.h"
#include "ui/InvoicesView.h"
#include "ui/tests/DesktopFixture.h"

namespace zelvorin {
namespace {

using testing::Desktop;
using testing::eventually;
using testing::ServiceProcess;

template <class Window>
Window* shown(QWidget& owner) {
    for (auto* window : owner.findChildren<Window*>())
        if (window->isVisible()) return window;
    return nullptr;
}

// Whether a message in the service's outbox names `text` (an attachment's file name, say).
bool mailed(const ServiceProcess& service, const std::string& text) {
    for (const auto& entry : std::filesystem::directory_iterator(service.dataDir() / "service" / "outbox")) {
        std::ifstream in(entry.path(), std::ios::binary);
        if (std::string(std::istreambuf_iterator<char>(in), {}).find(text) != std::string::npos) return true;
    }
    return false;
}

std::size_t filesIn(const std::filesystem::path& folder) {
    if (!std::filesystem::exists(folder)) return 0;
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

void addLine(ui::InvoiceEditorWindow& editor, const QString& description, const QString& mode,
             const QString& quantity, const QString& price) {
    QTest::keyClicks(&editor.newLineDescription(), description);
    editor.newLineMode().setCurrentIndex(editor.newLineMode().findData(mode));
    editor.newLineQuantity().setText(quantity);
    editor.newLinePrice().setText(price);
    QTest::mouseClick(&editor.addLineButton(), Qt::LeftButton);
}

// Registers `amount` through the payment sheet and waits for the status it leads to.
void pay(ui::InvoiceEditorWindow& editor, const QString& amount, const QString& status) {
    QTest::mouseClick(&editor.paymentButton(), Qt::LeftButton);
    auto* sheet = shown<ui::PaymentSheetDialog>(editor);
    ASSERT_NE(sheet, nullptr);
    if (!amount.isEmpty()) sheet->amount().setText(amount);
    QTest::mouseClick(&sheet->registerButton(), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return shown<ui::PaymentSheetDialog>(editor) == nullptr; }))
        << sheet->errorText().toStdString();
    ASSERT_TRUE(eventually([&] { return editor.statusText() == "Status: " + status; }))
        << editor.statusText().toStdString();
}

// A sent invoice of the demo in the editor, once the first sync brought it; nothing without one.
ui::InvoiceEditorWindow* openSentInvoice(Desktop& desktop) {
    auto& invoices = desktop.section<ui::InvoicesView>(MainSection::facturen);
    if (!eventually([&] { return invoices.model().rowCount() > 0; })) return nullptr;
    for (const InvoiceListItem& item : desktop.environment->repositories().invoices.list({}))
        if (item.status == "sent") {
            invoices.openInvoice(item.id);
            return shown<ui::InvoiceEditorWindow>(invoices);
        }
    return nullptr;
}

TEST(InvoiceEditorIntegrationTest, ANewDraftIsEditedSentAndPaidAndASecondDevicePullsIt) {
    ServiceProcess service(ServiceProcess::demo());
    Desktop desktop(service);
    ui::MainWindow& window = *desktop.window;
    auto& invoices = desktop.section<ui::InvoicesView>(MainSection::facturen);
    ASSERT_TRUE(eventually([&] { return invoices.model().rowCount() > 0; }));

    // A second invoice template for "Sjabloon wijzigen", made on the service and synced.
    const auto templates = [&] {
        return desktop.environment->repositories().organisation.invoiceTemplates();
    };
    ASSERT_EQ(templates().size(), 1u);
    const std::string copyId =
        templateactions::duplicateTemplate(desktop.environment->apiClient(), templates()[0].id);
    window.syncNow();
    ASSERT_TRUE(eventually([&] { return templates().size() == 2; }));

    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
    ui::InvoiceEditorWindow* editor = shown<ui::InvoiceEditorWindow>(invoices);
    ASSERT_NE(editor, nullptr);
    InvoiceEditorModel& model = editor->model();
    EXPECT_EQ(editor->statusText(), "Status: Concept");
    const std::string id = model.invoiceId();

    const std::vector<CustomerRecord> customers =
        desktop.environment->repositories().customers.customers(false, "");
    ASSERT_FALSE(customers.empty());
    ASSERT_TRUE(model.setHeader("customerId", customers.front().id));
    // "Sjabloon wijzigen" sets the draft's template on the service; the change comes back by pull.
    const int copyIndex = editor->templateChoice().findData(ui::qText(copyId));
    ASSERT_GE(copyIndex, 0);
    editor->templateChoice().setCurrentIndex(copyIndex);
    emit editor->templateChoice().activated(copyIndex);
    ASSERT_TRUE(eventually([&] { return model.invoice().templateId == copyId; }))
        << editor->messageText().toStdString();
    addLine(*editor, "Ontwerp", "hours_rate", "1,5", "85,00");
    addLine(*editor, "Drukwerk", "qty_price", "3", "12,50");
    addLine(*editor, "Licentie", "fixed", "", "200,00");
    ASSERT_EQ(editor->linesTable().rowCount(), 3) << editor->messageText().toStdString();
    EXPECT_EQ(editor->linesTable().item(0, 6)->text(), "€ 127,50");
    EXPECT_TRUE(editor->totalsText().contains("Subtotaal: € 365,00"));

    // A change of the hours in the table, undone and redone by the keys.
    editor->linesTable().item(0, 2)->setText("2");
    ASSERT_TRUE(eventually([&] { return editor->linesTable().item(0, 6)->text() == "€ 170,00"; }));
    editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
    editor->linesTable().setFocus();
    ASSERT_TRUE(eventually([&] { return QApplication::focusWidget() == &editor->linesTable(); }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor->linesTable().item(0, 6)->text(), "€ 127,50");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(editor->linesTable().item(0, 6)->text(), "€ 170,00");
    const std::int64_t total = model.totals().totalCents;

    const std::size_t messagesBefore = filesIn(service.dataDir() / "service" / "outbox");
    QTest::mouseClick(&editor->sendButton(), Qt::LeftButton);
    auto* send = shown<ui::SendSheetDialog>(*editor);
    ASSERT_NE(send, nullptr);
    EXPECT_EQ(send->windowTitle(), "Factuur versturen");
    send->recipient().setText("boekhouding@example.nl");
    // The organisation's invoice mails are offered, and one chosen fills the message with its variables.
    // A Dutch customer's mail starts from the organisation's default Dutch invoice mail.
    ASSERT_TRUE(eventually([&] { return send->templateChoice().count() > 1; }));
    const QString dutch = send->body().toPlainText();
    EXPECT_TRUE(dutch.startsWith("Beste ") && dutch.contains("In de bijlage vind je factuur"))
        << dutch.toStdString();
    EXPECT_FALSE(dutch.contains("{"));
    const int other = send->templateChoice().currentIndex() == 1 ? 2 : 1;
    send->templateChoice().setCurrentIndex(other);
    emit send->templateChoice().activated(other);
    EXPECT_NE(send->body().toPlainText(), dutch);
    EXPECT_FALSE(send->body().toPlainText().contains("{"));
    EXPECT_FALSE(send->senderChoice().isVisible());  // no mailbox of its own: the service sends

    // Attachments: two 6 MB files are refused before any upload; a small one is uploaded and sent.
    testing::TempDir files;
    for (const char* name : {"a.pdf", "b.pdf"})
        std::ofstream(files.path() / name, std::ios::binary) << std::string(6 * 1024 * 1024, 'x');
    send->attachFiles(
        {ui::qText((files.path() / "a.pdf").string()), ui::qText((files.path() / "b.pdf").string())});
    EXPECT_EQ(send->errorText(), "Totale bestandsgrootte mag niet groter zijn dan 10 MB");
    EXPECT_EQ(send->attachmentList().count(), 0);
    std::ofstream(files.path() / "uren.pdf", std::ios::binary) << "%PDF-1.4\n%%EOF\n";
    send->attachFiles({ui::qText((files.path() / "uren.pdf").string())});
    ASSERT_TRUE(eventually([&] { return send->attachmentList().count() == 1; }))
        << send->errorText().toStdString();
    EXPECT_EQ(send->attachmentList().item(0)->text(), "uren.pdf · 0.0 MB");

    // The service's preview of the message as it will be sent.
    QTest::mouseClick(&send->previewButton(), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return !send->previewText().isEmpty(); }))
        << send->errorText().toStdString();
    EXPECT_TRUE(send->previewText().contains("Please find attached invoice"));
    QTest::mouseClick(&send->sendButton(), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return shown<ui::SendSheetDialog>(*editor) == nullptr; }))
        << send->errorText().toStdString();
    ASSERT_TRUE(eventually([&] { return editor->statusText() == "Status: Verzonden"; }))
        << editor->statusText().toStdString();
    EXPECT_EQ(filesIn(service.dataDir() / "service" / "outbox"), messagesBefore + 1);
    EXPECT_TRUE(mailed(service, "uren.pdf"));
    EXPECT_TRUE(eventually([&] { return !model.timeline().empty(); }));  // the service's account of the send
    QTest::mouseClick(&editor->pdfButton(), Qt::LeftButton);
    auto* preview = shown<ui::InvoicePdfPreviewDialog>(*editor);
    ASSERT_NE(preview, nullptr);
    EXPECT_EQ(preview->windowTitle(), "Factuur voorbeeld");
    ASSERT_TRUE(eventually([&] { return preview->pageCount() > 0; })) << preview->statusText().toStdString();
    preview->reject();
    EXPECT_NE(model.numberText(), "Nummer volgt bij verzenden");
    EXPECT_FALSE(model.contentEditable());
    EXPECT_FALSE(editor->addLineButton().isEnabled());

    pay(*editor, "100,00", "Deels betaald");
    pay(*editor, "", "Betaald");  // the sheet offers what is still open
    EXPECT_TRUE(editor->totalsText().contains("Openstaand: € 0,00"));

    // A credit note of part of it: the sheet says it comes by sync, and it does.
    editor->advancedAction("Maak credit factuur")->trigger();
    auto* credit = shown<ui::InvoiceActionSheetDialog>(*editor);
    ASSERT_NE(credit, nullptr);
    credit->firstField().setText("50,00");
    QTest::mouseClick(&credit->confirmButton(), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return !credit->doneText().isEmpty() || !credit->errorText().isEmpty(); }));
    EXPECT_EQ(credit->doneText(), "Creditnota aangemaakt — verschijnt na synchronisatie in je facturen.")
        << credit->errorText().toStdString();
    EXPECT_TRUE(desktop.environment->repositories().invoices.hasCreditNote(id));
    credit->reject();

    Desktop second(service);
    second.environment->syncNow();
    const std::optional<InvoiceDetail> pulled = second.environment->repositories().invoices.detail(id);
    ASSERT_TRUE(pulled);
    EXPECT_EQ(pulled->invoice.status, "paid");
    EXPECT_EQ(pulled->invoice.invoiceNumber, model.invoice().invoiceNumber);
    EXPECT_EQ(pulled->invoice.totalCents, total);
    EXPECT_EQ(pulled->lines.size(), 3u);
    EXPECT_EQ(pulled->payments.size(), 2u);
}

// Without the service the sheets say so in their own words and keep what was typed.
TEST(InvoiceEditorIntegrationTest, OfflineTheSendAndPaymentSheetsRefuseWithTheirNotices) {
    ServiceProcess service(ServiceProcess::demo());
    Desktop desktop(service);
    ui::InvoiceEditorWindow* editor = openSentInvoice(desktop);
    ASSERT_NE(editor, nullptr);
    const std::string id = editor->model().invoiceId();
    ASSERT_TRUE(eventually([&] { return editor->paymentButton().isEnabled(); }));
    service.stop();

    QTest::mouseClick(&editor->paymentButton(), Qt::LeftButton);
    auto* payment = shown<ui::PaymentSheetDialog>(*editor);
    ASSERT_NE(payment, nullptr);
    payment->amount().setText("10,00");
    QTest::mouseClick(&payment->registerButton(), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return !payment->errorText().isEmpty(); }));
    EXPECT_EQ(payment->errorText(), "Betaling registreren vereist een internetverbinding.");
    EXPECT_EQ(payment->amount().text(), "10,00");
    // Now the device knows it is offline, the next click is refused before any attempt.
    QTest::mouseClick(&payment->registerButton(), Qt::LeftButton);
    EXPECT_EQ(payment->errorText(), "Betaling registreren vereist een internetverbinding.");
    EXPECT_TRUE(payment->registerButton().isEnabled());
    payment->reject();

    QTest::mouseClick(&editor->sendButton(), Qt::LeftButton);
    auto* send = shown<ui::SendSheetDialog>(*editor);
    ASSERT_NE(send, nullptr);
    QTest::mouseClick(&send->sendButton(), Qt::LeftButton);
    EXPECT_EQ(send->errorText(), "Versturen vereist een internetverbinding.");
    EXPECT_TRUE(desktop.environment->repositories().invoices.detail(id)->payments.empty());
}

// Cancelling a sent invoice of the demo and taking it back to draft, through the sheets' checks.
TEST(InvoiceEditorIntegrationTest, ASentInvoiceIsCancelledAndReopenedThroughItsSheets) {
    ServiceProcess service(ServiceProcess::demo());
    Desktop desktop(service);
    ui::InvoiceEditorWindow* editor = openSentInvoice(desktop);
    ASSERT_NE(editor, nullptr);
    const std::string id = editor->model().invoiceId();
    ASSERT_EQ(editor->statusText(), "Status: Verzonden");
    EXPECT_FALSE(editor->advancedAction("Factuur verwijderen")->isEnabled());

    // A first reminder from the advanced actions goes out as a message of its own.
    const std::size_t messagesBefore = filesIn(service.dataDir() / "service" / "outbox");
    editor->advancedAction("1e herinnering")->trigger();
    auto* reminder = shown<ui::SendSheetDialog>(*editor);
    ASSERT_NE(reminder, nullptr);
    EXPECT_EQ(reminder->windowTitle(), "1e herinnering versturen");
    reminder->recipient().setText("boekhouding@example.nl");
    QTest::mouseClick(&reminder->sendButton(), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return shown<ui::SendSheetDialog>(*editor) == nullptr; }))
        << reminder->errorText().toStdString();
    EXPECT_EQ(filesIn(service.dataDir() / "service" / "outbox"), messagesBefore + 1);
    EXPECT_TRUE(eventually([&] { return editor->model().overview().detail.reminders.size() == 1; }));

    editor->advancedAction("Factuur annuleren")->trigger();
    auto* cancel = shown<ui::InvoiceActionSheetDialog>(*editor);
    ASSERT_NE(cancel, nullptr);
    cancel->firstField().setText("Dubbel gefactureerd");
    cancel->confirmField()->setText("annuleer");
    QTest::mouseClick(&cancel->confirmButton(), Qt::LeftButton);
    EXPECT_EQ(cancel->errorText(), "Type exact ANNULEER om de annulering te bevestigen.");
    cancel->confirmField()->setText("ANNULEER");
    QTest::mouseClick(&cancel->confirmButton(), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return shown<ui::InvoiceActionSheetDialog>(*editor) == nullptr; }))
        << cancel->errorText().toStdString();
    ASSERT_TRUE(eventually([&] { return editor->statusText() == "Status: Geannuleerd"; }));
    EXPECT_FALSE(editor->advancedAction("Factuur annuleren")->isEnabled());

    editor->advancedAction("Heropenen")->trigger();
    auto* reopen = shown<ui::InvoiceActionSheetDialog>(*editor);
    ASSERT_NE(reopen, nullptr);
    reopen->firstField().setText("Bedrag klopte niet");
    QTest::mouseClick(&reopen->confirmButton(), Qt::LeftButton);
    ASSERT_TRUE(eventually([&] { return shown<ui::InvoiceActionSheetDialog>(*editor) == nullptr; }))
        << reopen->errorText().toStdString();
    ASSERT_TRUE(eventually([&] { return editor->statusText() == "Status: Concept"; }));
    EXPECT_TRUE(editor->model().contentEditable());
}

TEST(InvoiceEditorIntegrationTest, ThePreviewBesideTheEditorFollowsEverySavedChange) {
    ServiceProcess service(ServiceProcess::demo());
    Desktop desktop(service);
    auto& invoices = desktop.section<ui::InvoicesView>(MainSection::facturen);
    ASSERT_TRUE(eventually([&] { return invoices.model().rowCount() > 0; }));
    const std::vector<CustomerRecord> customers =
        desktop.environment->repositories().customers.customers(false, "");
    ASSERT_FALSE(customers.empty());
    const DraftInvoiceRecord draft =
        desktop.environment->repositories().invoices.createDraft(customers.front().id, "2026-03-16");
    invoices.openInvoice(draft.id);
    ui::InvoiceEditorWindow* editor = shown<ui::InvoiceEditorWindow>(invoices);
    ASSERT_NE(editor, nullptr);
    ui::InvoiceLivePreview& preview = editor->livePreview();
    if (preview.isHidden()) {  // a screen too narrow for it: the button shows it
        EXPECT_EQ(editor->previewToggle().text(), "Voorbeeld tonen");
        QTest::mouseClick(&editor->previewToggle(), Qt::LeftButton);
    }
    ASSERT_TRUE(eventually([&] { return preview.pageCount() == 1; }));
    // The demo's own template fits a Dutch customer's invoice: nothing to warn about.
    EXPECT_EQ(preview.noticeText(), "");

    int drawn = 0;
    preview.setOnDrawn([&] { ++drawn; });
    for (int i = 0; i < 45; ++i)
        ASSERT_TRUE(editor->model().addLine(
            {"", "Uren week " + std::to_string(i + 1), "hours_rate", "8", "85,00", "", ""}));
    // Forty-five saves in a row are folded into a few drawings, the last of them complete.
    ASSERT_TRUE(eventually([&] { return preview.pageCount() >= 2; }));
    EXPECT_LT(drawn, 45);

    QTest::mouseClick(&editor->previewToggle(), Qt::LeftButton);
    EXPECT_TRUE(preview.isHidden());  // and a saved change draws nothing while it is
    drawn = 0;
    ASSERT_TRUE(editor->model().addLine({"", "Reiskosten", "fixed", "", "", "40", ""}));
    QTest::qWait(200);
    EXPECT_EQ(drawn, 0);
    EXPECT_EQ(editor->previewToggle().text(), "Voorbeeld tonen");
    QTest::mouseClick(&editor->previewToggle(), Qt::LeftButton);
    EXPECT_TRUE(preview.isVisible());
}

}  // namespace
}  // namespace zelvorin
