#include "intelligence/AmountReconciliation.h"

#include <cstdlib>
#include <numeric>

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

// The net printed on a row beside its VAT, if one of its amounts is the base of that VAT.
std::optional<std::int64_t> netOf(const VatRow& row) {
    if (!row.rate || *row.rate <= 0) return std::nullopt;
    for (std::int64_t amount : row.amounts) {
        if (isVatOf(row.vat, amount, *row.rate)) return amount;
    }
    return std::nullopt;
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
    bool everyRowHasNet = true;
    for (const auto& row : e.vatRows) {
        const auto net = netOf(row);
        everyRowHasNet = everyRowHasNet && net.has_value();
        gross += net.value_or(0) + row.vat;
    }
    if (everyRowHasNet) witnesses.push_back({gross, 0});
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
            return int{ofNet} + int{withNet} + int{withBase} + int{ofBase};
        };
        std::vector<std::int64_t> candidates = row.amounts;
        if (single) {
            for (std::int64_t amount : row.amounts)
                candidates.push_back(*total - amount);
            if (base) candidates.push_back(*total - *base);
        }
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
    }
    return vat;
}

std::optional<double> impliedRate(const std::vector<std::int64_t>& amounts) {
    for (const double rate : {9.0, 21.0}) {
        for (std::int64_t vat : amounts) {
            for (std::int64_t base : amounts) {
                if (isVatOf(vat, base, rate)) return rate;
            }
        }
    }
    return std::nullopt;
}

}  // namespace zelvorin::reconciling
