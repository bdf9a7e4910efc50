#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace zelvorin {

// What a European payment QR code asks the customer's banking app to pay.
struct EpcPayment {
    std::string beneficiaryName;
    std::string iban;                // spaces allowed; written without them, in capitals
    std::optional<std::string> bic;  // optional in the EEA; written when known
    std::int64_t amountCents = 0;    // the open balance
    std::string remittance;          // unstructured remittance text: the invoice number
};

// The text of the code, one element a line (EPC069-12, version 002, UTF-8, SEPA credit transfer):
//   BCD / 002 / 1 / SCT / BIC / name / IBAN / EUR<amount> / purpose / reference / remittance
// The name is cut to 70 characters and the remittance to 140 (whole UTF-8 characters). Nothing
// when the code cannot ask for a payment: no name or IBAN, or an amount outside € 0,01 to
// € 999.999.999,99.
std::optional<std::string> epcPaymentText(const EpcPayment& payment);

}  // namespace zelvorin
