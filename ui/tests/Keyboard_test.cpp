// The desktop driven by keys alone, as a person who does not reach for the mouse would.
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/InvoiceEditorWindow.h"
#include "ui/InvoicesView.h"
#include "ui/tests/DesktopFixture.h"

namespace zelvorin {
namespace {

using testing::Desktop;
using testing::eventually;
using testing::ServiceProcess;

ui::InvoiceEditorWindow* openDialog(QWidget& owner) {
    for (auto* dialog : owner.findChildren<ui::InvoiceEditorWindow*>())
        if (dialog->isVisible()) return dialog;
    return nullptr;
}

TEST(KeyboardIntegrationTest, SectionsSearchNewInvoiceEnterAndEscapeAllWorkFromTheKeyboard) {
    ServiceProcess service(ServiceProcess::demo());
    Desktop desktop(service);
    ui::MainWindow& window = *desktop.window;
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    for (std::size_t i = 0; i < kAllMainSections.size(); ++i) {
        QTest::keyClick(&window, static_cast<Qt::Key>(Qt::Key_1 + i), Qt::ControlModifier);
        EXPECT_EQ(window.currentSection(), kAllMainSections[i]) << "Ctrl+" << i + 1;
        EXPECT_TRUE(window.section(kAllMainSections[i])->isVisible()) << "Ctrl+" << i + 1;
    }

    QTest::keyClick(&window, Qt::Key_2, Qt::ControlModifier);
    auto& invoices = *static_cast<ui::InvoicesView*>(window.section(MainSection::facturen));
    ASSERT_TRUE(eventually([&] { return invoices.model().rowCount() > 0; }));
    QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(QApplication::focusWidget(), invoices.searchField());

    // Enter opens the invoice the list is on; Escape closes it again.
    invoices.table().setFocus();
    invoices.table().setCurrentIndex(invoices.model().index(0, 0));
    QTest::keyClick(&invoices.table(), Qt::Key_Return);
    ui::InvoiceEditorWindow* detail = openDialog(invoices);
    ASSERT_NE(detail, nullptr);
    ASSERT_TRUE(eventually([&] { return detail->statusText().contains("Status:"); }));
    QTest::keyClick(detail, Qt::Key_Escape);
    ASSERT_TRUE(eventually([&] { return openDialog(invoices) == nullptr; }));

    // Ctrl+N makes a draft from any section and opens it. (The offscreen platform does not hand
    // activation back to the window when a dialog closes; a desktop does.)
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::keyClick(&window, Qt::Key_5, Qt::ControlModifier);
    ASSERT_EQ(window.currentSection(), MainSection::contacten);
    const std::size_t before = desktop.environment->repositories().invoices.list({}).size();
    QTest::keyClick(&window, Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(window.currentSection(), MainSection::facturen);
    EXPECT_EQ(desktop.environment->repositories().invoices.list({}).size(), before + 1);
    detail = openDialog(invoices);
    ASSERT_NE(detail, nullptr);
    QTest::keyClick(detail, Qt::Key_Escape);
    ASSERT_TRUE(eventually([&] { return openDialog(invoices) == nullptr; }));
}

}  // namespace
}  // namespace zelvorin
