#include "ui/VatReturnView.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPointer>
#include <QVBoxLayout>

#include "screens/ErrorMessages.h"
#include "ui/TableSetup.h"

namespace zelvorin::ui {

VatReturnView::VatReturnView(SectionContext context, QWidget* parent)
    : SectionView(std::move(context), parent),
      year_(new QSpinBox),
      quarter_(new QComboBox),
      export_(new QPushButton("Exporteren…")),
      status_(new QLabel),
      model_(new RowTableModel<BtwQuarterPoint>(
          {{"Kwartaal", [](const BtwQuarterPoint& p) { return qText(p.kwartaalLabel); }},
           {"Te betalen",
            [f = context_.formats](const BtwQuarterPoint& p) { return qText(f.money(p.teBetalenCents)); },
            Qt::AlignRight | Qt::AlignVCenter},
           {"Te vorderen",
            [f = context_.formats](const BtwQuarterPoint& p) { return qText(f.money(p.teVorderenCents)); },
            Qt::AlignRight | Qt::AlignVCenter},
           {"Per saldo",
            [f = context_.formats](const BtwQuarterPoint& p) { return qText(f.money(p.perSaldoCents)); },
            Qt::AlignRight | Qt::AlignVCenter}},
          this)) {
    const QDate today = QDate::currentDate();
    year_->setRange(2000, today.year());
    year_->setValue(today.year());
    for (int q = 1; q <= 4; ++q)
        quarter_->addItem("Q" + QString::number(q));
    quarter_->setCurrentIndex((today.month() - 1) / 3);
    status_->setWordWrap(true);

    auto* exportRow = new QHBoxLayout;
    exportRow->addWidget(new QLabel("Overzicht van de dienst voor"));
    exportRow->addWidget(quarter_);
    exportRow->addWidget(year_);
    exportRow->addWidget(export_);
    exportRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel("<b>BTW over betaalde facturen, per kwartaal</b> (uit de gegevens op dit apparaat)"));
    layout->addWidget(listTable(model_, 0), 1);
    layout->addLayout(exportRow);
    layout->addWidget(status_);

    connect(export_, &QPushButton::clicked, [this] {
        exportQuarter(year_->value(), quarter_->currentIndex() + 1, [this](const ExportedFile& file) {
            const QString path = QFileDialog::getSaveFileName(
                this, "BTW-overzicht bewaren", QDir::home().filePath(qText(file.fileName)), "CSV (*.csv)");
            if (path.isEmpty()) return;
            QFile out(path);
            if (!out.open(QIODevice::WriteOnly) ||
                out.write(file.data.data(), static_cast<qint64>(file.data.size())) !=
                    static_cast<qint64>(file.data.size())) {
                status_->setText("Het bestand kon niet worden bewaard: " + out.errorString());
                return;
            }
            status_->setText("Bewaard als " + path + ".");
        });
    });
    reload();
}

void VatReturnView::reload() {
    model_->setRows(context_.environment.repositories().dashboardCharts.vatPerQuarter(ChartPeriod::alles));
}

void VatReturnView::exportQuarter(int year, int quarter, std::function<void(const ExportedFile&)> save) {
    export_->setEnabled(false);
    status_->setText("Overzicht ophalen…");
    QPointer<VatReturnView> self(this);
    context_.worker->post([=, &environment = context_.environment, main = context_.mainExecutor] {
        std::optional<ExportedFile> file;
        std::string failure;
        try {
            file = exportVatQuarter(environment.apiClient(), year, quarter);
        } catch (...) {
            failure = errorMessage(classifyCurrentException());
        }
        main->post([self, file = std::move(file), failure, save] {
            if (!self) return;
            self->export_->setEnabled(true);
            if (!file) {
                self->status_->setText(qText(failure));
                return;
            }
            self->status_->setText("Overzicht ontvangen: " + qText(file->fileName) + ".");
            save(*file);
        });
    });
}

}  // namespace zelvorin::ui
