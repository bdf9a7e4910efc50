#include "intelligence/FieldScore.h"

#include <cmath>
#include <numeric>
#include <optional>
#include <vector>

namespace zelvorin {
namespace {

constexpr std::array<std::string_view, 26> kAcceptedCurrencies = {
    "EUR", "USD", "GBP", "CHF", "DKK", "SEK", "NOK", "PLN", "CZK", "HUF", "BGN", "RON", "HRK",
    "CAD", "AUD", "NZD", "JPY", "CNY", "KRW", "SGD", "AED", "TRY", "MXN", "BRL", "INR", "ZAR"};

// A whole decimal number with an optional sign, as a piece of a date may be written.
std::optional<long> parseInteger(std::string_view piece) {
    std::size_t i = 0;
    bool negative = false;
    if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) negative = piece[i++] == '-';
    if (i == piece.size()) return std::nullopt;
    long value = 0;
    for (; i < piece.size(); ++i) {
        if (piece[i] < '0' || piece[i] > '9') return std::nullopt;
        value = value * 10 + (piece[i] - '0');
    }
    return negative ? -value : value;
}

// Splits at '-', dropping empty pieces, with at most two splits: the rest stays one piece.
std::vector<std::string_view> splitDate(std::string_view text) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '-') continue;
        if (i > start) pieces.push_back(text.substr(start, i - start));
        start = i + 1;
        if (pieces.size() == 2) break;
    }
    if (start < text.size()) pieces.push_back(text.substr(start));
    return pieces;
}

double sumAmounts(const auto& items) {
    return std::accumulate(items.begin(), items.end(), 0.0,
                           [](double sum, const auto& item) { return sum + item.amount; });
}

double totalAgreement(const ExtractedInvoiceData& data) {
    if (!data.totalAmountCents || *data.totalAmountCents < 1) return 0;
    if (data._totalSource == TotalAmountSource::derivedFromLines) return 0.6;
    const double total = static_cast<double>(*data.totalAmountCents) / 100.0;
    const double tolerance = total * 0.01 <= 1.0 ? 1.0 : total * 0.01;
    const double lineSum = sumAmounts(data.lines);
    if (!data.lines.empty() && lineSum > 0 && std::abs(total - lineSum) <= tolerance) return 1.0;
    if (data.vatBreakdown.empty()) return data.lines.empty() ? 0.6 : 0.0;
    // VAT items without lines: the net is whatever the VAT leaves of the total, so nothing to contradict.
    if (data.lines.empty()) return 1.0;
    return std::abs(total - (lineSum + sumAmounts(data.vatBreakdown))) <= tolerance ? 1.0 : 0.0;
}

double vatAgreement(const ExtractedInvoiceData& data) {
    if (data.vatBreakdown.empty()) return 0.8;
    const double lineSum = sumAmounts(data.lines);
    bool unexpectedRate = false;
    bool mismatch = false;
    for (const auto& vat : data.vatBreakdown) {
        if (vat.rate != 0 && vat.rate != 9 && vat.rate != 21) unexpectedRate = true;
        if (vat.rate > 0 && !data.lines.empty()) {
            const double expected = vat.rate / 100.0 * lineSum;
            const double allowed = std::max(0.10, 0.05 * std::abs(expected));
            if (std::abs(vat.amount - expected) > allowed) mismatch = true;
        }
    }
    if (unexpectedRate) return 0.4;
    return mismatch ? 0.7 : 1.0;
}

bool hasText(const std::optional<std::string>& value) {
    return value && value->find_first_not_of(" \t") != std::string::npos;
}

}  // namespace

bool isValidInvoiceDate(std::string_view text) {
    if (text.size() != 10) return false;
    const auto pieces = splitDate(text);
    if (pieces.size() != 3) return false;
    const auto day = parseInteger(pieces[0]);
    const auto month = parseInteger(pieces[1]);
    const auto year = parseInteger(pieces[2]);
    return day && month && year && *day >= 1 && *day <= 31 && *month >= 1 && *month <= 12 && *year >= 2000 &&
           *year <= 2099;
}

bool isAcceptedCurrency(std::string_view code) {
    std::string upper(code);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    for (auto accepted : kAcceptedCurrencies) {
        if (upper == accepted) return true;
    }
    return false;
}

double FieldScores::fieldScore() const {
    return std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(count);
}

FieldScores scoreFields(const ExtractedInvoiceData& data) {
    FieldScores scores;
    scores.values[FieldScores::documentKind] = data.isInvoice ? 1.0 : 0.3;
    scores.values[FieldScores::sender] = hasText(data.senderCompany) ? 1.0 : 0.0;
    scores.values[FieldScores::date] = data.invoiceDate && isValidInvoiceDate(*data.invoiceDate) ? 1.0 : 0.0;
    scores.values[FieldScores::currency] = isAcceptedCurrency(data.currency) ? 1.0 : 0.0;
    scores.values[FieldScores::totalPresent] =
        data.totalAmountCents && *data.totalAmountCents >= 1 ? 1.0 : 0.0;
    scores.values[FieldScores::totalAgreement] = totalAgreement(data);
    scores.values[FieldScores::vatAgreement] = vatAgreement(data);
    return scores;
}

}  // namespace zelvorin
