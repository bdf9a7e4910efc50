#pragma once

#include <cstdint>
#include <optional>
#include <vector>

// A receipt states its money several times over: the total beside its label, again beside the
// payment, as the sum of the item lines, as subtotal plus VAT, and in the VAT table as net plus
// VAT. Recognition misreads one of these now and then (a 5 as a 9, a lost decimal comma), rarely
// two the same way. These functions choose the reading that most of the others agree with.
// All amounts are in cents.
namespace zelvorin::reconciling {

struct LabelledTotal {
    std::int64_t cents = 0;
    int strength = 0;  // 3: "te betalen", "zu zahlen"; 2: "totaal", "Summe"; 1: a card payment
};

// One row of VAT: its rate when printed, and every amount printed on it.
struct VatRow {
    std::optional<double> rate;
    std::vector<std::int64_t> amounts;
    std::int64_t vat = 0;  // the amount taken as the VAT when the row was read
};

struct CashPayment {
    std::optional<std::int64_t> paid;        // cash handed over less the change given back
    std::optional<std::int64_t> handedOver;  // cash handed over, no change printed: maybe exact
};

struct AmountEvidence {
    std::vector<LabelledTotal> totals;  // in the order printed
    CashPayment cash;
    std::optional<std::int64_t> subtotal;
    std::optional<std::int64_t> lineSum;  // of the item lines, when there are any
    std::vector<VatRow> vatRows;
    std::optional<std::int64_t> largest;  // the largest amount that is no part, cash or change
};

// The total to report. Each labelled amount, the cash paid, cash handed over and each total the
// other figures imply is a witness; the amount most witnesses give wins, a stronger label breaking ties, then
// the first printed. An amount no label gives is taken only when at least two witnesses agree on it. When no
// label gives an amount and no two witnesses agree, the largest amount is all there is.
std::optional<std::int64_t> chooseTotal(const AmountEvidence& evidence);

// The VAT amount of each row, checked against the total: an amount read that fits neither its
// rate nor the total is replaced by one that fits both, when the row's figures give one.
std::vector<std::int64_t> checkedVat(const AmountEvidence& evidence, std::optional<std::int64_t> total);

// The usual rate (Dutch 21 and 9 %, German 19 and 7 %, French 20, 10 and 5,5 %) that makes one
// amount of the row the VAT of another, for a row whose rate did not come through recognition.
std::optional<double> impliedRate(const std::vector<std::int64_t>& amounts);

}  // namespace zelvorin::reconciling
