#include "layout/InvoiceLayoutConfig.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace zelvorin {

namespace {
constexpr std::array<std::pair<BlockType, const char*>, 18> kBlockTypeNames{{
    {BlockType::organizationBlock, "organizationBlock"},
    {BlockType::customerBlock, "customerBlock"},
    {BlockType::documentMetaBlock, "documentMetaBlock"},
    {BlockType::titleBlock, "titleBlock"},
    {BlockType::introBlock, "introBlock"},
    {BlockType::lineItemsBlock, "lineItemsBlock"},
    {BlockType::subtotalBlock, "subtotalBlock"},
    {BlockType::vatBlock, "vatBlock"},
    {BlockType::totalsBlock, "totalsBlock"},
    {BlockType::paymentBlock, "paymentBlock"},
    {BlockType::notesBlock, "notesBlock"},
    {BlockType::footerBlock, "footerBlock"},
    {BlockType::imageBlock, "imageBlock"},
    {BlockType::logoBlock, "logoBlock"},
    {BlockType::textBlock, "textBlock"},
    {BlockType::spacerBlock, "spacerBlock"},
    {BlockType::dividerBlock, "dividerBlock"},
    {BlockType::columnsBlock, "columnsBlock"},
}};
}  // namespace

const char* rawValue(BlockType type) {
    for (const auto& [candidate, name] : kBlockTypeNames) {
        if (candidate == type) return name;
    }
    return "unknown";
}

std::optional<BlockType> parseBlockType(const std::string& raw) {
    for (const auto& [type, name] : kBlockTypeNames) {
        if (raw == name) return type;
    }
    return std::nullopt;
}

bool BlockConfig::fieldVisible(const std::string& key) const {
    if (!visibleFields) return true;
    auto it = visibleFields->find(key);
    return it == visibleFields->end() || it->second;
}

double InvoiceLayoutConfig::effectiveColumnRatio() const {
    if (!columnRatio || std::isnan(*columnRatio)) return 0.5;
    return std::clamp(*columnRatio, 0.2, 0.8);
}

double InvoiceLayoutConfig::effectiveColumnGutter() const {
    if (!columnGutter || std::isnan(*columnGutter)) return 12;
    return std::max(*columnGutter, 0.0);
}

}  // namespace zelvorin
