#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Hand-written scanners for the pieces of receipt text the rule-based structurer looks for. Each
// runs in time linear in its input and accepts any bytes.
namespace zelvorin::scanning {

// The text with every byte sequence that is not well-formed UTF-8 (stray continuation bytes,
// overlong forms, surrogates, truncated sequences) replaced by U+FFFD, so what is read from it can
// always be written as JSON.
std::string validUtf8(std::string_view text);
// Letters recognition puts for digits (O o for 0, I l | for 1, S for 5) replaced inside words
// shaped like an amount with cents ("1O2,5O", "l2.50"): letters, digits and separators only,
// at least one real digit, ending in a separator and two places. Other text, and the byte length,
// stay the same.
std::string repairedDigits(std::string_view text);
// ASCII letters lowered; other bytes (UTF-8 included) unchanged, so offsets stay the same.
std::string lowerAscii(std::string_view text);
std::string_view trim(std::string_view text);
std::vector<std::string_view> splitLines(std::string_view text);
// `word` occurs in `text` with no ASCII letter or digit directly on either side.
bool containsWord(std::string_view text, std::string_view word);
std::size_t findWord(std::string_view text, std::string_view word, std::size_t from = 0);
bool containsAnyWord(std::string_view text, std::initializer_list<std::string_view> words);
// Any of `parts` occurs in `text`, word boundaries or not.
bool containsAny(std::string_view text, std::initializer_list<std::string_view> parts);
std::size_t countLetters(std::string_view text);

struct AmountToken {
    std::int64_t cents = 0;
    std::size_t begin = 0;  // offset of the first byte of the token, sign or symbol included
    std::size_t end = 0;    // one past the last byte
    bool currencyMarked = false;
};

// Money amounts in a line: "1.234,56", "1,234.56", "12,50", "€ 12", "12,-", "-3,00", "3,00-".
// Dates, times, percentages and identifiers are not amounts.
std::vector<AmountToken> findAmounts(std::string_view line);

// A rate written with a percent sign ("21%", "9 %", "21,00%"), in percent.
struct RateToken {
    double rate = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
};
std::vector<RateToken> findRates(std::string_view line);

// The first date in a line, as DD-MM-YYYY. Reads 12-03-2026, 12/03/2026, 12.03.2026, 12-03-26,
// 2026-03-12, 12 maart 2026, 12 Mar 2026, 12th March 2026, March 12, 2026, 12. Marz 2026 and
// 1er mars 2026 (month names in Dutch, English, German and French, in lower case and without
// accents, as a folded line has them); month-first only when the day-first reading is impossible
// (03/25/2026), or first when `monthFirst` (American documents: 03/12/2026 is 12 March).
std::optional<std::string> findDate(std::string_view line, bool monthFirst = false);

}  // namespace zelvorin::scanning
