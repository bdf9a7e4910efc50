// Push and pull bodies as they arrive over the wire: any text either decodes or is refused with a
// SyncDecodingError, and whatever decodes encodes back to a body that decodes to the same value.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sync/PullResponse.h"
#include "sync/PushRequest.h"
#include "sync/PushResponse.h"
#include "sync/SyncDecodingError.h"

namespace {

template <class Parse>
void roundTrip(std::string_view text, Parse parse) {
    try {
        const auto decoded = parse(text);
        const auto again = parse(toJson(decoded).dump());
        if (!(again == decoded)) std::abort();
    } catch (const zelvorin::SyncDecodingError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    roundTrip(text, [](std::string_view t) { return zelvorin::parsePushRequest(t); });
    roundTrip(text, [](std::string_view t) { return zelvorin::parsePushResponse(t); });
    roundTrip(text, [](std::string_view t) { return zelvorin::parsePullResponse(t); });
    return 0;
}
