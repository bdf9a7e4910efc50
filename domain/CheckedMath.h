#pragma once

#include <cstdint>

#include "domain/AmountOverflowError.h"

namespace zelvorin::detail {

// Products and sums of amounts, failing loudly instead of wrapping.
inline std::int64_t checkedMultiply(std::int64_t a, std::int64_t b) {
    std::int64_t result = 0;
    if (__builtin_mul_overflow(a, b, &result)) throw AmountOverflowError("bedrag te groot om te berekenen");
    return result;
}

inline std::int64_t checkedAdd(std::int64_t a, std::int64_t b) {
    std::int64_t result = 0;
    if (__builtin_add_overflow(a, b, &result)) throw AmountOverflowError("bedrag te groot om op te tellen");
    return result;
}

}  // namespace zelvorin::detail
