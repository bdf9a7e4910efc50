#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zelvorin {

// "Retry-After" as whole seconds: an optional sign and digits within the 64-bit range; anything
// else (empty, a date, "soon", "1.5") gives nothing.
std::optional<std::int64_t> parseRetryAfter(std::optional<std::string_view> header);

// The file name of a "Content-Disposition" header: the text after filename=" up to the next
// double quote; nothing when there is no quoted name.
std::optional<std::string> contentDispositionFileName(std::optional<std::string_view> header);

}  // namespace zelvorin
