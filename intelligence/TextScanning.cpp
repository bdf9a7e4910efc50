#include "intelligence/TextScanning.h"

#include <array>

namespace zelvorin::scanning {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isAlnum(char c) {
    return isDigit(c) || isAlpha(c);
}

constexpr std::string_view kEuro = "\xE2\x82\xAC";
constexpr std::string_view kPound = "\xC2\xA3";

// Length of a currency mark ending right before `at`, allowing one space between.
bool currencyBefore(std::string_view line, std::size_t at) {
    std::size_t end = at;
    if (end > 0 && line[end - 1] == ' ') --end;
    const auto before = line.substr(0, end);
    if (before.ends_with(kEuro) || before.ends_with(kPound) || before.ends_with('$')) return true;
    for (std::string_view code : {"EUR", "eur", "USD", "GBP", "CHF"}) {
        if (before.ends_with(code) && (before.size() == 3 || !isAlpha(before[before.size() - 4])))
            return true;
    }
    return false;
}

bool currencyAfter(std::string_view line, std::size_t at) {
    std::size_t start = at;
    if (start < line.size() && line[start] == ' ') ++start;
    const auto after = line.substr(start);
    if (after.starts_with(kEuro)) return true;
    for (std::string_view code : {"EUR", "eur", "USD", "GBP"}) {
        if (after.starts_with(code) && (after.size() == 3 || !isAlpha(after[3]))) return true;
    }
    return false;
}

struct NumberRun {
    std::vector<std::string_view> groups;
    std::vector<char> separators;  // separators[i] sits between groups[i] and groups[i + 1]
    std::size_t end = 0;
};

// The length of a no-break space (U+00A0) or narrow no-break space (U+202F) at `at`, else 0.
std::size_t thinSpaceAt(std::string_view line, std::size_t at) {
    const auto rest = line.substr(std::min(at, line.size()));
    if (rest.starts_with("\xC2\xA0")) return 2;
    if (rest.starts_with("\xE2\x80\xAF")) return 3;
    return 0;
}

NumberRun readNumberRun(std::string_view line, std::size_t at) {
    NumberRun run;
    std::size_t i = at;
    while (true) {
        const std::size_t start = i;
        while (i < line.size() && isDigit(line[i]))
            ++i;
        run.groups.push_back(line.substr(start, i - start));
        if (i + 1 < line.size() && (line[i] == '.' || line[i] == ',') && isDigit(line[i + 1])) {
            run.separators.push_back(line[i]);
            ++i;
            continue;
        }
        // French and Swiss print thousands with a (narrow) no-break space: "1 020,00".
        const std::size_t space = thinSpaceAt(line, i);
        if (space > 0 && i + space < line.size() && isDigit(line[i + space])) {
            run.separators.push_back(' ');
            i += space;
            continue;
        }
        break;
    }
    run.end = i;
    return run;
}

std::optional<std::int64_t> digitsValue(std::string_view digits, std::int64_t value = 0) {
    for (char c : digits) {
        if (value > 99'999'999'999'999) return std::nullopt;  // no receipt is worth that much
        value = value * 10 + (c - '0');
    }
    return value;
}

// Whole euros from groups[0..count): one group, or thousands groups of three joined by `thousands`.
std::optional<std::int64_t> wholeValue(const NumberRun& run, std::size_t count) {
    std::int64_t value = 0;
    for (std::size_t g = 0; g < count; ++g) {
        if (g > 0) {
            if (run.groups[g].size() != 3 || run.separators[g - 1] != run.separators[0]) return std::nullopt;
        } else if (count > 1 && run.groups[0].size() > 3) {
            return std::nullopt;
        }
        const auto v = digitsValue(run.groups[g], value);
        if (!v) return std::nullopt;
        value = *v;
    }
    return value;
}

std::optional<std::int64_t> centsOf(const NumberRun& run, std::string_view line, bool currencyMarked) {
    const std::size_t n = run.groups.size();
    if (n >= 2 && run.groups[n - 1].size() == 2) {
        const char decimal = run.separators[n - 2];
        if (n > 2 && run.separators[0] == decimal) return std::nullopt;
        const auto whole = wholeValue(run, n - 1);
        if (!whole) return std::nullopt;
        return *whole * 100 + (run.groups[n - 1][0] - '0') * 10 + (run.groups[n - 1][1] - '0');
    }
    // "12,-" is twelve euros on Dutch price tags.
    const bool dashCents = run.end + 1 < line.size() && (line[run.end] == ',' || line[run.end] == '.') &&
                           line[run.end + 1] == '-';
    if ((currencyMarked || dashCents) && (n == 1 || run.groups[n - 1].size() == 3)) {
        const auto whole = wholeValue(run, n);
        if (whole) return *whole * 100;
    }
    return std::nullopt;
}

bool followedByPercent(std::string_view line, std::size_t at) {
    if (at < line.size() && line[at] == ' ') ++at;
    return at < line.size() && line[at] == '%';
}

struct MonthName {
    std::string_view name;
    int month;
};
// Dutch, English, German and French names and abbreviations, without accents (lines are folded
// before dates are looked for).
constexpr MonthName kMonths[] = {
    {"januari", 1},   {"january", 1},   {"januar", 1},    {"janvier", 1},  {"jan", 1},       {"janv", 1},
    {"februari", 2},  {"february", 2},  {"februar", 2},   {"fevrier", 2},  {"feb", 2},       {"febr", 2},
    {"fevr", 2},      {"maart", 3},     {"march", 3},     {"marz", 3},     {"maerz", 3},     {"mars", 3},
    {"mrt", 3},       {"mar", 3},       {"april", 4},     {"avril", 4},    {"apr", 4},       {"avr", 4},
    {"mei", 5},       {"may", 5},       {"mai", 5},       {"juni", 6},     {"june", 6},      {"juin", 6},
    {"jun", 6},       {"juli", 7},      {"july", 7},      {"juillet", 7},  {"jul", 7},       {"juil", 7},
    {"augustus", 8},  {"august", 8},    {"aout", 8},      {"aug", 8},      {"september", 9}, {"septembre", 9},
    {"sept", 9},      {"sep", 9},       {"oktober", 10},  {"october", 10}, {"octobre", 10},  {"okt", 10},
    {"oct", 10},      {"november", 11}, {"novembre", 11}, {"nov", 11},     {"december", 12}, {"dezember", 12},
    {"decembre", 12}, {"dec", 12},      {"dez", 12},
};

int monthNamed(std::string_view lowered) {
    for (const auto& m : kMonths) {
        if (m.name == lowered) return m.month;
    }
    return 0;
}

bool isLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::optional<std::string> formatDate(int day, int month, int year) {
    if (year < 100) year += 2000;
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 2000 || year > 2099 || month < 1 || month > 12 || day < 1) return std::nullopt;
    if (day > kDays[month - 1] + (month == 2 && isLeap(year) ? 1 : 0)) return std::nullopt;
    auto two = [](int v) {
        return std::string{static_cast<char>('0' + v / 10), static_cast<char>('0' + v % 10)};
    };
    return two(day) + "-" + two(month) + "-" + std::to_string(year);
}

