#include "screens/DisplayFormats.h"

#include <cctype>

#include "domain/InvoiceStatus.h"
#include "domain/Money.h"

namespace zelvorin {
namespace {

bool isStoredDate(const std::string& text) {
    if (text.size() < 10 || text[4] != '-' || text[7] != '-') return false;
    for (const int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
    return true;
}

}  // namespace

std::string DisplayFormats::money(std::int64_t cents) const {
    return formatEuro(cents);
}

std::string DisplayFormats::date(const std::optional<std::string>& stored) const {
    if (!stored) return {};
    if (!isStoredDate(*stored)) return *stored;
    const std::string year = stored->substr(0, 4), month = stored->substr(5, 2), day = stored->substr(8, 2);
    const std::string notation = dateNotation.value_or("");
    if (notation == "en-us") return month + "/" + day + "/" + year;
    if (notation == "en-gb") return day + "/" + month + "/" + year;
    if (notation == "iso") return year + "-" + month + "-" + day;
    return day + "-" + month + "-" + year;
}

std::string groupedNumber(std::int64_t value) {
    const std::string digits = std::to_string(value < 0 ? -value : value);
    std::string out = value < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += '.';
        out += digits[i];
    }
    return out;
}

std::string invoiceStatusLabel(const std::string& rawStatus) {
    const std::optional<InvoiceStatus> status = parseInvoiceStatus(rawStatus);
    if (!status) return rawStatus;
    switch (*status) {
        case InvoiceStatus::draft:
            return "Concept";
        case InvoiceStatus::readyForFinalize:
            return "Klaar om af te ronden";
        case InvoiceStatus::finalizing:
            return "Wordt afgerond";
        case InvoiceStatus::finalized:
            return "Afgerond";
        case InvoiceStatus::sent:
            return "Verzonden";
        case InvoiceStatus::delivered:
            return "Afgeleverd";
        case InvoiceStatus::viewed:
            return "Bekeken";
        case InvoiceStatus::partiallyPaid:
            return "Deels betaald";
        case InvoiceStatus::paid:
            return "Betaald";
        case InvoiceStatus::overdue:
            return "Achterstallig";
        case InvoiceStatus::cancelled:
            return "Geannuleerd";
        case InvoiceStatus::credited:
            return "Gecrediteerd";
    }
    return rawStatus;
}

}  // namespace zelvorin
