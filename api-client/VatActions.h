#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "api-client/SyncAPIClient.h"

// The VAT family of the endpoint catalogue: the quarter's return as the service computes it and the
// rate of an other-cost line. The export itself is a file transfer (FileTransfers.h).
namespace zelvorin::vatactions {

struct BtwRubriek {
    std::string label;
    std::int64_t omzetCents = 0;
    std::int64_t btwCents = 0;
    std::int64_t invoiceCount = 0;
    static BtwRubriek fromJson(const nlohmann::json& body);
    bool operator==(const BtwRubriek&) const = default;
};

struct Btw5bRubriek {
    std::string label;
    std::int64_t btwCents = 0;
    bool operator==(const Btw5bRubriek&) const = default;
};

struct BtwOverigeKosten {
    std::string transactionId;
    std::optional<std::string> counterpartyName;
    std::int64_t amountCents = 0;
    std::int64_t vatRatePercent = 0;
    std::int64_t btwCents = 0;
    std::string transactionDate;
    static BtwOverigeKosten fromJson(const nlohmann::json& body);
    bool operator==(const BtwOverigeKosten&) const = default;
};

struct BtwMissingInvoice {
    std::string counterpartyName;
    std::int64_t amountCents = 0;
    std::string transactionDate;
    bool operator==(const BtwMissingInvoice&) const = default;
};

// What this service adds to the return, each optional so that a service without it still decodes:
// one customer's intra-EU supplies of the quarter (the ICP list) ...
struct BtwIcpEntry {
    std::string vatNumber;
    std::string customerName;
    std::string country;
    std::int64_t goodsCents = 0;
    std::int64_t servicesCents = 0;
    bool operator==(const BtwIcpEntry&) const = default;
};

// ... and the year's turnover against the small-business scheme's limit.
struct BtwKorMeter {
    std::int64_t year = 0;
    std::int64_t turnoverCents = 0;
    std::int64_t limitCents = 0;
    std::int64_t percent = 0;
    bool operator==(const BtwKorMeter&) const = default;
};

struct BtwQuarterSummary {
    std::int64_t year = 0;
    std::int64_t quarter = 0;
    BtwRubriek rubriek1a, rubriek1b, rubriek1e;
    Btw5bRubriek rubriek5b;
    std::int64_t totalOmzet = 0;
    std::int64_t totalBtwAf = 0;
    std::int64_t totalVoorbelasting = 0;
    std::int64_t perSaldo = 0;
    std::vector<std::string> warnings;
    std::vector<BtwOverigeKosten> overigeKosten;
    std::vector<BtwMissingInvoice> missingInvoices;
    std::optional<BtwRubriek> rubriekVerlegd;  // reverse-charged turnover, no VAT due
    std::optional<std::string> basis;          // "factuur" or "kas"
    std::optional<std::vector<BtwIcpEntry>> icp;
    std::optional<BtwKorMeter> kor;
    static BtwQuarterSummary fromJson(const nlohmann::json& body);
};

// GET api/native/v1/btw/summary?year=&quarter= ("fetch" mapping).
BtwQuarterSummary summary(SyncAPIClient& client, int year, int quarter);
// POST api/native/v1/btw/overige-kosten/<transactionId>/vat-rate {"vatRatePercent"} ("action" mapping).
BtwOverigeKosten setOverigeKostenVatRate(SyncAPIClient& client, const std::string& transactionId,
                                         int vatRatePercent);

}  // namespace zelvorin::vatactions