struct Cursor {
    std::string_view text;
    std::size_t at;

    bool done() const { return at >= text.size(); }
    char peek() const { return done() ? '\0' : text[at]; }
    // Up to `maxDigits` digits; their count in `length`.
    int number(int maxDigits, int& length) {
        int value = 0;
        length = 0;
        while (!done() && isDigit(peek()) && length < maxDigits + 1) {
            value = value * 10 + (peek() - '0');
            ++at;
            ++length;
        }
        return value;
    }
    std::string word() {
        std::string out;
        // Month names are short; a long run of letters is never one, and must not be copied.
        while (!done() && isAlpha(peek())) {
            if (out.size() < 12) out += static_cast<char>(peek() | 0x20);
            ++at;
        }
        return out.size() < 12 ? out : std::string();
    }
    void skip(std::string_view chars) {
        while (!done() && chars.find(peek()) != std::string_view::npos)
            ++at;
    }
};

std::optional<std::string> numericDate(std::string_view line, std::size_t start, bool monthFirst) {
    Cursor c{line, start};
    int len1, len2, len3;
    const int a = c.number(4, len1);
    const char sep = c.peek();
    if (sep != '-' && sep != '/' && sep != '.') return std::nullopt;
    ++c.at;
    // Till printers and recognition put a space after a dot: "04. 04. 2020".
    if (sep == '.' && c.peek() == ' ') ++c.at;
    const int b = c.number(2, len2);
    if (len2 < 1 || len2 > 2 || c.peek() != sep) return std::nullopt;
    ++c.at;
    if (sep == '.' && c.peek() == ' ') ++c.at;
    const int d = c.number(4, len3);
    if (!c.done() && isDigit(c.peek())) return std::nullopt;
    if (len1 == 4 && len3 >= 1 && len3 <= 2) return formatDate(d, b, a);
    if (len1 > 2 || (len3 != 2 && len3 != 4)) return std::nullopt;
    if (monthFirst) {
        if (auto date = formatDate(b, a, d)) return date;
        return formatDate(a, b, d);
    }
    if (auto date = formatDate(a, b, d)) return date;
    return formatDate(b, a, d);  // month-first, only when day-first cannot be
}

