#include "service/btw/VatQuarter.h"

#include <algorithm>
#include <array>
#include <map>
#include <string_view>

#include "domain/BankIgnoreRuleMatching.h"
#include "domain/Money.h"

namespace zelvorin::service::btw {

namespace {

// The small-business scheme (KOR) exempts a year's turnover up to this limit; the meter warns from
// 80 % on, early enough to decide before the limit is passed mid-quarter.
constexpr std::int64_t kKorLimitCents = 20000'00;
constexpr int kKorWarningPercent = 80;

// Bank categories that are not purchases: moving money between own accounts, private spending,
// paying taxes and what a bank rule set aside carry no input VAT and need no document.
bool isPurchaseCategory(const std::string& category) {
    return category != "overboeking" && category != BankIgnoreRuleMatching::kInternalTransferCategory &&
           category != "prive" && category != "belastingen" && category != "omzet" && category != "genegeerd";
}

struct Period {
    std::string first, last;  // "yyyy-MM-dd", inclusive

    bool holds(const std::string& date) const {
        const std::string day = date.substr(0, 10);
        return day >= first && day <= last;
    }
};

// Two amounts in cents multiplied can leave 64 bits before the division brings them back.
__extension__ using Wide = __int128;

// a × b / c rounded half away from zero, for the part of a rubriek that a payment covers.
std::int64_t share(std::int64_t amount, std::int64_t paid, std::int64_t total) {
    const Wide product = static_cast<Wide>(amount) * paid;
    const Wide half = total / 2;
    const Wide rounded = product >= 0 ? (product + half) / total : (product - half) / total;
    return static_cast<std::int64_t>(rounded);
}

Rubriek& rubriekOf(QuarterSummary& summary, VatTreatment treatment) {
    switch (treatment) {
        case VatTreatment::nl21:
            return summary.rubriek1a;
        case VatTreatment::nl9:
            return summary.rubriek1b;
        case VatTreatment::nl0:
            return summary.rubriek1e;
        case VatTreatment::verlegd:
            return summary.verlegd;
    }
    return summary.rubriek1a;
}

// The other member states: only supplies to a business in one of these belong on the ICP return
// (a customer elsewhere is an export, which has no such return).
bool isOtherMemberState(std::string_view country) {
    static constexpr std::array<std::string_view, 26> kMemberStates{
        "AT", "BE", "BG", "CY", "CZ", "DE", "DK", "EE", "ES", "FI", "FR", "GR", "HR",
        "HU", "IE", "IT", "LT", "LU", "LV", "MT", "PL", "PT", "RO", "SE", "SI", "SK"};
    return std::ranges::find(kMemberStates, country) != kMemberStates.end();
}

bool isIntraEu(const SalesDocument& document) {
    return !document.customerVatNumber.empty() && isOtherMemberState(document.customerCountry);
}

// Adds `fraction` (paid of total; 1 of 1 for the whole document) of the document's lines to the
// rubrieken and, for reverse-charged lines to an EU customer, to the ICP list.
void addDocument(QuarterSummary& summary, std::map<std::string, IcpEntry>& icp, const SalesDocument& document,
                 std::int64_t paid, std::int64_t total) {
    std::map<VatTreatment, std::pair<std::int64_t, std::int64_t>> groups;
    std::int64_t goods = 0, services = 0;
    for (const SalesLine& line : document.lines) {
        groups[line.treatment].first += line.exclCents;
        groups[line.treatment].second += line.vatCents;
        if (line.treatment == VatTreatment::verlegd) (line.goods ? goods : services) += line.exclCents;
    }
    for (const auto& [treatment, amounts] : groups) {
        Rubriek& rubriek = rubriekOf(summary, treatment);
        rubriek.omzetCents += share(amounts.first, paid, total);
        rubriek.btwCents += treatment == VatTreatment::verlegd ? 0 : share(amounts.second, paid, total);
        ++rubriek.invoiceCount;
    }
    if ((goods != 0 || services != 0) && isIntraEu(document)) {
        IcpEntry& entry = icp[document.customerVatNumber];
        entry.vatNumber = document.customerVatNumber;
        entry.customerName = document.customerName;
        entry.country = document.customerCountry;
        entry.goodsCents += share(goods, paid, total);
        entry.servicesCents += share(services, paid, total);
    }
}

void addSales(QuarterSummary& summary, const QuarterFacts& facts, const Period& period) {
    std::map<std::string, IcpEntry> icp;
    for (const SalesDocument& document : facts.sales) {
        if (facts.basis == VatBasis::invoice || document.totalCents <= 0) {
            // A credit note returns nothing that could be "paid": it counts when it is dated.
            if (period.holds(document.issueDate)) addDocument(summary, icp, document, 1, 1);
            continue;
        }
        for (const Payment& payment : document.payments) {
            if (period.holds(payment.date))
                addDocument(summary, icp, document, payment.amountCents, document.totalCents);
        }
    }
    for (auto& [vatNumber, entry] : icp)
        summary.icp.push_back(std::move(entry));
}

void addLateInvoiceWarnings(QuarterSummary& summary, const QuarterFacts& facts, const Period& period) {
    if (facts.basis != VatBasis::invoice) return;
    for (const SalesDocument& document : facts.sales) {
        if (!document.sentDate || document.issueDate.substr(0, 10) >= period.first ||
            !period.holds(*document.sentDate))
            continue;
        summary.warnings.push_back("Factuur " + document.number + " is gedateerd " +
                                   document.issueDate.substr(0, 10) + " maar pas op " +
                                   document.sentDate->substr(0, 10) +
                                   " verstuurd: de btw hoort bij het kwartaal van de factuurdatum. "
                                   "Is die aangifte al gedaan, corrigeer haar dan met een suppletie.");
    }
}

void addCosts(QuarterSummary& summary, const QuarterFacts& facts, const Period& period) {
    for (const CostDocument& document : facts.costDocuments) {
        if (period.holds(document.date)) summary.voorbelastingDocumentsCents += document.vatCents;
    }
    std::int64_t missingCents = 0;
    for (const OutgoingTransaction& transaction : facts.outgoing) {
        if (transaction.hasDocument || !period.holds(transaction.date)) continue;
        if (!transaction.category) {
            summary.missingDocuments.push_back(
                {transaction.counterpartyName, transaction.amountCents, transaction.date.substr(0, 10)});
            missingCents += transaction.amountCents;
            continue;
        }
        if (!isPurchaseCategory(*transaction.category)) continue;
        const int rate = transaction.vatRatePercent.value_or(21);
        const std::int64_t vat = includedVatCents(transaction.amountCents, rate);
        summary.otherCosts.push_back({transaction.id, transaction.counterpartyName, transaction.amountCents,
                                      rate, vat, transaction.date.substr(0, 10)});
        summary.voorbelastingOtherCostsCents += vat;
    }
    if (!summary.missingDocuments.empty()) {
        summary.warnings.push_back(std::to_string(summary.missingDocuments.size()) +
                                   " uitgaande betaling(en) zonder bon of factuur, samen " +
                                   formatEuro(missingCents) +
                                   ": zonder document is de btw erop niet aftrekbaar.");
    }
    if (facts.uncategorisedDocuments > 0) {
        summary.warnings.push_back(std::to_string(facts.uncategorisedDocuments) +
                                   " document(en) in Kvitra wacht(en) nog op een categorie en tellen niet "
                                   "mee als voorbelasting.");
    }
}

KorMeter korMeter(const QuarterFacts& facts, int year) {
    QuarterSummary wholeYear;
    std::map<std::string, IcpEntry> ignored;
    const Period period{std::to_string(year) + "-01-01", std::to_string(year) + "-12-31"};
    for (const SalesDocument& document : facts.sales) {
        if (period.holds(document.issueDate)) addDocument(wholeYear, ignored, document, 1, 1);
    }
    // Only turnover taxed in the Netherlands counts towards the limit.
    const std::int64_t turnover =
        wholeYear.rubriek1a.omzetCents + wholeYear.rubriek1b.omzetCents + wholeYear.rubriek1e.omzetCents;
    return {year, turnover, kKorLimitCents,
            static_cast<int>(std::max<std::int64_t>(0, turnover) * 100 / kKorLimitCents)};
}

void addOutlookWarnings(QuarterSummary& summary) {
    if (summary.kor.percent >= 100) {
        summary.warnings.push_back("KOR: de omzet van " + std::to_string(summary.kor.year) + " is " +
                                   formatEuro(summary.kor.turnoverCents) + ", boven de grens van " +
                                   formatEuro(summary.kor.limitCents) + " van de kleineondernemersregeling.");
    } else if (summary.kor.percent >= kKorWarningPercent) {
        summary.warnings.push_back("KOR: de omzet van " + std::to_string(summary.kor.year) + " is " +
                                   formatEuro(summary.kor.turnoverCents) + ", " +
                                   std::to_string(summary.kor.percent) + " % van de grens van " +
                                   formatEuro(summary.kor.limitCents) + " van de kleineondernemersregeling.");
    }
    if (!summary.icp.empty()) {
        std::int64_t goods = 0, services = 0;
        for (const IcpEntry& entry : summary.icp) {
            goods += entry.goodsCents;
            services += entry.servicesCents;
        }
        summary.warnings.push_back("ICP-opgaaf: " + std::to_string(summary.icp.size()) +
                                   " afnemer(s) in de EU, goederen " + formatEuro(goods) + ", diensten " +
                                   formatEuro(services) + ".");
    }
}

}  // namespace

std::string quarterFirstDay(int year, int quarter) {
    const int month = quarter * 3 - 2;
    return std::to_string(year) + "-" + (month < 10 ? "0" : "") + std::to_string(month) + "-01";
}

std::string quarterLastDay(int year, int quarter) {
    static constexpr const char* kLastDay[] = {"03-31", "06-30", "09-30", "12-31"};
    return std::to_string(year) + "-" + kLastDay[quarter - 1];
}

bool isValidPeriod(int year, int quarter) {
    return quarter >= 1 && quarter <= 4 && year >= 2000 && year <= 2100;
}

std::int64_t includedVatCents(std::int64_t amountInclCents, int ratePercent) {
    if (ratePercent <= 0) return 0;
    return share(amountInclCents, ratePercent, 100 + ratePercent);
}

QuarterSummary computeQuarter(const QuarterFacts& yearFacts, int year, int quarter) {
    QuarterSummary summary;
    summary.year = year;
    summary.quarter = quarter;
    summary.basis = yearFacts.basis;
    summary.rubriek1a.label = "1a Leveringen/diensten belast met hoog tarief (21 %)";
    summary.rubriek1b.label = "1b Leveringen/diensten belast met laag tarief (9 %)";
    summary.rubriek1e.label = "1e Leveringen/diensten belast met 0 % of niet bij u belast";
    summary.verlegd.label = "Omzet verlegd naar de afnemer (geen btw verschuldigd)";
    const Period period{quarterFirstDay(year, quarter), quarterLastDay(year, quarter)};

    addSales(summary, yearFacts, period);
    addLateInvoiceWarnings(summary, yearFacts, period);
    addCosts(summary, yearFacts, period);
    summary.kor = korMeter(yearFacts, year);
    addOutlookWarnings(summary);

    summary.totalOmzet = summary.rubriek1a.omzetCents + summary.rubriek1b.omzetCents +
                         summary.rubriek1e.omzetCents + summary.verlegd.omzetCents;
    summary.totalBtwAf = summary.rubriek1a.btwCents + summary.rubriek1b.btwCents;
    summary.totalVoorbelasting = summary.voorbelastingDocumentsCents + summary.voorbelastingOtherCostsCents;
    summary.perSaldo = summary.totalBtwAf - summary.totalVoorbelasting;
    return summary;
}

}  // namespace zelvorin::service::btw
