#include "domain/EpcPaymentCode.h"

#include <cctype>

namespace zelvorin {

namespace {

constexpr std::int64_t kMaximumCents = 99'999'999'999;  // EUR999999999.99, the format's ceiling

// At most `characters` UTF-8 characters of `text`, never half of one; line breaks become spaces
// because each element is one line of the code.
std::string clipped(const std::string& text, std::size_t characters) {
    std::string out;
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool starts = (byte & 0xC0) != 0x80;
        if (starts && ++count > characters) break;
        out += (text[i] == '\n' || text[i] == '\r') ? ' ' : text[i];
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

std::string compactUpper(const std::string& text) {
    std::string out;
    for (const char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// "EUR1234.50": a point and two decimals, no grouping.
std::string amountText(std::int64_t cents) {
    const std::int64_t fraction = cents % 100;
    return "EUR" + std::to_string(cents / 100) + (fraction < 10 ? ".0" : ".") + std::to_string(fraction);
}

}  // namespace

std::optional<std::string> epcPaymentText(const EpcPayment& payment) {
    const std::string name = clipped(payment.beneficiaryName, 70);
    const std::string iban = compactUpper(payment.iban);
    if (name.empty() || iban.size() < 15 || iban.size() > 34) return std::nullopt;
    if (payment.amountCents < 1 || payment.amountCents > kMaximumCents) return std::nullopt;
    return "BCD\n002\n1\nSCT\n" + compactUpper(payment.bic.value_or("")) + "\n" + name + "\n" + iban + "\n" +
           amountText(payment.amountCents) + "\n\n\n" + clipped(payment.remittance, 140);
}

}  // namespace zelvorin