// A till date whose dots faded on thermal paper, "23 03 20 15:32": day, month and year of two
// digits (or a year of four) apart only by spaces, taken for a date only with the time behind it.
std::optional<std::string> fadedDateBeforeTime(std::string_view line, std::size_t start) {
    Cursor c{line, start};
    int day, month, year, length;
    if ((day = c.number(2, length), length != 2) || c.peek() != ' ') return std::nullopt;
    ++c.at;
    if ((month = c.number(2, length), length != 2) || c.peek() != ' ') return std::nullopt;
    ++c.at;
    year = c.number(4, length);
    if ((length != 2 && length != 4) || c.peek() != ' ') return std::nullopt;
    c.skip(" ");
    int hours, minutes, hourLength, minuteLength;
    hours = c.number(2, hourLength);
    if (hourLength < 1 || hourLength > 2 || c.peek() != ':') return std::nullopt;
    ++c.at;
    minutes = c.number(2, minuteLength);
    if (minuteLength != 2 || hours > 23 || minutes > 59) return std::nullopt;
    return formatDate(day, month, year);
}

std::optional<std::string> dayMonthNameDate(std::string_view line, std::size_t start) {
    Cursor c{line, start};
    int len;
    const int day = c.number(2, len);
    if (len > 2) return std::nullopt;
    const auto suffix = Cursor{line, c.at}.word();
    if (suffix == "st" || suffix == "nd" || suffix == "rd" || suffix == "th") c.at += 2;
    if (suffix == "er") c.at += 2;  // "1er mars"
    c.skip(". ");
    const int month = monthNamed(c.word());
    if (month == 0) return std::nullopt;
    c.skip(".,' ");
    const int year = c.number(4, len);
    if (len != 4 && len != 2) return std::nullopt;
    if (!c.done() && isDigit(c.peek())) return std::nullopt;
    return formatDate(day, month, year);
}

std::optional<std::string> monthNameDayDate(std::string_view line, std::size_t start) {
    Cursor c{line, start};
    const int month = monthNamed(c.word());
    if (month == 0) return std::nullopt;
    c.skip(". ");
    int len;
    const int day = c.number(2, len);
    if (len < 1 || len > 2) return std::nullopt;
    const auto suffix = Cursor{line, c.at}.word();
    if (suffix == "st" || suffix == "nd" || suffix == "rd" || suffix == "th") c.at += 2;
    c.skip(", ");
    const int year = c.number(4, len);
    if (len != 4 || (!c.done() && isDigit(c.peek()))) return std::nullopt;
    return formatDate(day, month, year);
}

}  // namespace

