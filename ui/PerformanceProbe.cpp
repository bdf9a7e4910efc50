#include "ui/PerformanceProbe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

#include <algorithm>

#include "ui/InvoicesView.h"

namespace zelvorin::ui {

namespace {

void append(const QString& file, const QString& line) {
    QFile out(file);
    if (out.open(QIODevice::Append)) out.write((line + "\n").toUtf8());
}

// Runs the GUI thread's pending work one batch at a time until `done`; returns the longest batch.
template <class Done>
double longestBatchUntil(Done done, int limitMs = 10000) {
    QElapsedTimer total;
    total.start();
    double longest = 0;
    while (!done() && total.elapsed() < limitMs) {
        QElapsedTimer batch;
        batch.start();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        longest = std::max(longest, static_cast<double>(batch.nsecsElapsed()) / 1e6);
    }
    return longest;
}

void measure(InvoicesView& invoices, const QString& file) {
    QTableView& table = invoices.table();
    double scroll = 0;
    for (int step = 0; step < 60; ++step) {
        QElapsedTimer frame;
        frame.start();
        QScrollBar* bar = table.verticalScrollBar();
        bar->setValue(bar->value() + bar->pageStep());
        table.viewport()->repaint();
        scroll = std::max(scroll, static_cast<double>(frame.nsecsElapsed()) / 1e6);
    }
    double typing = 0;
    int deliveries = 0;
    QObject::connect(&invoices, &InvoicesView::listDelivered, [&deliveries] { ++deliveries; });
    for (const QChar c : QString("FAC-2024-0")) {
        const int before = deliveries;
        QElapsedTimer keystroke;
        keystroke.start();
        invoices.searchField()->insert(QString(c));
        typing = std::max(typing, static_cast<double>(keystroke.nsecsElapsed()) / 1e6);
        typing = std::max(typing, longestBatchUntil([&] { return deliveries > before; }));
        table.viewport()->repaint();
    }
    append(file, QString("scrollMaxMs %1").arg(scroll, 0, 'f', 2));
    append(file, QString("typingMaxMs %1").arg(typing, 0, 'f', 2));
    append(file, QString("searchRows %1").arg(invoices.model().rowCount()));
}

}  // namespace

void startPerformanceProbe(MainWindow& window, const QString& file) {
    QFile::remove(file);
    auto* poll = new QTimer(&window);
    poll->setInterval(1);
    QObject::connect(poll, &QTimer::timeout, [&window, file, poll] {
        if (!window.showsShell()) return;
        window.selectSection(MainSection::facturen);
        auto* invoices = static_cast<InvoicesView*>(window.section(MainSection::facturen));
        if (invoices->model().rowCount() == 0) return;
        poll->stop();
        invoices->table().viewport()->repaint();  // the first filled frame is on screen
        append(file, QString("filled %1").arg(invoices->model().rowCount()));
        measure(*invoices, file);
        QApplication::quit();
    });
    poll->start();
}

}  // namespace zelvorin::ui
