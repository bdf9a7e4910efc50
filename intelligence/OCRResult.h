#pragma once

#include <string>

namespace zelvorin {

struct OCRResult {
    std::string text;
    double confidence = 0;  // 0...1
};

}  // namespace zelvorin
