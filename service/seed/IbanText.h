#pragma once

#include <string>
#include <string_view>

namespace zelvorin::service {

// A Dutch IBAN ("NL" + two check digits + four-letter bank code + ten-digit account number) with
// the check digits computed (ISO 13616, mod 97), so that the demo accounts pass every validator.
std::string dutchIban(std::string_view bankCode, std::string_view accountNumber);

// True when `iban` (no spaces) has a country code, two digits, letters/digits after it and a
// mod-97 remainder of 1.
bool hasValidIbanChecksum(std::string_view iban);

}  // namespace zelvorin::service
