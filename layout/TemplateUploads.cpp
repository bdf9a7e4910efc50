#include "layout/TemplateUploads.h"

#include <algorithm>
#include <functional>

#include "layout/ImageSource.h"
#include "layout/InvoiceDocument.h"
#include "layout/LayoutError.h"

namespace zelvorin {

namespace {

constexpr std::string_view kUploadPrefix = "api/uploads/";
constexpr std::size_t kMaxKeyLength = 512;

bool plainSegment(std::string_view segment) {
    if (segment.empty() || segment == "." || segment == "..") return false;
    return std::none_of(segment.begin(), segment.end(), [](char c) {
        return c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
}

// Calls `visit` on every block of `blocks` and of the columns below them.
void eachBlock(std::vector<BlockConfig>& blocks, const std::function<void(BlockConfig&)>& visit) {
    for (BlockConfig& block : blocks) {
        visit(block);
        if (block.columnsLeft) eachBlock(*block.columnsLeft, visit);
        if (block.columnsRight) eachBlock(*block.columnsRight, visit);
    }
}

void eachBlock(InvoiceLayoutConfig& layout, const std::function<void(BlockConfig&)>& visit) {
    eachBlock(layout.blocks, visit);
    for (std::optional<ZonePanelConfig>* zone :
         {&layout.headerZone, &layout.footerZone, &layout.headerContinuation, &layout.footerContinuation}) {
        if (*zone && (*zone)->subBlocks) eachBlock(*(*zone)->subBlocks, visit);
    }
}

}  // namespace

std::optional<std::string> uploadKeyOf(std::string_view imageUrl) {
    if (!imageUrl.starts_with(kUploadPrefix)) return std::nullopt;
    const std::string_view key = imageUrl.substr(kUploadPrefix.size());
    if (key.empty() || key.size() > kMaxKeyLength) return std::nullopt;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = std::min(key.find('/', start), key.size());
        if (!plainSegment(key.substr(start, end - start))) return std::nullopt;
        if (end == key.size()) return std::string(key);
        start = end + 1;
    }
}

std::vector<std::string> uploadKeysOf(const InvoiceLayoutConfig& layout) {
    std::vector<std::string> keys;
    InvoiceLayoutConfig copy = layout;
    eachBlock(copy, [&](BlockConfig& block) {
        for (const std::optional<std::string>* url : {&block.imageUrl, &block.imagePngDataUrl}) {
            if (!*url) continue;
            std::optional<std::string> key = uploadKeyOf(**url);
            if (key && keys.size() < kMaxTemplateUploads &&
                std::find(keys.begin(), keys.end(), *key) == keys.end())
                keys.push_back(std::move(*key));
        }
    });
    return keys;
}

std::vector<std::string> uploadKeysOfConfig(const std::optional<std::string>& configText) {
    if (!configText) return {};
    try {
        return uploadKeysOf(decodeInvoiceLayoutConfig(*configText));
    } catch (const LayoutError&) {
        return {};  // the builder says so when it reads the config
    }
}

void resolveUploadImages(InvoiceLayoutConfig& layout, const std::map<std::string, std::string>& dataUrls) {
    eachBlock(layout, [&](BlockConfig& block) {
        for (std::optional<std::string>* url : {&block.imageUrl, &block.imagePngDataUrl}) {
            if (!*url || !(*url)->starts_with(kUploadPrefix)) continue;
            const std::optional<std::string> key = uploadKeyOf(**url);
            const auto found = key ? dataUrls.find(*key) : dataUrls.end();
            if (found == dataUrls.end())
                url->reset();
            else
                *url = found->second;
        }
    });
}

}  // namespace zelvorin
