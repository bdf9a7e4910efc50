#include "service/data/BundleCipher.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <array>
#include <memory>

namespace zelvorin::service::bundle {

namespace {

constexpr std::string_view kMagic = "ZVBUNDLE";
constexpr std::uint8_t kVersion = 1;
constexpr std::uint8_t kScrypt = 1;
constexpr std::size_t kSaltBytes = 16;
constexpr std::size_t kNoncePrefixBytes = 7;
constexpr std::size_t kTagBytes = 16;
constexpr std::size_t kKeyBytes = 32;
// A chunk size outside these bounds is no bundle of ours; the upper bound keeps a forged header
// from making the opener hold a huge chunk.
constexpr std::uint32_t kMinChunkBytes = 1024;
constexpr std::uint32_t kMaxChunkBytes = 16 * 1024 * 1024;

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* context) const noexcept { EVP_CIPHER_CTX_free(context); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

const unsigned char* bytes(std::string_view text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}
unsigned char* bytes(std::string& text) {
    return reinterpret_cast<unsigned char*>(text.data());
}

void putBigEndian32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<char>((value >> shift) & 0xff));
}
std::uint32_t bigEndian32(std::string_view in) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | static_cast<unsigned char>(in[i]);
    return value;
}

std::string randomBytes(std::size_t count) {
    std::string out(count, '\0');
    if (RAND_bytes(bytes(out), static_cast<int>(count)) != 1)
        throw std::runtime_error("Geen willekeurige bytes beschikbaar voor de versleuteling.");
    return out;
}

std::string deriveKey(std::string_view password, std::string_view salt, KdfCost cost) {
    const std::uint64_t n = std::uint64_t{1} << cost.log2N;
    // scrypt needs 128 * r * N bytes for its table plus 128 * r * p for its blocks; leave room.
    const std::uint64_t maxMemory = 128 * cost.r * (n + cost.p) + (1u << 20);
    std::string key(kKeyBytes, '\0');
    if (EVP_PBE_scrypt(password.data(), password.size(), bytes(salt), salt.size(), n, cost.r, cost.p,
                       maxMemory, bytes(key), key.size()) != 1)
        throw std::runtime_error("De sleutel van de bundel kon niet worden afgeleid.");
    return key;
}

std::string nonceFor(std::string_view header, std::uint32_t chunk, bool last) {
    std::string nonce(header.substr(kMagic.size() + 5 + kSaltBytes, kNoncePrefixBytes));
    putBigEndian32(nonce, chunk);
    nonce.push_back(last ? 1 : 0);
    return nonce;
}

// Seals or opens one chunk; false when opening found the tag wrong.
bool runGcm(bool seal, std::string_view key, std::string_view nonce, std::string_view header,
            std::string_view in, std::string& out, std::string& tag) {
    CipherContext context(EVP_CIPHER_CTX_new());
    if (!context) throw std::runtime_error("Geen geheugen voor de versleuteling.");
    int length = 0;
    const auto init = seal ? EVP_EncryptInit_ex : EVP_DecryptInit_ex;
    const auto update = seal ? EVP_EncryptUpdate : EVP_DecryptUpdate;
    if (init(context.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1 ||
        EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_IVLEN, static_cast<int>(nonce.size()), nullptr) !=
            1 ||
        init(context.get(), nullptr, nullptr, bytes(key), bytes(nonce)) != 1 ||
        update(context.get(), nullptr, &length, bytes(header), static_cast<int>(header.size())) != 1)
        throw std::runtime_error("De versleuteling kon niet beginnen.");
    out.assign(in.size(), '\0');
    if (!in.empty() &&
        update(context.get(), bytes(out), &length, bytes(in), static_cast<int>(in.size())) != 1)
        throw std::runtime_error("De versleuteling is mislukt.");
    std::array<unsigned char, 16> rest{};
    if (seal) {
        if (EVP_EncryptFinal_ex(context.get(), rest.data(), &length) != 1)
            throw std::runtime_error("De versleuteling is mislukt.");
        tag.assign(kTagBytes, '\0');
        if (EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, kTagBytes, bytes(tag)) != 1)
            throw std::runtime_error("De versleuteling is mislukt.");
        return true;
    }
    if (EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_TAG, kTagBytes, const_cast<char*>(tag.data())) !=
        1)
        throw std::runtime_error("De ontsleuteling is mislukt.");
    return EVP_DecryptFinal_ex(context.get(), rest.data(), &length) == 1;
}

}  // namespace

