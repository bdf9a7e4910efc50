#include "domain/BankIgnoreRuleMatching.h"

namespace zelvorin::BankIgnoreRuleMatching {

std::optional<std::string> categoryLabel(std::string_view category, std::span<const CategoryOption> options) {
    const bool internalTransfer = category == kInternalTransferCategory;
    for (const CategoryOption& option : options) {
        if (internalTransfer ? option.isInternalTransfer : option.value == category) return option.label;
    }
    return std::nullopt;
}

bool isNotYetPresent(std::string_view text, const std::set<std::string, std::less<>>& existing) {
    return existing.find(text) == existing.end();
}

bool isNotYetPresent(std::string_view text, const std::unordered_set<std::string>& existing) {
    return existing.find(std::string(text)) == existing.end();
}

}  // namespace zelvorin::BankIgnoreRuleMatching
