#pragma once

#include <cstdint>
#include <string>

namespace zelvorin::detail {

// Appends `value` in decimal, left-padded with zeros to at least `width` digits.
inline void appendPadded(std::string& out, std::uint64_t value, int width) {
    char digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = count; i < width; ++i)
        out.push_back('0');
    while (count > 0)
        out.push_back(digits[--count]);
}

}  // namespace zelvorin::detail
