#include "intelligence/MoneyReading.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "intelligence/ReceiptVocabulary.h"
#include "intelligence/TextScanning.h"

namespace zelvorin {
namespace {

using namespace scanning;
namespace vocab = vocabulary;

std::optional<std::int64_t> lastAmountOf(std::string_view line) {
    const auto amounts = findAmounts(line);
    if (amounts.empty()) return std::nullopt;
    return amounts.back().cents;
}

// The amount of a labelled line: on the line itself, or alone on the next one, where label and
// amount may land.
std::optional<std::int64_t> labelledAmount(const ReceiptText& text, std::size_t i) {
    auto amount = lastAmountOf(text.lines[i]);
    if (!amount && i + 1 < text.size() && countLetters(text.lines[i + 1]) <= 3)
        amount = lastAmountOf(text.lines[i + 1]);
    return amount;
}

// --- totals ---------------------------------------------------------------------------------------

int labelStrength(std::string_view folded) {
    switch (vocab::totalLabel(folded)) {
        case vocab::TotalLabel::payable:
            return 3;
        case vocab::TotalLabel::total:
            return vocab::tender(folded) == vocab::Tender::change ? 0 : 2;
        case vocab::TotalLabel::none:
            break;
    }
    // A card pays exactly what is due; cash handed over and change are no total.
    return vocab::tender(folded) == vocab::Tender::card && !vocab::isSubtotal(folded) ? 1 : 0;
}

// The amount of a total label on a row that recognition ran together with the payment beside it
// ("SUMME 44,80  GEGEBEN BAR 50,00"): the last one before the cash or change, never one after it.
// Nothing when the label has no amount of its own there.
std::optional<std::optional<std::int64_t>> amountBeforePayment(const ReceiptText& text, std::size_t i) {
    const std::size_t payment = vocab::cashOrChangeAt(text.lowered[i]);
    if (payment == std::string_view::npos || payment == 0) return std::nullopt;
    const std::string_view line = text.lines[i];
    if (vocab::totalLabel(vocab::folded(line.substr(0, payment))) == vocab::TotalLabel::none)
        return std::nullopt;
    std::optional<std::int64_t> amount;
    for (const auto& token : findAmounts(line.substr(0, payment)))
        amount = token.cents;
    return amount;
}

std::vector<reconciling::LabelledTotal> findLabelledTotals(const ReceiptText& text) {
    std::vector<reconciling::LabelledTotal> totals;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int strength = labelStrength(text.folded[i]);
        if (strength == 0 || vocab::namesRegistration(text.folded[i])) continue;
        const auto beforePayment = amountBeforePayment(text, i);
        const auto amount = beforePayment ? *beforePayment : labelledAmount(text, i);
        if (amount && *amount > 0) totals.push_back({*amount, strength});
    }
    return totals;
}

// Cash handed over less the change given back (printed with either sign): what was paid. Cash
// without any change printed may be exact or not, so it only confirms what other figures say.
reconciling::CashPayment findCash(const ReceiptText& text) {
    std::optional<std::int64_t> cash, change;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto kind = vocab::tender(text.folded[i]);
        if (kind == vocab::Tender::cash && !cash &&
            vocab::totalLabel(text.folded[i]) == vocab::TotalLabel::none) {
            cash = labelledAmount(text, i);
        } else if (kind == vocab::Tender::change && cash && !change) {
            change = labelledAmount(text, i);
        }
    }
    reconciling::CashPayment payment;
    if (!cash || *cash <= 0) return payment;
    if (!change) {
        payment.handedOver = cash;
    } else if (const std::int64_t paid = *cash - std::llabs(*change); paid > 0) {
        payment.paid = paid;
    }
    return payment;
}

std::optional<std::int64_t> findSubtotal(const ReceiptText& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto& f = text.folded[i];
        if (vocab::isSubtotal(f) && !vocab::mentionsVat(f) && !vocab::namesRegistration(f)) {
            if (auto amount = labelledAmount(text, i)) return amount;
        }
    }
    return std::nullopt;
}

