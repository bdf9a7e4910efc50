#pragma once

#include <optional>
#include <string>

#include "intelligence/ReceiptText.h"

namespace zelvorin {

// Who sent the document, as far as its text tells: the name (often printed only as a logo, so it
// is also looked for in legal-form lines, above the address and in the web or e-mail domain),
// the address, the country and the registration numbers. The customer's block is never read as
// the sender.
struct SenderFields {
    std::optional<std::string> company;
    std::optional<std::string> address;
    std::optional<std::string> country;
    std::optional<std::string> vatNumber;
    std::optional<std::string> kvkNumber;
};

SenderFields readSender(const ReceiptText& text);

}  // namespace zelvorin
