#include "intelligence/GenerableInvoice.h"

#include <cmath>

namespace zelvorin {
namespace {

std::optional<double> finite(std::optional<double> value) {
    if (value && !std::isfinite(*value)) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::int64_t> eurosToCents(double euros) {
    if (!std::isfinite(euros)) return std::nullopt;
    const double cents = std::round(euros * 100.0);  // std::round rounds halves away from zero
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    if (!std::isfinite(cents) || cents >= 9223372036854775808.0 || cents < -9223372036854775808.0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(cents);
}

ExtractedInvoiceData mergeAnswers(const GenerableInvoiceBase& base, const GenerableInvoiceLines& lines,
                                  const std::optional<GenerableInvoiceTotal>& total) {
    ExtractedInvoiceData data;
    data.isInvoice = base.isInvoice;
    data.senderCompany = base.senderCompany;
    data.senderAddress = base.senderAddress;
    data.senderCountry = base.senderCountry;
    data.senderVatNumber = base.senderVatNumber;
    data.senderKvkNumber = base.senderKvkNumber;
    data.currency = base.currency.empty() ? "EUR" : base.currency;
    data.invoiceDate = base.invoiceDate;
    data.invoiceNumber = base.invoiceNumber;

    double lineSum = 0;
    for (const auto& line : lines.lines) {
        if (!std::isfinite(line.amount)) continue;
        data.lines.push_back({line.description, finite(line.quantity), finite(line.unitPrice), line.amount});
        lineSum += line.amount;
    }
    for (const auto& vat : lines.vatBreakdown) {
        if (std::isfinite(vat.rate) && std::isfinite(vat.amount))
            data.vatBreakdown.push_back({vat.rate, vat.amount});
    }

    data._totalSource = TotalAmountSource::extracted;
    std::optional<std::int64_t> cents;
    if (total && total->totalAmount) cents = eurosToCents(*total->totalAmount);
    if (!cents && base.totalAmount) cents = eurosToCents(*base.totalAmount);
    if (!cents && lineSum > 0) {
        cents = eurosToCents(lineSum);
        if (cents) data._totalSource = TotalAmountSource::derivedFromLines;
    }
    data.totalAmountCents = cents;
    return data;
}

}  // namespace zelvorin
