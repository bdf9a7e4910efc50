#include "ui/ScreenshotTour.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>

#include <functional>
#include <iostream>

#include "screens/BankReview.h"
#include "ui/BankView.h"
#include "ui/CustomersView.h"
#include "ui/InvoiceEditorWindow.h"
#include "ui/InvoiceSheetDialogs.h"
#include "ui/InvoicesView.h"
#include "ui/OnboardingView.h"
#include "ui/SchedulesView.h"

namespace zelvorin::ui {

namespace {

void save(QWidget& widget, const QString& folder, const QString& name) {
    const QString path = QDir(folder).filePath(name + ".png");
    if (!widget.grab().save(path))
        std::cerr << "Kon " << path.toStdString() << " niet bewaren.\n";
    else
        std::cout << path.toStdString() << "\n";
}

// Lets queued deliveries (observations, chart layout) land before a picture is taken.
void settle(int milliseconds) {
    QTimer wait;
    wait.setSingleShot(true);
    QEventLoop loop;
    QObject::connect(&wait, &QTimer::timeout, &loop, &QEventLoop::quit);
    wait.start(milliseconds);
    loop.exec();
}

// The editor of one invoice, then each sheet that a button or a menu entry opens, drawn one by one.
using SheetOpener = std::pair<QString, std::function<void(InvoiceEditorWindow&)>>;
SheetOpener button(QString name, QPushButton& (InvoiceEditorWindow::*which)()) {
    return {std::move(name), [which](InvoiceEditorWindow& editor) { (editor.*which)().click(); }};
}
SheetOpener menuEntry(QString name, QString text) {
    return {std::move(name), [text](InvoiceEditorWindow& editor) {
                if (QAction* action = editor.advancedAction(text)) action->trigger();
            }};
}

void drawEditor(InvoicesView& invoices, const std::string& id, const QString& folder, const QString& name,
                const std::vector<SheetOpener>& sheets) {
    invoices.openInvoice(id);
    settle(1500);  // the timeline comes from the service
    InvoiceEditorWindow* editor = nullptr;
    for (auto* open : invoices.findChildren<InvoiceEditorWindow*>())
        if (open->isVisible()) editor = open;
    if (!editor) return;
    save(*editor, folder, name);
    for (const auto& [sheetName, open] : sheets) {
        open(*editor);
        settle(300);
        for (auto* sheet : editor->findChildren<QDialog*>())
            if (sheet->isVisible()) {
                save(*sheet, folder, sheetName);
                sheet->close();
            }
    }
    editor->close();
    settle(100);
}

void tour(MainWindow& window, const QString& folder) {
    for (const MainSection section : kAllMainSections) {
        window.selectSection(section);
        settle(400);  // a section made now delivers its rows first
        if (section == MainSection::contacten) {
            static_cast<CustomersView*>(window.section(section))->select(0);
            settle(200);
        }
        if (section == MainSection::bank) {  // the payment still waiting, with the service's suggestion
            auto* bank = static_cast<BankView*>(window.section(section));
            for (int row = 0; row < bank->model().rowCount(); ++row)
                if (BankReview::offerFor(bank->model().row(row)).link) {
                    bank->table().selectRow(row);
                    break;
                }
            settle(800);
        }
        save(window, folder, QString::fromUtf8(sectionSlug(section).data(), sectionSlug(section).size()));
    }
    // The editor of the first schedule, with its days off and the public holidays (from the
    // service) and the next invoices it will make.
    auto* schedules = static_cast<SchedulesView*>(window.section(MainSection::autoFactuur));
    window.selectSection(MainSection::autoFactuur);
    if (schedules->model().rowCount() > 0) {
        QDialog* editor = schedules->openEditor(0);
        settle(1500);
        save(*editor, folder, "auto-factuur-schema");
        editor->close();
        settle(100);
    }
    auto* invoices = static_cast<InvoicesView*>(window.section(MainSection::facturen));
    window.selectSection(MainSection::facturen);
    // A draft in the editor, and a sent invoice with the sheets of its buttons open.
    const auto rowWith = [invoices](auto wanted) -> std::optional<std::string> {
        for (int row = 0; row < invoices->model().rowCount(); ++row)
            if (wanted(invoices->model().row(row).status)) return invoices->model().row(row).id;
        return std::nullopt;
    };
    if (auto draft = rowWith([](const std::string& status) { return status == "draft"; }))
        drawEditor(*invoices, *draft, folder, "factuur-concept", {});
    if (auto sent =
            rowWith([](const std::string& status) { return status == "sent" || status == "overdue"; }))
        drawEditor(*invoices, *sent, folder, "factuur",
                   {button("factuur-versturen", &InvoiceEditorWindow::sendButton),
                    button("factuur-betaling", &InvoiceEditorWindow::paymentButton),
                    menuEntry("factuur-creditnota", qText(std::string(CreditSheet::kTitle))),
                    menuEntry("factuur-annuleren", qText(std::string(CancelSheet::kTitle))),
                    menuEntry("factuur-heropenen", qText(std::string(ReopenSheet::kTitle)))});
}

// The new account's wizard on its second step, with a postcode it refuses, drawn at the window's
// size: a new device reaches it only from the browser's onboarding link.
void drawOnboarding(const MainWindow& window, const QString& folder) {
    using Field = OnboardingWizard::Field;
    OnboardingView view([](OnboardingRegistration) {});
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.resize(window.size());
    const auto fill = [&](Field field, const char* text) {
        view.field(field)->setText(text);
        view.wizard().set(field, text);
    };
    fill(Field::companyName, "Bakkerij de Vries");
    fill(Field::firstName, "Anna");
    fill(Field::lastName, "de Vries");
    view.wizard().next();
    fill(Field::kvkNumber, "12345678");
    fill(Field::vatNumber, "NL123456789B01");
    fill(Field::street, "Grote Markt 1");
    fill(Field::postcode, "97121");
    fill(Field::city, "Groningen");
    view.wizard().next();
    view.show();
    settle(300);
    save(view, folder, "account-aanmaken");
}

}  // namespace

void startScreenshotTour(MainWindow& window, AppEnvironment& environment, const QString& folder) {
    QDir().mkpath(folder);
    auto* poll = new QTimer(&window);
    poll->setInterval(200);
    const bool signInOnly = qEnvironmentVariable("ZELVORIN_AUTO_SIGNIN") != "1";
    QObject::connect(poll, &QTimer::timeout, [&window, &environment, folder, poll, signInOnly] {
        if (signInOnly) {
            // Without the automatic sign-in the picture is of the first screen a new device shows.
            if (environment.sessionState() != SessionState::signedOut) return;
            poll->stop();
            settle(300);
            save(window, folder, "aanmelden");
            drawOnboarding(window, folder);
            QApplication::quit();
            return;
        }
        const bool synced =
            std::holds_alternative<SyncDisplayStatus::Synced>(environment.syncStatus().value) &&
            environment.lastSuccessfulSync().has_value();
        if (!window.showsShell() || !synced) return;
        poll->stop();
        settle(500);
        tour(window, folder);
        QApplication::quit();
    });
    poll->start();
}

}  // namespace zelvorin::ui
