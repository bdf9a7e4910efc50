// A record payload of any shape: text either parses or is refused with a SyncDecodingError, and a
// parsed value survives encoding and parsing again unchanged (key order included).
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sync/JSONValue.h"
#include "sync/SyncDecodingError.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const zelvorin::JSONValue value = zelvorin::JSONValue::parse(text);
        const std::string encoded = value.dump();
        const zelvorin::JSONValue again = zelvorin::JSONValue::parse(encoded);
        if (!(again == value) || again.dump() != encoded) std::abort();
    } catch (const zelvorin::SyncDecodingError&) {
    }
    return 0;
}
