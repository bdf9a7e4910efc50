#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace zelvorin::DraftInvoiceNumber {

inline constexpr std::string_view kDefaultTemplate = "{PREFIX}-{YEAR}-{SEQ}";
inline constexpr std::string_view kDefaultPrefix = "FAC";
inline constexpr int kDefaultSequenceWidth = 4;

// The final number a concept number "C<yyyy>-<seq>" will get, for the draft's header: C2026-7 with
// the defaults gives "FAC-2026-0007". Anything that is not a concept number gives nothing. Widths
// below 1 count as 1; padding never truncates a longer sequence.
std::optional<std::string> preview(std::optional<std::string_view> conceptNumber,
                                   std::optional<std::string_view> numberTemplate = std::nullopt,
                                   std::optional<std::string_view> prefix = std::nullopt,
                                   std::optional<int> sequenceWidth = std::nullopt);

}  // namespace zelvorin::DraftInvoiceNumber
