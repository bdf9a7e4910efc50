#include "intelligence/ReceiptText.h"

#include "intelligence/ReceiptVocabulary.h"
#include "intelligence/TextScanning.h"

namespace zelvorin {

ReceiptText::ReceiptText(std::string_view text)
    : source(scanning::repairedDigits(scanning::validUtf8(text))), lines(scanning::splitLines(source)) {
    lowered.reserve(lines.size());
    folded.reserve(lines.size());
    for (auto line : lines) {
        lowered.push_back(scanning::lowerAscii(line));
        folded.push_back(vocabulary::folded(line));
    }
}

}  // namespace zelvorin
