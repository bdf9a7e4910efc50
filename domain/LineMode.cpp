#include "domain/LineMode.h"

namespace zelvorin {

std::string_view rawValue(LineMode mode) {
    switch (mode) {
        case LineMode::hoursRate:
            return "hours_rate";
        case LineMode::qtyPrice:
            return "qty_price";
        case LineMode::fixed:
            return "fixed";
    }
    return "hours_rate";
}

std::optional<LineMode> parseLineMode(std::string_view raw) {
    for (LineMode mode : kAllLineModes) {
        if (rawValue(mode) == raw) return mode;
    }
    return std::nullopt;
}

}  // namespace zelvorin
