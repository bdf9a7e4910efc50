#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// The encryption of an export bundle: AES-256-GCM under a key that scrypt derives from the
// password, in chunks, so that a bundle is sealed as its contents are read and no chunk can be
// dropped, repeated, reordered or cut off without the open failing.
//
//   header  "ZVBUNDLE" | version 1 | kdf 1 (scrypt) | log2(N) | r | p | salt (16) |
//           nonce prefix (7) | chunk size (4, big-endian)                          = 40 bytes
//   chunks  ciphertext of `chunk size` plaintext bytes (fewer in the last) + GCM tag (16)
//
// Chunk i is sealed with the nonce prefix | i (4, big-endian) | 1 for the last chunk, else 0, and
// the whole header as associated data: a changed salt, cost or chunk size fails like a changed
// ciphertext byte, and a bundle cut at a chunk boundary lacks the chunk marked last.
namespace zelvorin::service::bundle {

// A bundle that cannot be opened; the text is Dutch and says what to do.
class BundleError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// scrypt's cost. The default is what a bundle is sealed with; opening accepts at most
// kMaxLog2N, because the header is read before it can be authenticated and must not make the
// service allocate what an attacker asks for.
struct KdfCost {
    std::uint8_t log2N = 17;
    std::uint8_t r = 8;
    std::uint8_t p = 1;
};
// N = 2^17, r = 8 takes 128 MiB and one to two seconds on this machine: a guess at the password of a
// stolen bundle costs an attacker the same memory, which is what makes GPUs and ASICs slow at
// it, while one export or import a day does not notice the wait.
inline constexpr KdfCost kDefaultKdfCost{};
inline constexpr std::uint8_t kMaxLog2N = 18;

// 64 KiB of plaintext a chunk: small enough that sealing streams, large enough that the 16-byte
// tag a chunk adds is noise.
inline constexpr std::uint32_t kChunkBytes = 64 * 1024;
inline constexpr std::size_t kHeaderBytes = 40;

// Seals a bundle as its plaintext is appended; only the current chunk is held in the clear.
class BundleSealer {
public:
    explicit BundleSealer(std::string_view password, KdfCost cost = kDefaultKdfCost,
                          std::uint32_t chunkBytes = kChunkBytes);
    ~BundleSealer();
    BundleSealer(const BundleSealer&) = delete;
    BundleSealer& operator=(const BundleSealer&) = delete;

    void append(std::string_view plaintext);
    // Seals the last chunk and hands over the whole bundle; the sealer is spent afterwards.
    std::string finish();

private:
    void sealChunk(std::string_view plaintext, bool last);

    std::string key_;
    std::string header_;
    std::string pending_;
    std::string sealed_;
    std::uint32_t chunkBytes_;
    std::uint32_t nextChunk_ = 0;
    bool finished_ = false;
};

// The plaintext of a bundle, every chunk verified. Throws BundleError: not a bundle, a version or
// cost this build does not open, a wrong password, an altered or truncated bundle.
std::string openBundle(std::string_view bundle, std::string_view password);

// Whether the bytes start like a bundle (the magic and a known version).
bool looksLikeBundle(std::string_view bytes);

}  // namespace zelvorin::service::bundle