// The largest amount that may be a total: not cash handed over, change, a part of the sum or a
// figure of the service information.
std::optional<std::int64_t> findLargest(const ReceiptText& text) {
    std::optional<std::int64_t> largest;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto& f = text.folded[i];
        if (vocab::tender(f) == vocab::Tender::cash || vocab::tender(f) == vocab::Tender::change ||
            vocab::isSubtotal(f) || vocab::mentionsVat(f) || vocab::isServiceInformation(f) ||
            vocab::namesRegistration(f)) {
            continue;
        }
        for (const auto& amount : findAmounts(text.lines[i])) {
            if (amount.cents > 0 && (!largest || amount.cents > *largest)) largest = amount.cents;
        }
    }
    return largest;
}

// --- item lines -----------------------------------------------------------------------------------

bool endsItems(std::string_view f) {
    return vocab::totalLabel(f) != vocab::TotalLabel::none || vocab::isSubtotal(f) || vocab::mentionsVat(f) ||
           vocab::tender(f) != vocab::Tender::none;
}

bool isNotAnItem(std::string_view f) {
    return vocab::isServiceInformation(f) || vocab::namesRegistration(f) || findDate(f).has_value() ||
           containsWord(f, "@") || f.find("www.") != std::string_view::npos ||
           f.find("korting totaal") != std::string_view::npos || containsWord(f, "transactie");
}

// A number with an optional decimal comma or point, such as a quantity: "2", "2,5", "1.25".
std::optional<double> parseQuantity(std::string_view token) {
    double value = 0, scale = 0;
    bool digits = false;
    for (char c : token) {
        if (c >= '0' && c <= '9') {
            digits = true;
            if (scale == 0) {
                value = value * 10 + (c - '0');
            } else {
                value += (c - '0') * scale;
                scale /= 10;
            }
            if (value > 1e6) return std::nullopt;
        } else if ((c == ',' || c == '.') && scale == 0) {
            scale = 0.1;
        } else {
            return std::nullopt;
        }
    }
    return digits ? std::optional<double>(value) : std::nullopt;
}

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ')
            ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] != ' ')
            ++i;
        if (i > start) out.push_back(text.substr(start, i - start));
    }
    return out;
}

std::optional<GenerableLineItem> readItem(std::string_view line) {
    const auto amounts = findAmounts(line);
    if (amounts.empty()) return std::nullopt;
    GenerableLineItem item;
    item.amount = static_cast<double>(amounts.back().cents) / 100.0;
    if (amounts.size() >= 2) item.unitPrice = static_cast<double>(amounts[amounts.size() - 2].cents) / 100.0;

    // Words before the first amount: an optional "2 x" or "2x" in front, then the description,
    // then perhaps a quantity column or "2 x" just before the price.
    const auto head = words(line.substr(0, amounts.front().begin));
    std::size_t from = 0, to = head.size();
    auto quantityWord = [](std::string_view w) {
        if (w.size() > 1 && (w.back() == 'x' || w.back() == 'X')) w.remove_suffix(1);
        return parseQuantity(w);
    };
    auto isTimes = [](std::string_view w) { return w == "x" || w == "X" || w == "\xC3\x97" || w == "*"; };
    if (to >= 2 && isTimes(head[1]) && parseQuantity(head[0])) {
        item.quantity = parseQuantity(head[0]);
        from = 2;
    } else if (to >= 1 && head[0].size() > 1 && (head[0].back() == 'x' || head[0].back() == 'X') &&
               quantityWord(head[0])) {
        item.quantity = quantityWord(head[0]);
        from = 1;
    }
    if (to > from && isTimes(head[to - 1])) --to;
    if (to > from + 1 && !item.quantity) {
        if (auto q = quantityWord(head[to - 1])) {
            item.quantity = q;
            --to;
        }
    }
    if (to > from && (head[to - 1] == "\xE2\x82\xAC" || head[to - 1] == "EUR")) --to;
    std::string description;
    for (std::size_t i = from; i < to; ++i)
        description += (description.empty() ? "" : " ") + std::string(head[i]);
    if (countLetters(description) < 2) return std::nullopt;
    item.description = std::move(description);
    if (item.unitPrice && !item.quantity && item.unitPrice != 0) {
        const double q = item.amount / *item.unitPrice;
        if (q >= 1 && std::abs(q - std::round(q)) < 1e-6) item.quantity = std::round(q);
    }
    return item;
}

