#include "intelligence/AmountReconciliation.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numeric>
#include <string>

namespace zelvorin::reconciling {
namespace {

// VAT is rounded to the cent, so an amount one cent off the exact rate still fits it.
bool isVatOf(std::int64_t vat, std::int64_t base, double rate) {
    return vat > 0 && base > vat &&
           std::abs(static_cast<double>(vat) - static_cast<double>(base) * rate / 100) <= 1.0;
}

std::int64_t vatSum(const AmountEvidence& evidence) {
    return std::accumulate(evidence.vatRows.begin(), evidence.vatRows.end(), std::int64_t{0},
                           [](std::int64_t sum, const VatRow& row) { return sum + row.vat; });
}

// The gross of a row: its net plus its VAT when the net is printed, else the amount printed of
// which the VAT is the share a gross price holds (rate / (100 + rate)).
std::optional<std::int64_t> grossOf(const VatRow& row) {
    if (!row.rate || *row.rate <= 0) return std::nullopt;
    for (std::int64_t amount : row.amounts) {
        if (isVatOf(row.vat, amount, *row.rate)) return amount + row.vat;
    }
    for (std::int64_t amount : row.amounts) {
        if (isVatOf(row.vat, amount, *row.rate * 100 / (100 + *row.rate))) return amount;
    }
    return std::nullopt;
}

// The same figures but for one digit at most: what recognition makes of one misread digit.
bool differsInOneDigitAtMost(std::int64_t a, std::int64_t b) {
    const std::string x = std::to_string(a), y = std::to_string(b);
    if (x.size() != y.size()) return false;
    int differences = 0;
    for (std::size_t i = 0; i < x.size(); ++i)
        differences += x[i] != y[i];
    return differences <= 1;
}

struct Witness {
    std::int64_t cents;
    int strength;  // of its label; 0 for a total implied by other figures
};

// Totals that the figures other than the total lines imply.
void addImpliedTotals(const AmountEvidence& e, std::vector<Witness>& witnesses) {
    if (e.lineSum) witnesses.push_back({*e.lineSum, 0});
    if (e.vatRows.empty()) return;
    const std::int64_t vat = vatSum(e);
    if (e.subtotal) witnesses.push_back({*e.subtotal + vat, 0});
    if (e.lineSum && e.lineSum != e.subtotal) witnesses.push_back({*e.lineSum + vat, 0});
    std::int64_t gross = 0;
    bool everyRowHasGross = true;
    for (const auto& row : e.vatRows) {
        const auto rowGross = grossOf(row);
        everyRowHasGross = everyRowHasGross && rowGross.has_value();
        gross += rowGross.value_or(0);
    }
    if (everyRowHasGross) witnesses.push_back({gross, 0});
    // One rate over the net: robust against a misread VAT amount.
    const auto base = e.subtotal ? e.subtotal : e.lineSum;
    if (e.vatRows.size() == 1 && base && e.vatRows[0].rate && *e.vatRows[0].rate > 0) {
        const double vatOfBase = static_cast<double>(*base) * *e.vatRows[0].rate / 100;
        witnesses.push_back({*base + static_cast<std::int64_t>(vatOfBase + 0.5), 0});
    }
}

}  // namespace

std::optional<std::int64_t> chooseTotal(const AmountEvidence& evidence) {
    std::vector<Witness> witnesses;
    for (const auto& total : evidence.totals) {
        if (total.cents > 0) witnesses.push_back({total.cents, total.strength});
    }
    if (evidence.cash.paid) witnesses.push_back({*evidence.cash.paid, 1});
    // Cash handed over is often more than was due: it confirms a total, never makes one.
    if (evidence.cash.handedOver) witnesses.push_back({*evidence.cash.handedOver, 0});
    addImpliedTotals(evidence, witnesses);

    std::optional<std::int64_t> best;
    int bestSupport = 0, bestStrength = -1;
    for (const auto& candidate : witnesses) {
        if (candidate.cents <= 0) continue;
        int support = 0, strength = 0;
        for (const auto& other : witnesses) {
            if (other.cents != candidate.cents) continue;
            ++support;
            strength = std::max(strength, other.strength);
        }
        if (strength == 0 && support < 2) continue;  // one figure alone does not make a total
        // Strictly better only: of equals the one printed first stays.
        if (support > bestSupport || (support == bestSupport && strength > bestStrength)) {
            best = candidate.cents;
            bestSupport = support;
            bestStrength = strength;
        }
    }
    // The largest figure, unless the items add up to more: then the total was not read, and the
    // sum of the items says more than any one figure.
    if (!best && evidence.largest && *evidence.largest > 0 &&
        (!evidence.lineSum || *evidence.largest >= *evidence.lineSum)) {
        return evidence.largest;
    }
    return best;
}

std::vector<std::int64_t> checkedVat(const AmountEvidence& e, std::optional<std::int64_t> total) {
    std::vector<std::int64_t> vat;
    const bool single = e.vatRows.size() == 1 && total;
    const auto base = e.subtotal ? e.subtotal : e.lineSum;
    for (const auto& row : e.vatRows) {
        vat.push_back(row.vat);
        if (!row.rate || *row.rate <= 0) continue;
        const double rate = *row.rate;

        // How many of the other figures an amount fits as this row's VAT.
        const auto fits = [&](std::int64_t v) {
            bool ofNet = false, withNet = false;
            for (std::int64_t amount : row.amounts) {
                ofNet = ofNet || isVatOf(v, amount, rate);
                withNet = withNet || (single && amount != v && amount + v == *total);
            }
            const bool withBase = single && base && *base + v == *total;
            const bool ofBase = base && isVatOf(v, *base, rate);
            // With one rate the total holds its VAT as a gross price does: rate / (100 + rate); and
            // so do the items of a receipt when they add up to the total, a figure of their own.
            const double grossRate = rate * 100 / (100 + rate);
            const bool ofGross = single && isVatOf(v, *total, grossRate);
            const bool ofItems = single && e.lineSum == total && isVatOf(v, *e.lineSum, grossRate);
            return int{ofNet} + int{withNet} + int{withBase} + int{ofBase} + int{ofGross} + int{ofItems};
        };
        std::vector<std::int64_t> candidates = row.amounts;
        if (single) {
            for (std::int64_t amount : row.amounts)
                candidates.push_back(*total - amount);
            if (base) candidates.push_back(*total - *base);
        }
        // The VAT the total holds, worked out from the total alone, would agree with that total
        // whatever it is, and so vouch for a misread one: it replaces a VAT only that the row
        // printed but for one misread digit.
        const std::int64_t ofTotal =
            total ? std::llround(static_cast<double>(*total) * rate / (100 + rate)) : std::int64_t{0};
        if (single && std::any_of(row.amounts.begin(), row.amounts.end(), [&](std::int64_t amount) {
                return differsInOneDigitAtMost(amount, ofTotal);
            })) {
            candidates.push_back(ofTotal);
        }
        // A VAT that is the rate of another figure of its own row was read right with that figure:
        // two misread figures rarely agree. The total may hold more than this row (goods at 0 %
        // print no row), so the total does not overrule it.
        const bool ofOwnRow = std::any_of(row.amounts.begin(), row.amounts.end(), [&](std::int64_t amount) {
            return isVatOf(row.vat, amount, rate) || isVatOf(row.vat, amount, rate * 100 / (100 + rate));
        });
        if (ofOwnRow) continue;
        const int asRead = fits(row.vat);
        int bestFit = asRead;
        for (std::int64_t candidate : candidates) {
            // A replacement must fit two figures: one of them it was made from.
            const int fit = fits(candidate);
            if (candidate > 0 && fit >= 2 && fit > bestFit) {
                bestFit = fit;
                vat.back() = candidate;
            }
        }
        // Still more VAT than the whole total can hold: the figure read is the row's gross (or its
        // net), its VAT lost in recognition. The row's largest figure within the total is its gross.
        if (total &&
            static_cast<double>(vat.back()) > static_cast<double>(*total) * rate / (100 + rate) + 1) {
            std::optional<std::int64_t> gross;
            for (std::int64_t amount : row.amounts) {
                if (amount <= *total && (!gross || amount > *gross)) gross = amount;
            }
            if (gross) vat.back() = std::llround(static_cast<double>(*gross) * rate / (100 + rate));
        }
    }
    return vat;
}

std::optional<double> impliedRate(const std::vector<std::int64_t>& amounts) {
    for (const double rate : {21.0, 9.0, 19.0, 7.0, 20.0, 10.0, 5.5}) {
        for (std::int64_t vat : amounts) {
            for (std::int64_t base : amounts) {
                if (isVatOf(vat, base, rate)) return rate;
            }
        }
    }
    return std::nullopt;
}

}  // namespace zelvorin::reconciling