std::string validUtf8(std::string_view text) {
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::string clean;
    clean.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
        const unsigned char lead = byte(i);
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
        if (lead < 0x80) {
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;   // overlong
            if (lead == 0xED) high = 0x9F;  // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;   // overlong
            if (lead == 0xF4) high = 0x8F;  // beyond U+10FFFF
        }
        bool wellFormed = length > 0 && i + length <= text.size();
        for (std::size_t k = 1; wellFormed && k < length; ++k) {
            const unsigned char next = byte(i + k);
            wellFormed = k == 1 ? (next >= low && next <= high) : (next >= 0x80 && next <= 0xBF);
        }
        if (wellFormed) {
            clean.append(text.substr(i, length));
            i += length;
        } else {
            clean.append(kReplacement);
            ++i;
        }
    }
    return clean;
}

std::string repairedDigits(std::string_view text) {
    const auto digitFor = [](char c) -> char {
        switch (c) {
            case 'O':
            case 'o':
                return '0';
            case 'I':
            case 'l':
            case '|':
                return '1';
            case 'S':
                return '5';
            default:
                return isDigit(c) ? c : '\0';
        }
    };
    const auto isPart = [&](char c) { return digitFor(c) != '\0' || c == '.' || c == ','; };
    std::string out(text);
    std::size_t i = 0;
    while (i < out.size()) {
        if (!isPart(out[i]) || (i > 0 && isAlnum(out[i - 1]))) {
            ++i;
            continue;
        }
        std::size_t end = i;
        bool realDigit = false;
        for (; end < out.size() && isPart(out[end]); ++end) {
            if (isDigit(out[end])) realDigit = true;
        }
        const std::size_t length = end - i;
        const bool bounded = end == out.size() || !isAlnum(out[end]);
        const bool shaped = length >= 4 && digitFor(out[i]) != '\0' &&
                            (out[end - 3] == '.' || out[end - 3] == ',') && digitFor(out[end - 2]) != '\0' &&
                            digitFor(out[end - 1]) != '\0';
        if (bounded && shaped && realDigit) {
            for (std::size_t k = i; k < end; ++k) {
                if (out[k] != '.' && out[k] != ',') out[k] = digitFor(out[k]);
            }
        }
        i = end;
    }
    return out;
}

std::string lowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string_view trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\f\v");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\f\v");
    return text.substr(first, last - first + 1);
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const auto end = text.find('\n', start);
        const auto line =
            trim(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (!line.empty()) lines.push_back(line);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return lines;
}

std::size_t findWord(std::string_view text, std::string_view word, std::size_t from) {
    if (word.empty()) return std::string_view::npos;
    for (auto at = text.find(word, from); at != std::string_view::npos; at = text.find(word, at + 1)) {
        const bool leftOk = at == 0 || !isAlnum(text[at - 1]);
        const auto end = at + word.size();
        const bool rightOk = end >= text.size() || !isAlnum(text[end]);
        if (leftOk && rightOk) return at;
    }
    return std::string_view::npos;
}

bool containsWord(std::string_view text, std::string_view word) {
    return findWord(text, word) != std::string_view::npos;
}

bool containsAnyWord(std::string_view text, std::initializer_list<std::string_view> words) {
    for (auto word : words) {
        if (containsWord(text, word)) return true;
    }
    return false;
}

bool containsAny(std::string_view text, std::initializer_list<std::string_view> parts) {
    for (auto part : parts) {
        if (text.find(part) != std::string_view::npos) return true;
    }
    return false;
}

