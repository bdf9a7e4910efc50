#include "intelligence/TotalCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <vector>

#include "intelligence/IntelligenceTuning.h"
#include "intelligence/ReceiptVocabulary.h"
#include "intelligence/TextScanning.h"

namespace zelvorin {
namespace {

namespace vocab = vocabulary;

// The lines of the text exactly as recognition cut them, so that each keeps its confidence.
std::vector<std::string_view> rawLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = text.find('\n', start);
        lines.push_back(
            text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return lines;
}

std::vector<std::int64_t> amountsOf(std::string_view line) {
    std::vector<std::int64_t> cents;
    for (const auto& amount : scanning::findAmounts(line))
        cents.push_back(amount.cents);
    return cents;
}

bool contains(const std::vector<std::int64_t>& amounts, std::int64_t value) {
    return std::find(amounts.begin(), amounts.end(), value) != amounts.end();
}

bool isTotalLabel(std::string_view folded) {
    return vocab::totalLabel(folded) != vocab::TotalLabel::none && !vocab::isSubtotal(folded) &&
           !vocab::namesRegistration(folded);
}

std::int64_t centsOf(double euros) {
    return std::llround(euros * 100);
}

// The VAT rows give the total as the gross of their amounts (each VAT amount rounded to the cent,
// so the gross is known to within half a cent times (100 + rate) / rate), or the items are net
// and the VAT comes on top.
bool vatImplies(const ExtractedInvoiceData& data, std::int64_t total) {
    if (data.vatBreakdown.empty()) return false;
    double gross = 0, slack = 1, vat = 0;
    bool everyRowHasRate = true;
    for (const auto& item : data.vatBreakdown) {
        vat += item.amount;
        if (item.rate <= 0 || item.amount <= 0) {
            everyRowHasRate = false;
            continue;
        }
        gross += item.amount * 100 * (100 + item.rate) / item.rate;
        slack += 0.5 * (100 + item.rate) / item.rate;
    }
    if (everyRowHasRate && std::abs(gross - static_cast<double>(total)) <= slack) return true;
    double net = 0;
    for (const auto& line : data.lines)
        net += line.amount;
    return !data.lines.empty() && vat > 0 && std::llabs(centsOf(net + vat) - total) <= 1;
}

// A VAT row that prints the total as its gross must hold that total's VAT: either one of its
// other figures is the VAT of the total at the row's rate, or the total less one of them (the net)
// is. When none is, the row and the total cannot both be read right; recognition misreads a digit
// the same way in the total and in the payment below it far more often than in the row as well.
bool rowContradicts(std::string_view line, const std::vector<std::int64_t>& amounts, std::int64_t total) {
    const auto rates = scanning::findRates(line);
    if (rates.size() != 1 || amounts.size() < 2 || rates.front().rate <= 0) return false;
    const double rate = rates.front().rate;
    const double vatOfTotal = static_cast<double>(total) * rate / (100 + rate);
    for (const std::int64_t amount : amounts) {
        if (amount == total || amount <= 0) continue;
        const double net = static_cast<double>(total - amount);
        if (std::abs(static_cast<double>(amount) - vatOfTotal) <= 1.0 ||
            std::abs(static_cast<double>(amount) * rate / 100 - net) <= 1.0)
            return false;
    }
    return true;
}

}  // namespace

double TotalCheck::trust() const {
    if (pages > tuning::maxConfidentPages) return 0;
    if (!present) return tuning::trustWithoutTotal;
    // Not printed, but the items and the VAT table both add up to it: recognition garbled the
    // total's own line. Cash less change is worked out, not printed, and so vouches for nothing
    // here: a cash line misread beside the total makes a figure the items miss by a cent.
    if (!printed) return itemsAgree && vatAgrees ? tuning::trustLabelledAlone : tuning::trustUnprinted;
    // A payment of another amount means one of the two figures is misread. The VAT settles which:
    // a digit misread the same way in the total and in an item keeps their sum in step, but never
    // keeps the total in step with its VAT.
    if (contested && !vatAgrees) return support() >= 3 ? tuning::trustLabelledAlone : tuning::trustUnsure;
    if (support() >= 2) return 1;
    if (support() == 1 && (labelled || paid))
        return lineConfidence >= tuning::sureLineConfidence ? tuning::trustLabelledAlone
                                                            : tuning::trustUnsure;
    return support() == 1 ? tuning::trustUnsure : tuning::trustUnsupported;
}

TotalCheck checkTotal(const OCRResult& ocr, const ExtractedInvoiceData& data) {
    TotalCheck check;
    check.pages = ocr.pages;
    check.present = data.totalAmountCents && *data.totalAmountCents >= 1;
    if (!check.present) return check;
    const std::int64_t total = *data.totalAmountCents;

    const std::string text = scanning::repairedDigits(scanning::validUtf8(ocr.text));
    const auto lines = rawLines(text);
    const bool recognised = ocr.lineConfidences.size() == lines.size();
    double labelledConfidence = -1, anyConfidence = -1;
    std::optional<std::int64_t> cash, change;
    std::string previous;  // the folded line before, for a label with its amount on the next line
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string folded = vocab::folded(lines[i]);
        const auto amounts = amountsOf(lines[i]);
        const auto tender = vocab::tender(folded);
        if (tender == vocab::Tender::cash && !cash && !amounts.empty()) cash = amounts.back();
        if (tender == vocab::Tender::change && cash && !change && !amounts.empty()) change = amounts.back();
        const bool printsTotal = contains(amounts, total);
        // A card payment or a "to pay" label beside another amount: one of the two is misread.
        if (!printsTotal && !amounts.empty() && amounts.back() > 0 &&
            ((tender == vocab::Tender::card && !vocab::isSubtotal(folded)) ||
             (vocab::totalLabel(folded) == vocab::TotalLabel::payable && !vocab::isSubtotal(folded)))) {
            check.contested = true;
        }
        if (printsTotal) {
            check.printed = true;
            if (rowContradicts(lines[i], amounts, total)) check.contested = true;
            // On a row run together with the payment beside it, the label names only the amounts
            // before the cash or change.
            const auto payment = vocab::cashOrChangeAt(scanning::lowerAscii(lines[i]));
            const bool labelsIt =
                payment == std::string_view::npos || contains(amountsOf(lines[i].substr(0, payment)), total);
            const bool labelled =
                (isTotalLabel(folded) && labelsIt) || (isTotalLabel(previous) && amountsOf(previous).empty());
            const bool paid = tender == vocab::Tender::card && !vocab::isSubtotal(folded);
            check.labelled = check.labelled || labelled;
            check.paid = check.paid || paid;
            const double confidence = recognised ? ocr.lineConfidences[i] : 1.0;
            anyConfidence = std::max(anyConfidence, confidence);
            if (labelled || paid) labelledConfidence = std::max(labelledConfidence, confidence);
        }
        if (!scanning::trim(lines[i]).empty()) previous = folded;
    }
    // Cash handed over less the change (printed with either sign), or cash alone when no change
    // is printed.
    if (cash && (change ? *cash - std::llabs(*change) : *cash) == total) check.paid = true;
    check.lineConfidence = std::max(labelledConfidence >= 0 ? labelledConfidence : anyConfidence, 0.0);

    // A total made from the items agrees with them by construction: that is no support.
    if (!data.lines.empty() && data._totalSource == TotalAmountSource::extracted) {
        double sum = 0;
        for (const auto& line : data.lines)
            sum += line.amount;
        check.itemsAgree = std::llabs(centsOf(sum) - total) <= 1;
    }
    check.vatAgrees = vatImplies(data, total);
    return check;
}

nlohmann::ordered_json toJson(const TotalCheck& check) {
    return {{"present", check.present},       {"printed", check.printed},
            {"labelled", check.labelled},     {"paid", check.paid},
            {"itemsAgree", check.itemsAgree}, {"vatAgrees", check.vatAgrees},
            {"contested", check.contested},   {"lineConfidence", check.lineConfidence},
            {"trust", check.trust()}};
}

}  // namespace zelvorin
