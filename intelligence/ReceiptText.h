#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zelvorin {

// One recognised text as the reading rules see it: well-formed UTF-8 with misread digits repaired,
// cut into trimmed, non-empty lines. Each line has a lowered copy with the same byte offsets (to cut
// the line where a word was found) and a folded copy (to look words up in the vocabulary). Lines
// are views into the text it owns, so it is neither copied nor moved.
struct ReceiptText {
    std::string source;
    std::vector<std::string_view> lines;
    std::vector<std::string> lowered;
    std::vector<std::string> folded;

    explicit ReceiptText(std::string_view text);
    ReceiptText(const ReceiptText&) = delete;
    ReceiptText& operator=(const ReceiptText&) = delete;

    std::size_t size() const { return lines.size(); }
};

}  // namespace zelvorin
