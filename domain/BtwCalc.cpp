#include "domain/BtwCalc.h"

#include "domain/CheckedMath.h"
#include "domain/Rounding.h"

namespace zelvorin::BtwCalc {

std::int64_t vatOfInclusiveAmount(std::int64_t inclusiveCents, int ratePercent) {
    const std::int64_t product = detail::checkedMultiply(inclusiveCents, ratePercent);
    return roundHalfUp(static_cast<double>(product) / static_cast<double>(ratePercent + 100));
}

}  // namespace zelvorin::BtwCalc
