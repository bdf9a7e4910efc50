#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace zelvorin {

// Dutch VAT (BTW) treatments, stored and exchanged by their raw text. The enumerators are declared
// in display order, so ordered containers keyed by a treatment list them as the breakdown does.
enum class VatTreatment {
    nl21,     // "nl_21", standard rate
    nl9,      // "nl_9", reduced rate
    nl0,      // "nl_0", zero rate / exempt
    verlegd,  // "verlegd", reverse charge: the customer accounts for the VAT
};

inline constexpr std::array<VatTreatment, 4> kAllVatTreatments{VatTreatment::nl21, VatTreatment::nl9,
                                                               VatTreatment::nl0, VatTreatment::verlegd};

std::string_view rawValue(VatTreatment treatment);
std::optional<VatTreatment> parseVatTreatment(std::string_view raw);

// Whole percent: 21, 9, 0, 0.
int vatRate(VatTreatment treatment);

}  // namespace zelvorin
