// Invoices on paper at volume: a 300-line invoice (about eight pages) stored in a database file,
// read, laid out and written as PDF, against an HTML-to-PDF renderer (weasyprint) making the
// same invoice from an equivalent HTML/CSS page in the same run.
//
//   BM_StoredInvoiceToPdf   records -> document -> layout -> PDF file (fonts and width cache warm)
//   BM_WeasyPrint           weasyprint invoice.html invoice.pdf, the whole process
//   BM_LayoutRun            the layout run alone, width cache warm; per page
//   BM_LayoutRunColdCache   the same with the width cache emptied before each run
//   BM_DrawPdf              drawing the laid-out pages as PDF; per page
//
// After the run: ours / weasyprint (target <= 0.1) and cold / warm layout.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>

#include "app/InvoiceSourceReader.h"
#include "bench/support/InvoiceHtml.h"
#include "bench/support/RatioReporter.h"
#include "bench/support/StudioInvoice.h"
#include "domain/Clock.h"
#include "layout/DocumentRenderer.h"
#include "layout/InvoicePdf.h"
#include "layout/LayoutEngine.h"
#include "layout/TextMeasurer.h"
#include "persistence/RecordStatements.h"
#include "testing/TempDir.h"

extern char** environ;

namespace zelvorin {
namespace {

constexpr int kLines = 300;
constexpr const char* kInvoiceId = "018cc251-f400-7000-8000-00000000b001";
constexpr const char* kOrganizationId = "018cc251-f400-7000-8000-0000000005e5";
const auto kToday = std::chrono::sys_days(std::chrono::year(2026) / 3 / 16);

// The database with the invoice, its customer, the organisation's settings and 300 lines of
// every mode, some with long descriptions that wrap.
struct StoredInvoice {
    testing::TempDir dir;
    AppDatabase database = AppDatabase::openFile(dir / "z.sqlite");

    StoredInvoice() {
        database.writer->write([](Connection& db) {
            bench::insertStudioAndCustomer(db, kOrganizationId);
            DraftInvoiceRecord invoice;
            invoice.id = kInvoiceId;
            invoice.organizationId = kOrganizationId;
            invoice.customerId = "klant-1";
            invoice.invoiceNumber = "FAC-2026-0300";
            invoice.status = "sent";
            invoice.issueDate = "2026-03-16";
            invoice.dueDate = "2026-04-15";
            invoice.vatTreatment = "nl_21";
            invoice.createdAt = invoice.updatedAt = "2026-03-16T09:00:00.000Z";
            insertRecord(db, invoice);
            for (int n = 0; n < kLines; ++n) {
                InvoiceLineRecord line = bench::mixedLine(n);
                line.id = "regel-" + std::to_string(n);
                line.invoiceId = kInvoiceId;
                line.sortOrder = n;
                line.createdAt = line.updatedAt = "2026-03-16T09:00:00.000Z";
                insertRecord(db, line);
            }
        });
    }

    InvoiceSource source() {
        InvoiceRepository invoices(database, std::make_shared<SystemClock>());
        return *readInvoiceSource(invoices, kInvoiceId);
    }
};

StoredInvoice& stored() {
    static StoredInvoice* invoice = new StoredInvoice;
    return *invoice;
}

const FontSet& fonts() {
    static const FontSet* set = new FontSet;
    return *set;
}

void BM_StoredInvoiceToPdf(benchmark::State& state) {
    const std::filesystem::path out = stored().dir / "ours.pdf";
    std::size_t pages = 0;
    for (auto _ : state) {
        bench::timeIteration(state, [&] {
            const RenderedInvoice rendered = renderInvoice(stored().source(), fonts(), kToday);
            std::ofstream(out, std::ios::binary | std::ios::trunc) << rendered.pdf;
            pages = rendered.laidOut.pages.size();
        });
    }
    state.counters["pages"] = static_cast<double>(pages);
}

void BM_WeasyPrint(benchmark::State& state) {
    const BuiltInvoiceDocument built = buildInvoiceDocument(stored().source());
    const std::filesystem::path html = stored().dir / "invoice.html";
    std::ofstream(html) << bench::invoiceHtml(built.document.content);
    std::string input = html.string(), output = (stored().dir / "weasyprint.pdf").string();
    std::string program = "/usr/bin/weasyprint";
    for (auto _ : state) {
        bench::timeIteration(state, [&] {
            char* argv[] = {program.data(), input.data(), output.data(), nullptr};
            posix_spawn_file_actions_t actions;
            posix_spawn_file_actions_init(&actions);
            posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
            pid_t pid = -1;
            if (posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ) != 0) {
                state.SkipWithError("weasyprint kon niet starten");
            } else {
                int status = 0;
                ::waitpid(pid, &status, 0);
                if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
                    state.SkipWithError("weasyprint mislukte");
            }
            posix_spawn_file_actions_destroy(&actions);
        });
    }
}

void layoutRun(benchmark::State& state, bool coldCache) {
    const BuiltInvoiceDocument built = buildInvoiceDocument(stored().source());
    const TextMeasurer measurer(fonts());
    std::size_t pages = 0;
    for (auto _ : state) {
        if (coldCache) TextWidthCache::shared().clear();
        bench::timeIteration(state,
                             [&] { pages = layoutDocument(built.document, measurer, kToday).pages.size(); });
    }
    state.counters["pages"] = static_cast<double>(pages);
    state.counters["per_page"] =
        benchmark::Counter(static_cast<double>(pages) * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_LayoutRun(benchmark::State& state) {
    layoutRun(state, false);
}
void BM_LayoutRunColdCache(benchmark::State& state) {
    layoutRun(state, true);
}

void BM_DrawPdf(benchmark::State& state) {
    const BuiltInvoiceDocument built = buildInvoiceDocument(stored().source());
    const LaidOutDocument laidOut = layoutDocument(built.document, TextMeasurer(fonts()), kToday);
    const DocumentRenderer renderer(fonts());
    for (auto _ : state) {
        bench::timeIteration(state, [&] { benchmark::DoNotOptimize(renderer.pdf(laidOut)); });
    }
    state.counters["per_page"] =
        benchmark::Counter(static_cast<double>(laidOut.pages.size()) * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

BENCHMARK(BM_StoredInvoiceToPdf)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);
BENCHMARK(BM_WeasyPrint)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(BM_LayoutRun)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(1.0);
BENCHMARK(BM_LayoutRunColdCache)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(1.0);
BENCHMARK(BM_DrawPdf)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(1.0);

}  // namespace
}  // namespace zelvorin

int main(int argc, char** argv) {
    return zelvorin::bench::runWithRatios(argc, argv, [](const zelvorin::bench::RatioReporter& reporter) {
        reporter.printRatio("BM_StoredInvoiceToPdf", "BM_WeasyPrint");
        reporter.printRatio("BM_LayoutRunColdCache", "BM_LayoutRun");
    });
}
