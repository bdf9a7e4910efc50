// Sending invoices through the service: 1 000 drafts of the demo organisation are each given their
// number, drawn, kept and mailed into the outbox (one transaction each), against drawing the same
// 1 000 invoices alone from the same records. The target: per invoice, a send costs at most twice
// the drawing.
#include <chrono>
#include <string>
#include <vector>

#include "bench/support/RatioReporter.h"
#include "persistence/sqlite/Connection.h"
#include "service/invoices/InvoicePreviewActions.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/invoices/InvoiceRecordsSource.h"
#include "service/invoices/InvoiceSendActions.h"
#include "service/seed/DemoSeed.h"
#include "service/store/RecordWriter.h"
#include "service/store/ServiceDatabase.h"
#include "service/tests/DemoDraft.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;
using namespace std::chrono;

constexpr int kInvoices = 1000;
const TimePoint kNow = sys_days{year{2026} / March / 16} + hours{10};

struct Practice {
    testing::TempDir root;
    ServiceDatabase database{root / "data"};
    MailOutbox outbox{root / "data"};
    Caller caller{demoOwnerUserId(), demoOrganizationId(), "bench", "bench", std::nullopt};
    std::vector<std::string> drafts;

    Practice() {
        seedDemo(database, year{2026} / March / 16);
        database.write([&](Connection& db) {
            const Actor actor{ChangeSource::seed, std::nullopt, std::nullopt};
            for (int i = 0; i < kInvoices; ++i) {
                drafts.push_back("bench-" + std::to_string(i));
                writeDemoDraft(db, drafts.back(), 2, 40000, actor, kNow);
            }
        });
    }
};

Practice& practice() {
    static Practice shared;
    return shared;
}

void BM_DrawInvoiceAlone(benchmark::State& state) {
    Practice& p = practice();
    for (auto _ : state) {
        bench::timeIteration(state, [&] {
            for (const std::string& id : p.drafts) {
                // Drawn as the send draws it: numbered, with the payment code of its open balance.
                p.database.read([&](Connection& db) {
                    std::optional<InvoiceSource> read =
                        invoiceSourceFromRecords(db, demoOrganizationId(), id);
                    read->invoiceNumber = "FAC-2026-9999";
                    read->openCents = invoicerecords::openCents(
                        db, p.caller, id, invoicerecords::requireInvoice(db, p.caller, id).payload);
                    benchmark::DoNotOptimize(renderInvoicePdf(db, demoOrganizationId(), *read, kNow));
                });
            }
        });
    }
    state.counters["seconds_per_invoice"] =
        benchmark::Counter(static_cast<double>(kInvoices) * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_SendInvoice(benchmark::State& state) {
    Practice& p = practice();
    const SendInvoiceRequest request{
        "boekhouding@bakkerij-jansen.nl", "Factuur", "Beste klant,", std::nullopt, {}};
    for (auto _ : state) {
        bench::timeIteration(state, [&] {
            for (const std::string& id : p.drafts)
                benchmark::DoNotOptimize(sendInvoice(p.database, p.outbox, p.caller, id, request, kNow));
        });
    }
    state.counters["seconds_per_invoice"] =
        benchmark::Counter(static_cast<double>(kInvoices) * state.iterations(),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Drawing first: sending uses the drafts up.
BENCHMARK(BM_DrawInvoiceAlone)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_SendInvoice)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace
}  // namespace zelvorin::service

int main(int argc, char** argv) {
    return zelvorin::bench::runWithRatios(argc, argv, [](const zelvorin::bench::RatioReporter& reporter) {
        reporter.printRatio("BM_SendInvoice", "BM_DrawInvoiceAlone");
    });
}
