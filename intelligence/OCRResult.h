#pragma once

#include <string>
#include <vector>

namespace zelvorin {

struct OCRResult {
    std::string text;
    double confidence = 0;  // 0...1
    // How sure recognition is of each line of `text` (split at line feeds), 0...1: the confidence of
    // its least certain word. Empty when the text was not recognised (a PDF's text layer).
    std::vector<double> lineConfidences;
    // Pages of the document; only the first is read.
    int pages = 1;
};

}  // namespace zelvorin
