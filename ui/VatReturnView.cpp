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
      returnStatus_(new QLabel),
      warnings_(new QLabel),
      status_(new QLabel),
      returnModel_(new RowTableModel<VatReturnRow>(
          {{"Rubriek", [](const VatReturnRow& r) { return qText(r.label); }},
           {"Omzet", [](const VatReturnRow& r) { return qText(r.omzet); }, Qt::AlignRight | Qt::AlignVCenter},
           {"Btw", [](const VatReturnRow& r) { return qText(r.btw); }, Qt::AlignRight | Qt::AlignVCenter}},
          this)),
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
    returnStatus_->setWordWrap(true);
    warnings_->setWordWrap(true);
    warnings_->setTextFormat(Qt::PlainText);

    auto* periodRow = new QHBoxLayout;
    periodRow->addWidget(new QLabel("<b>Aangifte van</b>"));
    periodRow->addWidget(quarter_);
    periodRow->addWidget(year_);
    periodRow->addWidget(export_);
    periodRow->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(periodRow);
    layout->addWidget(listTable(returnModel_, 0), 2);
    layout->addWidget(returnStatus_);
    layout->addWidget(warnings_);
    layout->addWidget(status_);
    layout->addWidget(
        new QLabel("<b>BTW over betaalde facturen, per kwartaal</b> (uit de gegevens op dit apparaat)"));
    layout->addWidget(listTable(model_, 0), 1);

    connect(quarter_, &QComboBox::currentIndexChanged, this, [this] { loadChosenQuarter(); });
    connect(year_, &QSpinBox::valueChanged, this, [this] { loadChosenQuarter(); });

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
    loadChosenQuarter();
}

void VatReturnView::loadChosenQuarter() {
    loadQuarter(year_->value(), quarter_->currentIndex() + 1);
}

void VatReturnView::loadQuarter(int year, int quarter) {
    returnStatus_->setText("Aangifte Q" + QString::number(quarter) + " " + QString::number(year) +
                           " ophalen…");
    const int generation = ++loadGeneration_;
    QPointer<VatReturnView> self(this);
    context_.worker->post([=, &environment = context_.environment, main = context_.mainExecutor] {
        std::optional<vatactions::BtwQuarterSummary> summary;
        std::string failure;
        try {
            summary = loadVatQuarter(environment.apiClient(), year, quarter);
        } catch (...) {
            failure = errorMessage(classifyCurrentException());
        }
        main->post([self, summary = std::move(summary), failure, year, quarter, generation] {
            // A quarter chosen since: its own answer is on the way.
            if (!self || generation != self->loadGeneration_) return;
            if (!summary) {
                self->returnStatus_->setText(qText(failure));
                return;
            }
            self->returnModel_->setRows(vatReturnRows(*summary));
            QString warnings;
            for (const std::string& warning : summary->warnings)
                warnings += "• " + qText(warning) + "\n";
            self->warnings_->setText(warnings.trimmed());
            self->returnStatus_->setText("Q" + QString::number(quarter) + " " + QString::number(year) +
                                         ", berekend door de dienst (" +
                                         (summary->basis == "kas" ? "kasstelsel" : "factuurstelsel") + ").");
        });
    });
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