BundleSealer::BundleSealer(std::string_view password, KdfCost cost, std::uint32_t chunkBytes)
    : chunkBytes_(chunkBytes) {
    const std::string salt = randomBytes(kSaltBytes);
    header_ = std::string(kMagic);
    header_.push_back(static_cast<char>(kVersion));
    header_.push_back(static_cast<char>(kScrypt));
    header_.push_back(static_cast<char>(cost.log2N));
    header_.push_back(static_cast<char>(cost.r));
    header_.push_back(static_cast<char>(cost.p));
    header_ += salt;
    header_ += randomBytes(kNoncePrefixBytes);
    putBigEndian32(header_, chunkBytes);
    key_ = deriveKey(password, salt, cost);
    sealed_ = header_;
}

BundleSealer::~BundleSealer() {
    OPENSSL_cleanse(key_.data(), key_.size());
    OPENSSL_cleanse(pending_.data(), pending_.size());
}

void BundleSealer::append(std::string_view plaintext) {
    if (finished_) throw std::logic_error("BundleSealer: append after finish");
    pending_.append(plaintext);
    std::size_t offset = 0;
    // A full chunk waits until more follows: the last chunk must carry the last flag, and only
    // finish() knows which one that is.
    while (pending_.size() - offset > chunkBytes_) {
        sealChunk(std::string_view(pending_).substr(offset, chunkBytes_), false);
        offset += chunkBytes_;
    }
    pending_.erase(0, offset);
}

std::string BundleSealer::finish() {
    if (finished_) throw std::logic_error("BundleSealer: finished twice");
    sealChunk(pending_, true);
    finished_ = true;
    return std::move(sealed_);
}

void BundleSealer::sealChunk(std::string_view plaintext, bool last) {
    std::string ciphertext, tag;
    runGcm(true, key_, nonceFor(header_, nextChunk_++, last), header_, plaintext, ciphertext, tag);
    sealed_ += ciphertext;
    sealed_ += tag;
}

bool looksLikeBundle(std::string_view bytes) {
    return bytes.size() > kMagic.size() && bytes.substr(0, kMagic.size()) == kMagic &&
           static_cast<std::uint8_t>(bytes[kMagic.size()]) == kVersion;
}

std::string openBundle(std::string_view bundle, std::string_view password) {
    if (bundle.size() < kMagic.size() || bundle.substr(0, kMagic.size()) != kMagic)
        throw BundleError("Dit bestand is geen Zelvorin-exportbundel.");
    if (bundle.size() < kHeaderBytes)
        throw BundleError("De bundel is onvolledig: het bestand is afgebroken.");
    const std::string_view header = bundle.substr(0, kHeaderBytes);
    const auto at = [&](std::size_t index) { return static_cast<std::uint8_t>(header[index]); };
    if (at(8) != kVersion || at(9) != kScrypt)
        throw BundleError(
            "Deze bundel is gemaakt door een nieuwere versie van Zelvorin en kan hier niet worden geopend.");
    const KdfCost cost{at(10), at(11), at(12)};
    const std::uint32_t chunkBytes = bigEndian32(header.substr(kHeaderBytes - 4));
    if (cost.log2N < 10 || cost.log2N > kMaxLog2N || cost.r < 1 || cost.r > 32 || cost.p < 1 || cost.p > 4 ||
        chunkBytes < kMinChunkBytes || chunkBytes > kMaxChunkBytes)
        throw BundleError("De bundel is beschadigd: de kop van het bestand klopt niet.");
    const std::string_view body = bundle.substr(kHeaderBytes);
    if (body.size() < kTagBytes) throw BundleError("De bundel is onvolledig: het bestand is afgebroken.");

    std::string key = deriveKey(password, header.substr(13, kSaltBytes), cost);
    std::string plaintext, chunkPlain;
    const std::size_t unit = std::size_t{chunkBytes} + kTagBytes;
    std::uint32_t chunk = 0;
    for (std::size_t offset = 0; offset < body.size(); offset += unit, ++chunk) {
        const std::string_view sealed = body.substr(offset, unit);
        const bool last = offset + unit >= body.size();
        if (sealed.size() < kTagBytes)
            throw BundleError("De bundel is onvolledig: het bestand is afgebroken.");
        std::string tag(sealed.substr(sealed.size() - kTagBytes));
        if (!runGcm(false, key, nonceFor(header, chunk, last), header,
                    sealed.substr(0, sealed.size() - kTagBytes), chunkPlain, tag)) {
            OPENSSL_cleanse(key.data(), key.size());
            // The first chunk is where a wrong password shows; a later one failing means the
            // password was right and the file is not what was exported.
            throw BundleError(
                chunk == 0 ? "Het wachtwoord is onjuist, of de bundel is beschadigd."
                           : "De bundel is beschadigd of onvolledig: hij is na het exporteren veranderd.");
        }
        plaintext += chunkPlain;
    }
    OPENSSL_cleanse(key.data(), key.size());
    return plaintext;
}

}  // namespace zelvorin::service::bundle
