#include "screens/VatReturnScreen.h"

#include "domain/Money.h"
#include "screens/InputError.h"

namespace zelvorin {

void requireVatPeriod(int year, int quarter) {
    if (quarter < 1 || quarter > 4) {
        throw InputError(InputError::Kind::invalidValue,
                         "Kwartaal " + std::to_string(quarter) + " bestaat niet: kies 1, 2, 3 of 4.");
    }
    if (year < 2000 || year > 2100) {
        throw InputError(InputError::Kind::invalidValue,
                         "Het jaar " + std::to_string(year) + " valt buiten 2000 tot en met 2100.");
    }
}

vatactions::BtwQuarterSummary loadVatQuarter(SyncAPIClient& client, int year, int quarter) {
    requireVatPeriod(year, quarter);
    return vatactions::summary(client, year, quarter);
}

std::vector<VatReturnRow> vatReturnRows(const vatactions::BtwQuarterSummary& summary) {
    const auto rubriek = [](const vatactions::BtwRubriek& r) {
        return VatReturnRow{r.label, formatEuro(r.omzetCents), formatEuro(r.btwCents)};
    };
    std::vector<VatReturnRow> rows{rubriek(summary.rubriek1a), rubriek(summary.rubriek1b),
                                   rubriek(summary.rubriek1e)};
    if (summary.rubriekVerlegd)
        rows.push_back({summary.rubriekVerlegd->label, formatEuro(summary.rubriekVerlegd->omzetCents), "—"});
    rows.push_back({summary.rubriek5b.label, "", formatEuro(summary.rubriek5b.btwCents)});
    rows.push_back({"Totaal omzet", formatEuro(summary.totalOmzet), ""});
    rows.push_back({"Verschuldigde btw", "", formatEuro(summary.totalBtwAf)});
    rows.push_back({"Voorbelasting", "", formatEuro(summary.totalVoorbelasting)});
    rows.push_back({summary.perSaldo >= 0 ? "Per saldo te betalen" : "Per saldo terug te vragen", "",
                    formatEuro(summary.perSaldo >= 0 ? summary.perSaldo : -summary.perSaldo)});
    return rows;
}

}  // namespace zelvorin
