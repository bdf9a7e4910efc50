// Importing a bank statement: a CAMT.053 file of 10 000 entries into an organisation with 10 000
// open invoices, every incoming entry naming one of them (half with the whole open amount, so
// linked and paid; a quarter with less, left for review; a quarter money going out), against
// reading the same file with the same XML parser and nothing else. The target: the import costs at
// most five times the bare parse, so matching may not grow with entries times invoices.
#include <libxml/parser.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "bench/support/RatioReporter.h"
#include "domain/Timestamps.h"
#include "persistence/sqlite/Connection.h"
#include "service/bank/BankImportActions.h"
#include "service/seed/DemoSeed.h"
#include "service/store/RecordWriter.h"
#include "service/store/Records.h"
#include "service/store/RequestAudit.h"
#include "service/store/ServiceDatabase.h"
#include "testing/TempDir.h"

namespace zelvorin::service {
namespace {

using Json = nlohmann::ordered_json;
using namespace std::chrono;

constexpr int kEntries = 10000;
constexpr int kInvoices = 10000;
const TimePoint kNow = sys_days{year{2026} / March / 16} + hours{10};

std::string invoiceNumber(int n) {
    char text[32];
    std::snprintf(text, sizeof text, "BNK-2026-%05d", n);
    return text;
}
std::int64_t invoiceTotal(int n) {
    return 10000 + 7 * n;
}

std::string amount(std::int64_t cents) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%02lld", static_cast<long long>(cents / 100),
                  static_cast<long long>(cents % 100));
    return text;
}

std::string statement() {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:camt.053.001.02\"><BkToCstmrStmt>"
        "<GrpHdr><MsgId>BENCH</MsgId><CreDtTm>2026-03-15T22:00:00</CreDtTm></GrpHdr><Stmt><Id>BENCH</Id>"
        "<Acct><Id><IBAN>NL03RABO0312456789</IBAN></Id><Ccy>EUR</Ccy></Acct>\n";
    for (int i = 0; i < kEntries; ++i) {
        const bool out = i % 4 == 3;
        const bool whole = i % 2 == 0;
        const std::int64_t cents = out ? 1234 + i : whole ? invoiceTotal(i) : invoiceTotal(i) / 2;
        xml +=
            "<Ntry><Amt Ccy=\"EUR\">" + amount(cents) + "</Amt><CdtDbtInd>" + (out ? "DBIT" : "CRDT") +
            "</CdtDbtInd><Sts>BOOK</Sts><BookgDt><Dt>2026-03-1" + std::to_string(i % 6) +
            "</Dt></BookgDt><ValDt><Dt>2026-03-1" + std::to_string(i % 6) +
            "</Dt></ValDt><AcctSvcrRef>BENCH-" + std::to_string(i) +
            "</AcctSvcrRef><BkTxCd><Domn><Cd>PMNT</Cd><Fmly><Cd>RCDT</Cd><SubFmlyCd>ESCT</SubFmlyCd></Fmly>"
            "</Domn></BkTxCd><NtryDtls><TxDtls><Refs><EndToEndId>NOTPROVIDED</EndToEndId></Refs><RltdPties>" +
            (out ? "<Cdtr><Nm>Leverancier " + std::to_string(i) +
                       "</Nm></Cdtr><CdtrAcct><Id><IBAN>NL39SNSB2010000000</IBAN></Id></CdtrAcct>"
                 : "<Dbtr><Nm>Klant " + std::to_string(i) +
                       "</Nm></Dbtr><DbtrAcct><Id><IBAN>NL91ABNA0417164300</IBAN></Id></DbtrAcct>") +
            "</RltdPties><RmtInf><Ustrd>" +
            (out ? "Inkoop " + std::to_string(i) : "Betaling " + invoiceNumber(i)) +
            "</Ustrd></RmtInf></TxDtls></NtryDtls></Ntry>\n";
    }
    return xml + "</Stmt></BkToCstmrStmt></Document>\n";
}

const std::string& statementXml() {
    static const std::string xml = statement();
    return xml;
}

// The demo organisation with kInvoices sent invoices, each open for its whole total.
struct Organisation {
    testing::TempDir root;
    ServiceDatabase database{root / "data"};
    Caller caller{demoOwnerUserId(), demoOrganizationId(), "bench", "bench", std::nullopt};

    Organisation() {
        seedDemo(database, year{2026} / March / 16);
        database.write([&](Connection& db) {
            const std::string customer =
                records::all(db, demoOrganizationId(), std::string("customer"))[0].id;
            const Actor actor{ChangeSource::seed, std::nullopt, std::nullopt};
            for (int n = 0; n < kInvoices; ++n) {
                const std::string id = "bank-bench-" + std::to_string(n);
                const std::int64_t total = invoiceTotal(n);
                writeRecord(db, {demoOrganizationId(), SyncEntityType::draftInvoice, id, RecordOperation::put,
                                 Json{{"id", id},
                                      {"organizationId", demoOrganizationId()},
                                      {"customerId", customer},
                                      {"invoiceNumber", invoiceNumber(n)},
                                      {"status", "sent"},
                                      {"issueDate", "2026-03-01"},
                                      {"dueDate", "2026-03-31"},
                                      {"vatTreatment", "nl_21"},
                                      {"subtotalCents", total * 100 / 121},
                                      {"vatCents", total - total * 100 / 121},
                                      {"totalCents", total},
                                      {"sentAt", "2026-03-01T09:00:00.000Z"},
                                      {"createdAt", "2026-03-01T09:00:00.000Z"},
                                      {"updatedAt", "2026-03-01T09:00:00.000Z"}},
                                 kNow, actor, std::nullopt});
            }
        });
    }
};

void freeDocument(xmlDoc* document) {
    xmlFreeDoc(document);
}

void BM_ParseStatementAlone(benchmark::State& state) {
    const std::string& xml = statementXml();
    const int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT;
    for (auto _ : state) {
        bench::timeIteration(state, [&] {
            std::unique_ptr<xmlDoc, decltype(&freeDocument)> document(
                xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "statement.xml", nullptr, options),
                &freeDocument);
            benchmark::DoNotOptimize(document.get());
        });
    }
    state.counters["megabytes"] = static_cast<double>(xml.size()) / (1024.0 * 1024.0);
}

void BM_ImportStatementWithMatching(benchmark::State& state) {
    const std::string& xml = statementXml();
    for (auto _ : state) {
        state.PauseTiming();
        auto organisation = std::make_unique<Organisation>();
        state.ResumeTiming();
        BankImportOutcome outcome;
        bench::timeIteration(state, [&] {
            // As the route runs it: the import is one audited action, not one entry per record.
            const Caller& caller = organisation->caller;
            const RequestAudit audit(
                AuditedRequest{AuditKind::perRequest, "bank.import", "bank", "",
                               AuditIdentity{caller.organizationId, caller.userId, caller.deviceId},
                               std::nullopt, formatTimestampMillis(kNow)});
            outcome = importStatement(organisation->database, organisation->caller, xml, kNow);
        });
        state.counters["imported"] = outcome.imported;
        state.counters["matched"] = outcome.matched;
        state.PauseTiming();
        organisation.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_ParseStatementAlone)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_ImportStatementWithMatching)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);

}  // namespace
}  // namespace zelvorin::service

int main(int argc, char** argv) {
    return zelvorin::bench::runWithRatios(argc, argv, [](const zelvorin::bench::RatioReporter& reporter) {
        reporter.printRatio("BM_ImportStatementWithMatching", "BM_ParseStatementAlone");
    });
}