std::vector<GenerableLineItem> findItems(const ReceiptText& text) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (vocab::isColumnHeader(text.folded[i])) {
            start = i + 1;
            break;
        }
    }
    std::vector<GenerableLineItem> items;
    for (std::size_t i = start; i < text.size() && items.size() < GenerableInvoiceLines::maxLines; ++i) {
        const auto& f = text.folded[i];
        if (endsItems(f)) {
            if (!items.empty() || start > 0) break;
            continue;
        }
        if (isNotAnItem(f)) continue;
        if (auto item = readItem(text.lines[i])) items.push_back(std::move(*item));
    }
    return items;
}

std::int64_t sumOfItems(const std::vector<GenerableLineItem>& items) {
    std::int64_t sum = 0;
    for (const auto& item : items)
        sum += std::llround(item.amount * 100);
    return sum;
}

// --- VAT rows -------------------------------------------------------------------------------------

// The VAT amount of a row: of the amounts printed, the one that is `rate` of another (net or
// gross); else, when the net and the gross came through but the VAT between them did not, their
// difference; otherwise the only or the last one.
std::int64_t vatAmountOf(const std::vector<AmountToken>& amounts, double rate) {
    for (const auto& vat : amounts) {
        for (const auto& base : amounts) {
            if (&vat == &base || base.cents == 0) continue;
            const double v = static_cast<double>(vat.cents), b = static_cast<double>(base.cents);
            const double slack = std::max(2.0, 0.01 * v);
            if (std::abs(v - b * rate / 100.0) <= slack || std::abs(v - b * rate / (100.0 + rate)) <= slack)
                return vat.cents;
        }
    }
    for (const auto& net : amounts) {
        for (const auto& gross : amounts) {
            const double difference = static_cast<double>(gross.cents - net.cents);
            if (difference > 0 && std::abs(difference - static_cast<double>(net.cents) * rate / 100.0) <= 2.0)
                return gross.cents - net.cents;
        }
    }
    return amounts.back().cents;
}

// A rate printed as a figure without its percent sign ("C 7,00 17,33 1,21"), as recognition often
// gives it: the first amount of the row, when the row's other figures bear it out.
bool rateLostItsSign(const std::vector<AmountToken>& amounts, std::vector<std::int64_t>& cents) {
    const bool wholeRate = amounts.front().cents % 100 == 0 || amounts.front().cents == 550;
    if (amounts.size() < 3 || !wholeRate) return false;
    const auto rate = reconciling::impliedRate({cents.begin() + 1, cents.end()});
    if (!rate || std::llround(*rate * 100) != amounts.front().cents) return false;
    cents.erase(cents.begin());
    return true;
}

// A row that says what it is without a VAT word near it ("19 % 16,72 3,18 19,90" under a header
// that recognition garbled): a usual rate, and one of its amounts that rate of another. Discounts
// are percentages of amounts too, and say so.
bool isSelfEvidentVatRow(std::string_view f, const std::vector<RateToken>& rates,
                         const std::vector<AmountToken>& amounts) {
    if (amounts.size() < 2 ||
        containsAny(f, {"korting", "rabatt", "remise", "discount", "nachlass", "aktion", "reduction"})) {
        return false;
    }
    std::vector<std::int64_t> cents;
    for (const auto& amount : amounts)
        cents.push_back(amount.cents);
    const auto rate = reconciling::impliedRate(cents);
    return rate && std::abs(*rate - rates.front().rate) < 0.01;
}

