#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "layout/InvoiceLayoutConfig.h"

namespace zelvorin {

// Besides a "data:" URL, a template's image block may name one of its organisation's own uploads
// by the address the service gives it, "api/uploads/<key>". The layout reads no store: whoever
// makes the InvoiceSource looks the keys up in its own (the service in the organisation's stored
// files, a device in its cache of that organisation's uploads) and hands in data URLs; a key it
// has no picture for is drawn as nothing. A key is only ever looked up within the organisation, so
// a template naming another organisation's key draws nothing either.

// The key of an upload address; nothing for any other text, and for keys that are not plain
// "/"-separated names (empty, absolute, "." or ".." segments, backslashes, control characters).
std::optional<std::string> uploadKeyOf(std::string_view imageUrl);

// A template draws at most this many different uploads: each may be up to kMaxImageBytes, and a
// render holds them all.
inline constexpr std::size_t kMaxTemplateUploads = 16;

// Every upload key that the image blocks of `layout` name, nested ones included, each once, the
// first kMaxTemplateUploads of them.
std::vector<std::string> uploadKeysOf(const InvoiceLayoutConfig& layout);
// The same for a stored template config; nothing for text that is no layout config.
std::vector<std::string> uploadKeysOfConfig(const std::optional<std::string>& configText);

// Replaces every upload address in `layout` by its data URL from `dataUrls`, and drops the ones
// that have none. Any other text stays as it is (the measurer draws only data URLs).
void resolveUploadImages(InvoiceLayoutConfig& layout, const std::map<std::string, std::string>& dataUrls);

}  // namespace zelvorin
