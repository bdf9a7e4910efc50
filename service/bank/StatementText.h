#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Small readings shared by the statement formats. Each throws ServiceError(badRequest) with a
// Dutch text naming what it could not read.
namespace zelvorin::service::statementtext {

// An amount in euros as a bank writes it: digits with one decimal separator, either "." or ","
// (the formats differ), up to two decimals, an optional leading sign. An amount with both
// separators ("1.234,56") is refused: a thousands separator would turn cents into euros silently
// when read the wrong way round.
std::int64_t parseAmountCents(std::string_view text);

// "yyyy-MM-dd" from "yyyyMMdd", "yyyy-MM-dd" or "dd-MM-yyyy"; refused when it is no real date.
std::string calendarDate(std::string_view text);

// A currency as ISO 4217 writes it ("EUR"): three letters, read in any case; an empty text is the
// euro. Anything else refuses the file: a transaction in an unreadable currency cannot be booked.
std::string currencyCode(std::string_view text);

// Trimmed of spaces, tabs and line ends on both sides.
std::string_view trimmed(std::string_view text);
// Runs of white space folded to one space, trimmed.
std::string folded(std::string_view text);
// Folded and in lower case (ASCII letters): how names and numbers are compared.
std::string foldedLower(std::string_view text);
// An IBAN as one upper-case word without spaces.
std::string compactIban(std::string_view text);

}  // namespace zelvorin::service::statementtext