std::vector<reconciling::VatRow> findVatRows(const ReceiptText& text) {
    std::vector<reconciling::VatRow> rows;
    auto add = [&](std::optional<double> rate, const std::vector<AmountToken>& amounts) {
        reconciling::VatRow row{rate, {}, 0};
        for (const auto& amount : amounts)
            row.amounts.push_back(amount.cents);
        if (!amounts.empty()) row.vat = vatAmountOf(amounts, rate.value_or(0));
        const bool seen = std::any_of(rows.begin(), rows.end(),
                                      [&](const auto& r) { return r.rate == row.rate && r.vat == row.vat; });
        if (!seen && rows.size() < GenerableInvoiceLines::maxVatItems) rows.push_back(std::move(row));
    };
    bool inTable = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto& f = text.folded[i];
        if (vocab::namesRegistration(f)) continue;
        const bool vatWord = vocab::mentionsVat(f);
        if (containsAny(f, {"verlegd", "reverse charge", "reverse-charge", "reverse charged", "vat exempt",
                            "steuerschuldnerschaft", "autoliquidation"})) {
            add(0.0, {});
            continue;
        }
        const auto rates = findRates(text.lines[i]);
        auto amounts = findAmounts(text.lines[i]);
        if (vatWord && amounts.empty() &&
            (rates.empty() || containsAny(f, {"over", "excl", "net", "grondslag", "basis", "brutto", "umsatz",
                                              "betrag", " ht", "ttc"}))) {
            inTable = true;  // a table header: its rows carry only a rate and amounts
            continue;
        }
        const bool labelled = labelStrength(f) > 0;
        // A table row whose rate did not come through ("% 47,06 4,24"): the amounts tell it.
        if (inTable && rates.empty() && amounts.size() >= 2 && !vatWord && !labelled) {
            std::vector<std::int64_t> cents;
            for (const auto& amount : amounts)
                cents.push_back(amount.cents);
            if (rateLostItsSign(amounts, cents)) {
                const double rate = static_cast<double>(amounts.front().cents) / 100.0;
                amounts.erase(amounts.begin());
                add(rate, amounts);
                continue;
            }
            if (const auto rate = reconciling::impliedRate(cents)) {
                add(rate, amounts);
                continue;
            }
        }
        if (rates.empty() || amounts.empty() ||
            !(vatWord || inTable || isSelfEvidentVatRow(f, rates, amounts))) {
            if (!rates.empty() || !amounts.empty()) inTable = inTable && !rates.empty();
            continue;
        }
        add(rates.front().rate, amounts);
    }
    return rows;
}

}  // namespace

MoneyReading::MoneyReading(const ReceiptText& text) : items(findItems(text)) {
    evidence.totals = findLabelledTotals(text);
    evidence.cash = findCash(text);
    evidence.subtotal = findSubtotal(text);
    if (!items.empty()) evidence.lineSum = sumOfItems(items);
    evidence.vatRows = findVatRows(text);
    evidence.largest = findLargest(text);
    total = reconciling::chooseTotal(evidence);
}

std::optional<double> MoneyReading::totalEuros() const {
    return total ? std::optional<double>(static_cast<double>(*total) / 100.0) : std::nullopt;
}

std::vector<GenerableVatItem> MoneyReading::vat() const {
    const auto amounts = reconciling::checkedVat(evidence, total);
    std::vector<GenerableVatItem> out;
    for (std::size_t i = 0; i < evidence.vatRows.size(); ++i)
        out.push_back({evidence.vatRows[i].rate.value_or(0), static_cast<double>(amounts[i]) / 100.0});
    return out;
}

}  // namespace zelvorin
