#pragma once

#include <stdexcept>

namespace zelvorin {

// The one error of the domain rules. Amounts on an invoice stay far below the 64-bit range, so
// this only fires on corrupt input (a line of 10^17 hours, a NaN from a screen); it is thrown
// instead of wrapping silently into a wrong total.
class AmountOverflowError : public std::overflow_error {
public:
    using std::overflow_error::overflow_error;
};

}  // namespace zelvorin
