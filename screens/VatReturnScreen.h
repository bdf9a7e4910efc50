#pragma once

#include <string>
#include <vector>

#include "api-client/SyncAPIClient.h"
#include "api-client/VatActions.h"

namespace zelvorin {

// The BTW-aangifte as the service computes it, shared by the desktop's section and the command line.

// Throws InputError(invalidValue) with a Dutch text for a quarter outside 1–4 or a year outside
// 2000–2100, before anything is asked of the service (whose refusal of a read carries no text).
void requireVatPeriod(int year, int quarter);

// The quarter's return from the service, after the period is checked.
vatactions::BtwQuarterSummary loadVatQuarter(SyncAPIClient& client, int year, int quarter);

// One line of the return as a person reads it: a rubriek with its turnover and VAT, or a total.
struct VatReturnRow {
    std::string label;
    std::string omzet;  // empty where the rubriek has no turnover column (5b, the VAT totals)
    std::string btw;    // empty for the turnover total
    bool operator==(const VatReturnRow&) const = default;
};

// 1a, 1b, 1e, the reverse-charged turnover (when the service sends it), 5b, then the totals and
// per saldo ("Te betalen" or "Terug te vragen"), with amounts like "€ 1.234,56".
std::vector<VatReturnRow> vatReturnRows(const vatactions::BtwQuarterSummary& summary);

}  // namespace zelvorin
