#include "service/data/BundleFrames.h"

#include <cstdint>

#include "service/data/BundleCipher.h"

namespace zelvorin::service::bundle {

namespace {

void putBigEndian(std::string& out, std::uint64_t value, int width) {
    for (int shift = (width - 1) * 8; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xff));
}

std::uint64_t takeBigEndian(std::string_view in, std::size_t& offset, int width) {
    if (in.size() - offset < static_cast<std::size_t>(width))
        throw BundleError("De inhoud van de bundel is onleesbaar.");
    std::uint64_t value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | static_cast<unsigned char>(in[offset + i]);
    offset += width;
    return value;
}

std::string_view takeBytes(std::string_view in, std::size_t& offset, std::uint64_t count) {
    if (in.size() - offset < count) throw BundleError("De inhoud van de bundel is onleesbaar.");
    const std::string_view taken = in.substr(offset, count);
    offset += count;
    return taken;
}

}  // namespace

std::string encodeFrame(const Json& header, std::string_view body) {
    const std::string headerText = header.dump();
    std::string frame;
    frame.reserve(12 + headerText.size() + body.size());
    putBigEndian(frame, headerText.size(), 4);
    frame += headerText;
    putBigEndian(frame, body.size(), 8);
    frame += body;
    return frame;
}

std::vector<Frame> decodeFrames(std::string_view plaintext) {
    std::vector<Frame> frames;
    std::size_t offset = 0;
    while (offset < plaintext.size()) {
        const std::string_view headerText = takeBytes(plaintext, offset, takeBigEndian(plaintext, offset, 4));
        Json header = Json::parse(headerText, nullptr, /*allow_exceptions=*/false);
        if (!header.is_object() || !header.contains("kind") || !header["kind"].is_string())
            throw BundleError("De inhoud van de bundel is onleesbaar.");
        const std::string_view body = takeBytes(plaintext, offset, takeBigEndian(plaintext, offset, 8));
        frames.push_back(Frame{std::move(header), std::string(body)});
    }
    return frames;
}

}  // namespace zelvorin::service::bundle
