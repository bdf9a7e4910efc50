#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace zelvorin {

// How an invoice line states its amount before VAT. hoursRate and qtyPrice compute the same way
// (quantity in hundredths times a price in cents); they differ only in what the editor shows.
enum class LineMode {
    hoursRate,  // "hours_rate"
    qtyPrice,   // "qty_price"
    fixed,      // "fixed"
};

inline constexpr std::array<LineMode, 3> kAllLineModes{LineMode::hoursRate, LineMode::qtyPrice,
                                                       LineMode::fixed};

std::string_view rawValue(LineMode mode);
std::optional<LineMode> parseLineMode(std::string_view raw);

}  // namespace zelvorin