std::size_t countLetters(std::string_view text) {
    std::size_t letters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        // UTF-8 lead bytes of Latin letters with accents count once; continuation bytes not at all.
        if (isAlpha(text[i]) || (c >= 0xC3 && c <= 0xC5)) ++letters;
    }
    return letters;
}

std::vector<AmountToken> findAmounts(std::string_view line) {
    std::vector<AmountToken> amounts;
    std::size_t i = 0;
    while (i < line.size()) {
        if (!isDigit(line[i]) ||
            (i > 0 && (isAlnum(line[i - 1]) || line[i - 1] == '.' || line[i - 1] == ','))) {
            ++i;
            continue;
        }
        const NumberRun run = readNumberRun(line, i);
        const std::size_t start = i;
        i = run.end;
        if (run.end < line.size() && (isAlpha(line[run.end]) || isDigit(line[run.end]))) {
            if (!currencyAfter(line, run.end)) continue;
        }
        if (followedByPercent(line, run.end)) continue;
        // A date or a time continues with another separator and digits.
        if (run.end + 1 < line.size() &&
            (line[run.end] == '-' || line[run.end] == '/' || line[run.end] == ':') &&
            isDigit(line[run.end + 1])) {
            continue;
        }
        // A figure cut by a slash ("2/,42", "29/1") is no amount.
        if (run.end < line.size() && line[run.end] == '/') continue;
        if (start > 0 && (line[start - 1] == '/' || line[start - 1] == ':' ||
                          (line[start - 1] == '-' && start > 1 && isDigit(line[start - 2])))) {
            continue;
        }
        const bool marked = currencyBefore(line, start) || currencyAfter(line, run.end);
        const auto cents = centsOf(run, line, marked);
        if (!cents) continue;
        AmountToken token{*cents, start, run.end, marked};
        // A minus in front of the number or of its currency sign, or trailing it as tills print.
        std::size_t signAt = start;
        if (signAt > 0 && line[signAt - 1] == ' ') --signAt;
        if (line.substr(0, signAt).ends_with(kEuro)) signAt -= kEuro.size();
        if (signAt > 0 && line[signAt - 1] == '-') {
            token.cents = -token.cents;
            token.begin = signAt - 1;
        } else if (run.end < line.size() && line[run.end] == '-' &&
                   (run.end + 1 == line.size() || line[run.end + 1] == ' ')) {
            token.cents = -token.cents;
            token.end = run.end + 1;
        }
        amounts.push_back(token);
    }
    return amounts;
}

std::vector<RateToken> findRates(std::string_view line) {
    std::vector<RateToken> rates;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (!isDigit(line[i]) ||
            (i > 0 && (isAlnum(line[i - 1]) || line[i - 1] == '.' || line[i - 1] == ',')))
            continue;
        const NumberRun run = readNumberRun(line, i);
        const std::size_t start = i;
        i = run.end;
        if (!followedByPercent(line, run.end) || run.groups.size() > 2 || run.groups[0].size() > 3) continue;
        double rate = static_cast<double>(*digitsValue(run.groups[0]));
        if (run.groups.size() == 2) {
            double scale = 0.1;
            for (char c : run.groups[1].substr(0, 4))
                rate += (c - '0') * scale, scale /= 10;
        }
        if (rate <= 100) rates.push_back({rate, start, run.end});
    }
    return rates;
}

std::optional<std::string> findDate(std::string_view line, bool monthFirst) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        const bool boundary = i == 0 || !isAlnum(line[i - 1]);
        if (!boundary) continue;
        if (isDigit(line[i])) {
            if (auto date = numericDate(line, i, monthFirst)) return date;
            if (auto date = dayMonthNameDate(line, i)) return date;
            if (auto date = fadedDateBeforeTime(line, i)) return date;
        } else if (isAlpha(line[i])) {
            if (auto date = monthNameDayDate(line, i)) return date;
        }
    }
    return std::nullopt;
}

}  // namespace zelvorin::scanning
