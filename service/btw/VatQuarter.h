#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "domain/VatTreatment.h"

// The VAT return of one quarter, computed from plain facts so that it can be checked without a
// database. VatQuarterFacts.cpp gathers the facts from an organisation's records.
namespace zelvorin::service::btw {

// Invoice basis: turnover counts in the quarter of the invoice date. Cash basis: in the quarter in
// which it was paid, in proportion to what was paid.
enum class VatBasis { invoice, cash };

struct SalesLine {
    VatTreatment treatment = VatTreatment::nl21;
    std::int64_t exclCents = 0;  // negative on a credit note
    std::int64_t vatCents = 0;   // rounded per line
    bool goods = false;          // sold by quantity and unit price; hours and fixed amounts are services
};

struct Payment {
    std::string date;  // "yyyy-MM-dd"
    std::int64_t amountCents = 0;
};

// An invoice or credit note with a number.
struct SalesDocument {
    std::string id;
    std::string number;
    std::string issueDate;  // "yyyy-MM-dd"
    std::optional<std::string> sentDate;
    std::string customerName;
    std::string customerCountry;  // "NL", "BE", …
    std::string customerVatNumber;
    std::int64_t totalCents = 0;
    std::vector<SalesLine> lines;
    std::vector<Payment> payments;
};

// A business document of the inbox whose VAT was read.
struct CostDocument {
    std::string date;
    std::int64_t vatCents = 0;
};

// Money going out of a bank account.
struct OutgoingTransaction {
    std::string id;
    std::string date;
    std::int64_t amountCents = 0;  // positive
    std::string counterpartyName;
    std::optional<std::string> category;
    std::optional<int> vatRatePercent;
    bool hasDocument = false;  // linked to an inbox document
};

struct QuarterFacts {
    VatBasis basis = VatBasis::invoice;
    std::vector<SalesDocument> sales;
    std::vector<CostDocument> costDocuments;
    int uncategorisedDocuments = 0;  // read inbox documents nobody has filed yet
    std::vector<OutgoingTransaction> outgoing;
};

struct Rubriek {
    std::string label;
    std::int64_t omzetCents = 0;
    std::int64_t btwCents = 0;
    int invoiceCount = 0;
};

struct OtherCost {
    std::string transactionId;
    std::string counterpartyName;
    std::int64_t amountCents = 0;
    int vatRatePercent = 0;
    std::int64_t btwCents = 0;
    std::string transactionDate;
};

struct MissingDocument {
    std::string counterpartyName;
    std::int64_t amountCents = 0;
    std::string transactionDate;
};

// One customer's intra-EU supplies in the quarter, for the ICP return.
struct IcpEntry {
    std::string vatNumber;
    std::string customerName;
    std::string country;
    std::int64_t goodsCents = 0;
    std::int64_t servicesCents = 0;
};

// Turnover of the calendar year against the small-business scheme's limit.
struct KorMeter {
    int year = 0;
    std::int64_t turnoverCents = 0;
    std::int64_t limitCents = 0;
    int percent = 0;  // rounded down
};

struct QuarterSummary {
    int year = 0;
    int quarter = 0;
    VatBasis basis = VatBasis::invoice;
    Rubriek rubriek1a, rubriek1b, rubriek1e, verlegd;
    std::int64_t voorbelastingDocumentsCents = 0;
    std::int64_t voorbelastingOtherCostsCents = 0;
    std::int64_t totalOmzet = 0, totalBtwAf = 0, totalVoorbelasting = 0, perSaldo = 0;
    std::vector<std::string> warnings;
    std::vector<OtherCost> otherCosts;
    std::vector<MissingDocument> missingDocuments;
    std::vector<IcpEntry> icp;
    KorMeter kor;
};

// The quarter's first and last day, "yyyy-MM-dd".
std::string quarterFirstDay(int year, int quarter);
std::string quarterLastDay(int year, int quarter);

// True for a year and quarter the return can be made for (quarters 1–4 of 2000–2100).
bool isValidPeriod(int year, int quarter);

// `yearFacts` covers the whole calendar year of the quarter (for the KOR meter) and everything
// before it (for invoices of an earlier quarter that were sent late).
QuarterSummary computeQuarter(const QuarterFacts& yearFacts, int year, int quarter);

// The input VAT of an amount that includes VAT at `ratePercent`, rounded half up.
std::int64_t includedVatCents(std::int64_t amountInclCents, int ratePercent);

}  // namespace zelvorin::service::btw
