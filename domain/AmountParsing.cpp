#include <algorithm>
#include <limits>

#include "domain/Money.h"

// Typed amounts and quantities. The grammar, after trimming white space (ASCII, no-break space and
// narrow no-break space):
//
//   text     = [sign] [euro] [sign] number [euro]      (one sign and one euro sign at most)
//   number   = integer "," 1*2DIGIT | integer | [digits] "." 1*2DIGIT | "," 1*2DIGIT
//   integer  = digits | 1*3DIGIT 1*("." 3DIGIT)
//
// so "1.234" is twelve hundred and thirty-four euros while "1.23" is one euro twenty-three.
namespace zelvorin {

namespace {

constexpr std::string_view kEuroSign = "\u20AC";

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) {}

    void skipSpace() {
        for (;;) {
            const std::string_view rest = text_.substr(pos_);
            if (!rest.empty() && (rest[0] == ' ' || (rest[0] >= '\t' && rest[0] <= '\r'))) {
                ++pos_;
            } else if (rest.starts_with("\u00A0")) {
                pos_ += 2;
            } else if (rest.starts_with("\u202F")) {
                pos_ += 3;
            } else {
                return;
            }
        }
    }

    bool eat(std::string_view token) {
        if (!text_.substr(pos_).starts_with(token)) return false;
        pos_ += token.size();
        skipSpace();
        return true;
    }

    std::string_view takeNumber() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && (isDigit(text_[pos_]) || text_[pos_] == '.' || text_[pos_] == ','))
            ++pos_;
        return text_.substr(start, pos_ - start);
    }

    bool atEnd() const { return pos_ == text_.size(); }

    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), Scanner::isDigit);
}

// Whole units, plain ("1234") or grouped by thousands ("1.234.567"), into `out`; false on bad
// grouping or overflow.
bool parseWhole(std::string_view text, std::uint64_t& out) {
    const bool grouped = text.find('.') != std::string_view::npos;
    std::size_t groupLength = 0;
    bool firstGroup = true;
    out = 0;
    for (char c : text) {
        if (c == '.') {
            if (groupLength == 0 || (firstGroup ? groupLength > 3 : groupLength != 3)) return false;
            firstGroup = false;
            groupLength = 0;
            continue;
        }
        if (!Scanner::isDigit(c)) return false;
        ++groupLength;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (out > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return false;
        out = out * 10 + digit;
    }
    return !grouped || groupLength == 3;
}

// Splits the number into whole and fraction text; false when it has no valid shape.
bool splitNumber(std::string_view number, std::string_view& whole, std::string_view& fraction) {
    const std::size_t comma = number.find(',');
    const std::size_t dot = number.find('.');
    if (comma != std::string_view::npos) {
        if (number.find(',', comma + 1) != std::string_view::npos) return false;
        whole = number.substr(0, comma);
        fraction = number.substr(comma + 1);
        return !fraction.empty();
    }
    if (dot != std::string_view::npos && number.find('.', dot + 1) == std::string_view::npos) {
        const std::string_view after = number.substr(dot + 1);
        if (!after.empty() && after.size() <= 2 && allDigits(after)) {
            whole = number.substr(0, dot);
            fraction = after;
            return true;
        }
    }
    whole = number;
    fraction = {};
    return !whole.empty();
}

std::optional<std::int64_t> parseNumber(std::string_view number, bool negative) {
    std::string_view wholeText;
    std::string_view fractionText;
    if (!splitNumber(number, wholeText, fractionText)) return std::nullopt;
    if (fractionText.size() > 2 || !allDigits(fractionText)) return std::nullopt;
    std::uint64_t whole = 0;
    if (!parseWhole(wholeText, whole)) return std::nullopt;

    std::uint64_t fraction = 0;
    for (char c : fractionText)
        fraction = fraction * 10 + static_cast<std::uint64_t>(c - '0');
    if (fractionText.size() == 1) fraction *= 10;

    constexpr auto kMax = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (whole > (kMax - fraction) / 100) return std::nullopt;
    const auto scaled = static_cast<std::int64_t>(whole * 100 + fraction);
    return negative ? -scaled : scaled;
}

std::optional<std::int64_t> parseScaled(std::string_view typed, bool allowCurrency) {
    Scanner scanner(typed);
    scanner.skipSpace();
    bool negative = false;
    bool currency = false;
    for (int token = 0; token < 2; ++token) {
        if (!negative && scanner.eat("-")) {
            negative = true;
        } else if (allowCurrency && !currency && scanner.eat(kEuroSign)) {
            currency = true;
        }
    }
    const std::string_view number = scanner.takeNumber();
    scanner.skipSpace();
    if (allowCurrency && !currency) scanner.eat(kEuroSign);
    if (!scanner.atEnd() || number.empty()) return std::nullopt;
    return parseNumber(number, negative);
}

}  // namespace

std::optional<std::int64_t> parseAmountCents(std::string_view typed) {
    return parseScaled(typed, true);
}

std::optional<std::int64_t> parseHundredths(std::string_view typed) {
    return parseScaled(typed, false);
}

}  // namespace zelvorin
