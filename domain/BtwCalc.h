#pragma once

#include <cstdint>

namespace zelvorin::BtwCalc {

// The VAT part of an amount that already includes VAT: floor(a * r / (100 + r) + 0.5).
// 12100 at 21 gives 2100; any amount at rate 0 gives 0.
std::int64_t vatOfInclusiveAmount(std::int64_t inclusiveCents, int ratePercent);

}  // namespace zelvorin::BtwCalc
