// The hand-off callback URL: any text the scheme handler receives is read without crashing, and a
// code is only ever handed out together with this device's id.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "api-client/HandoffCallback.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string url(reinterpret_cast<const char*>(data), size);
    auto outcome = zelvorin::HandoffCallback::read(url, "dev-1");
    if (auto* code = std::get_if<zelvorin::HandoffCallback::Code>(&outcome)) {
        if (code->code.empty() || url.find("dev-1") == std::string::npos) std::abort();
    }
    return 0;
}
