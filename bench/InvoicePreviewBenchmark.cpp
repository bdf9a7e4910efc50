// The editor's own preview while a user types: one line of a 50-line draft changed through the
// repository (the save every edit makes), then the invoice read back, laid out with its template
// and every page drawn into memory, as the window shows it. Against the layout run alone of the
// same invoice in the same run.
//
//   BM_EditToPreview   save a line change -> read -> document -> layout -> pages drawn (scale 1)
//   BM_PreviewOnly     the same without the save
//   BM_LayoutRun       the layout run alone, width cache warm
//
// After the run: edit-to-preview / layout run, and edit-to-preview in milliseconds (target <= 50).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "app/InvoiceSourceReader.h"
#include "bench/support/RatioReporter.h"
#include "bench/support/StudioInvoice.h"
#include "domain/Clock.h"
#include "layout/DefaultLayout.h"
#include "layout/LayoutEngine.h"
#include "persistence/RecordStatements.h"
#include "screens/LocalInvoicePreview.h"
#include "testing/TempDir.h"

namespace zelvorin {
namespace {

constexpr int kLines = 50;
constexpr const char* kOrganizationId = "018cc251-f400-7000-8000-0000000005e5";
const auto kToday = std::chrono::sys_days(std::chrono::year(2026) / 3 / 16);

struct EditedDraft {
    testing::TempDir dir;
    AppDatabase database = AppDatabase::openFile(dir / "z.sqlite");
    std::shared_ptr<SystemClock> clock = std::make_shared<SystemClock>();
    InvoiceRepository invoices{database, clock};
    OrgRepository organisation{database};
    FontSet fonts;
    std::string invoiceId;
    std::vector<InvoiceLineRecord> lines;

    EditedDraft() {
        database.writer->write([](Connection& db) {
            bench::insertStudioAndCustomer(db, kOrganizationId);
            InvoiceTemplateRecord standard;
            standard.id = "standaard";
            standard.orgId = kOrganizationId;
            standard.name = "Standaard";
            standard.config = std::string(defaultLayoutJson());
            standard.defaultFor = "invoice";
            standard.language = "nl";
            standard.createdAt = standard.updatedAt = "2026-03-16T09:00:00.000Z";
            insertRecord(db, standard);
        });
        invoiceId = invoices.createDraft("klant-1", "2026-03-16").id;
        for (int n = 0; n < kLines; ++n) {
            InvoiceLineRecord line = bench::mixedLine(n);
            line.invoiceId = invoiceId;
            lines.push_back(invoices.addLine(line, "nl_21"));
        }
    }
};

EditedDraft& draft() {
    static EditedDraft* stored = new EditedDraft;
    return *stored;
}

std::size_t preview() {
    const LocalInvoicePreview preview(draft().invoices, draft().organisation, draft().fonts);
    return preview.render(draft().invoiceId, kToday, 1.0)->pages.size();
}

void BM_EditToPreview(benchmark::State& state) {
    std::size_t pages = 0;
    long long typed = 0;
    for (auto _ : state) {
        InvoiceLineRecord& line = draft().lines[static_cast<std::size_t>(typed % kLines)];
        line.description = "Werkzaamheden, versie " + std::to_string(++typed);
        bench::timeIteration(state, [&] {
            line = draft().invoices.updateLine(line, "nl_21");
            pages = preview();
        });
    }
    state.counters["pages"] = static_cast<double>(pages);
}

void BM_PreviewOnly(benchmark::State& state) {
    for (auto _ : state)
        bench::timeIteration(state, [&] { benchmark::DoNotOptimize(preview()); });
}

void BM_LayoutRun(benchmark::State& state) {
    InvoiceSource source = *readInvoiceSource(draft().invoices, draft().invoiceId);
    source.templateConfig = std::string(defaultLayoutJson());
    const BuiltInvoiceDocument built = buildInvoiceDocument(source);
    const TextMeasurer measurer(draft().fonts);
    for (auto _ : state) {
        bench::timeIteration(
            state, [&] { benchmark::DoNotOptimize(layoutDocument(built.document, measurer, kToday)); });
    }
}

BENCHMARK(BM_EditToPreview)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);
BENCHMARK(BM_PreviewOnly)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(1.0);
BENCHMARK(BM_LayoutRun)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(1.0);

}  // namespace
}  // namespace zelvorin

int main(int argc, char** argv) {
    return zelvorin::bench::runWithRatios(argc, argv, [](const zelvorin::bench::RatioReporter& reporter) {
        reporter.printRatio("BM_EditToPreview", "BM_LayoutRun");
        reporter.printRatio("BM_PreviewOnly", "BM_LayoutRun");
        if (const auto edit = reporter.milliseconds.find("BM_EditToPreview");
            edit != reporter.milliseconds.end())
            std::printf("%-44s %.1f ms (target <= 50)\n", "BM_EditToPreview", edit->second);
    });
}
