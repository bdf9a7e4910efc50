#pragma once

#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>

namespace zelvorin::BankIgnoreRuleMatching {

// The category of a transfer between the organisation's own accounts.
inline constexpr std::string_view kInternalTransferCategory = "__INTERNAL_TRANSFER__";

struct CategoryOption {
    std::string label;
    std::string value;
    bool isInternalTransfer = false;

    bool operator==(const CategoryOption&) const = default;
};

// The label the bank-rules screen shows for a category value: the internal-transfer option for the
// reserved value, otherwise the option with exactly that value; nothing when none fits.
std::optional<std::string> categoryLabel(std::string_view category, std::span<const CategoryOption> options);

// True when `existing` does not hold `text`: only rules and senders not yet ignored are offered.
bool isNotYetPresent(std::string_view text, const std::set<std::string, std::less<>>& existing);
bool isNotYetPresent(std::string_view text, const std::unordered_set<std::string>& existing);

}  // namespace zelvorin::BankIgnoreRuleMatching
