#include "service/btw/BtwActions.h"

#include "persistence/sqlite/Connection.h"
#include "service/btw/VatQuarter.h"
#include "service/btw/VatQuarterCsv.h"
#include "service/btw/VatQuarterFacts.h"
#include "service/http/ServiceError.h"
#include "service/invoices/InvoiceRecords.h"
#include "service/store/ServiceDatabase.h"

namespace zelvorin::service {

namespace {

using Json = nlohmann::ordered_json;

Json rubriekJson(const btw::Rubriek& rubriek) {
    return Json{{"label", rubriek.label},
                {"omzetCents", rubriek.omzetCents},
                {"btwCents", rubriek.btwCents},
                {"invoiceCount", rubriek.invoiceCount}};
}

Json otherCostJson(const btw::OtherCost& cost) {
    return Json{
        {"transactionId", cost.transactionId},
        {"counterpartyName", cost.counterpartyName.empty() ? Json(nullptr) : Json(cost.counterpartyName)},
        {"amountCents", cost.amountCents},
        {"vatRatePercent", cost.vatRatePercent},
        {"btwCents", cost.btwCents},
        {"transactionDate", cost.transactionDate}};
}

Json summaryJson(const btw::QuarterSummary& summary) {
    Json warnings = Json::array(), otherCosts = Json::array(), missing = Json::array(), icp = Json::array();
    for (const std::string& warning : summary.warnings)
        warnings.push_back(warning);
    for (const btw::OtherCost& cost : summary.otherCosts)
        otherCosts.push_back(otherCostJson(cost));
    for (const btw::MissingDocument& document : summary.missingDocuments) {
        missing.push_back(Json{{"counterpartyName", document.counterpartyName},
                               {"amountCents", document.amountCents},
                               {"transactionDate", document.transactionDate}});
    }
    for (const btw::IcpEntry& entry : summary.icp) {
        icp.push_back(Json{{"vatNumber", entry.vatNumber},
                           {"customerName", entry.customerName},
                           {"country", entry.country},
                           {"goodsCents", entry.goodsCents},
                           {"servicesCents", entry.servicesCents}});
    }
    return Json{{"year", summary.year},
                {"quarter", summary.quarter},
                {"rubriek1a", rubriekJson(summary.rubriek1a)},
                {"rubriek1b", rubriekJson(summary.rubriek1b)},
                {"rubriek1e", rubriekJson(summary.rubriek1e)},
                {"rubriek5b", Json{{"label", "5b Voorbelasting"}, {"btwCents", summary.totalVoorbelasting}}},
                {"totalOmzet", summary.totalOmzet},
                {"totalBtwAf", summary.totalBtwAf},
                {"totalVoorbelasting", summary.totalVoorbelasting},
                {"perSaldo", summary.perSaldo},
                {"warnings", std::move(warnings)},
                {"overigeKosten", std::move(otherCosts)},
                {"missingInvoices", std::move(missing)},
                {"rubriekVerlegd", rubriekJson(summary.verlegd)},
                {"basis", summary.basis == btw::VatBasis::cash ? "kas" : "factuur"},
                {"icp", std::move(icp)},
                {"kor", Json{{"year", summary.kor.year},
                             {"turnoverCents", summary.kor.turnoverCents},
                             {"limitCents", summary.kor.limitCents},
                             {"percent", summary.kor.percent}}}};
}

btw::QuarterSummary computeFor(const ServiceDatabase& database, const Caller& caller, int year, int quarter) {
    requireValidPeriod(year, quarter);
    return database.read([&](Connection& db) {
        return btw::computeQuarter(btw::gatherFacts(db, caller.organizationId), year, quarter);
    });
}

}  // namespace

void requireValidPeriod(int year, int quarter) {
    if (quarter < 1 || quarter > 4) {
        throw ServiceError(ErrorKind::unprocessable,
                           "Kwartaal " + std::to_string(quarter) + " bestaat niet: kies 1, 2, 3 of 4.");
    }
    if (!btw::isValidPeriod(year, quarter)) {
        throw ServiceError(ErrorKind::unprocessable,
                           "Het jaar " + std::to_string(year) + " valt buiten 2000 tot en met 2100.");
    }
}

Json quarterSummary(const ServiceDatabase& database, const Caller& caller, int year, int quarter) {
    return summaryJson(computeFor(database, caller, year, quarter));
}

QuarterExport exportQuarter(const ServiceDatabase& database, const Caller& caller, int year, int quarter) {
    const btw::QuarterSummary summary = computeFor(database, caller, year, quarter);
    const std::vector<btw::SalesDocument> sales =
        database.read([&](Connection& db) { return btw::gatherFacts(db, caller.organizationId).sales; });
    return QuarterExport{"btw-aangifte-Q" + std::to_string(quarter) + "-" + std::to_string(year) + ".csv",
                         btw::quarterCsv(summary, sales)};
}

Json setOtherCostVatRate(const ServiceDatabase& database, const Caller& caller,
                         const std::string& transactionId, int vatRatePercent, TimePoint now) {
    if (vatRatePercent != 0 && vatRatePercent != 9 && vatRatePercent != 21)
        throw ServiceError(ErrorKind::unprocessable, "Kies een btw-tarief van 0, 9 of 21 procent.");
    return database.write([&](Connection& db) {
        const std::optional<StoredRecord> record =
            records::find(db, caller.organizationId, "bankTransaction", transactionId);
        if (!record || record->deleted) throw ServiceError(ErrorKind::notFound, "Transactie niet gevonden.");
        if (invoicerecords::text(record->payload, "direction") == "in")
            throw ServiceError(ErrorKind::unprocessable,
                               "Een ontvangst is geen kostenpost: er hoort geen voorbelasting bij.");
        Json payload = record->payload;
        payload["vatRatePercent"] = vatRatePercent;
        invoicerecords::put(db, caller, SyncEntityType::bankTransaction, transactionId, std::move(payload),
                            now);
        const std::int64_t amount = std::abs(invoicerecords::integer(record->payload, "amountCents"));
        return otherCostJson(
            {transactionId, invoicerecords::text(record->payload, "counterpartyName").value_or(""), amount,
             vatRatePercent, btw::includedVatCents(amount, vatRatePercent),
             invoicerecords::text(record->payload, "transactionDate").value_or("").substr(0, 10)});
    });
}

}  // namespace zelvorin::service
