#include "service/seed/IbanText.h"

#include <stdexcept>

namespace zelvorin::service {

namespace {

bool isUpperLetter(char c) {
    return c >= 'A' && c <= 'Z';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The remainder mod 97 of the number formed by moving the first four characters to the end and
// writing letters as 10..35; -1 when a character is neither a digit nor an upper-case letter.
int mod97(std::string_view iban) {
    const std::string rearranged = std::string(iban.substr(4)) + std::string(iban.substr(0, 4));
    int remainder = 0;
    for (char c : rearranged) {
        if (isDigit(c)) {
            remainder = (remainder * 10 + (c - '0')) % 97;
        } else if (isUpperLetter(c)) {
            remainder = (remainder * 100 + (c - 'A' + 10)) % 97;
        } else {
            return -1;
        }
    }
    return remainder;
}

}  // namespace

std::string dutchIban(std::string_view bankCode, std::string_view accountNumber) {
    if (bankCode.size() != 4 || accountNumber.size() != 10) {
        throw std::invalid_argument(
            "een Nederlands IBAN heeft een bankcode van 4 en een rekeningnummer van 10 tekens");
    }
    const std::string withZeroCheck = "NL00" + std::string(bankCode) + std::string(accountNumber);
    const int remainder = mod97(withZeroCheck);
    if (remainder < 0) throw std::invalid_argument("bankcode in hoofdletters, rekeningnummer in cijfers");
    const int check = 98 - remainder;
    std::string iban = withZeroCheck;
    iban[2] = static_cast<char>('0' + check / 10);
    iban[3] = static_cast<char>('0' + check % 10);
    return iban;
}

bool hasValidIbanChecksum(std::string_view iban) {
    if (iban.size() < 5 || iban.size() > 34) return false;
    if (!isUpperLetter(iban[0]) || !isUpperLetter(iban[1]) || !isDigit(iban[2]) || !isDigit(iban[3]))
        return false;
    return mod97(iban) == 1;
}

}  // namespace zelvorin::service
