#include "api-client/HandoffVerifier.h"

#include <array>
#include <stdexcept>

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/sha.h>

namespace zelvorin {

namespace {

// Unpadded base64url of `bytes`, from OpenSSL's standard alphabet.
std::string base64Url(const unsigned char* bytes, std::size_t count) {
    std::string text(4 * ((count + 2) / 3) + 1, '\0');
    const int written =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), bytes, static_cast<int>(count));
    text.resize(static_cast<std::size_t>(written));
    while (!text.empty() && text.back() == '=')
        text.pop_back();
    for (char& character : text) {
        if (character == '+') character = '-';
        if (character == '/') character = '_';
    }
    return text;
}

}  // namespace

CodeVerifier CodeVerifier::generate() {
    std::array<unsigned char, 32> bytes{};
    if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1)
        throw std::runtime_error("De toevalsgenerator van het systeem gaf geen bytes voor het aanmelden.");
    CodeVerifier verifier(base64Url(bytes.data(), bytes.size()));
    OPENSSL_cleanse(bytes.data(), bytes.size());
    return verifier;
}

CodeVerifier::CodeVerifier(CodeVerifier&& other) noexcept : text_(std::move(other.text_)) {
    other.wipe();
}

CodeVerifier& CodeVerifier::operator=(CodeVerifier&& other) noexcept {
    if (this != &other) {
        wipe();
        text_ = std::move(other.text_);
        other.wipe();
    }
    return *this;
}

CodeVerifier::~CodeVerifier() {
    wipe();
}

void CodeVerifier::wipe() noexcept {
    if (!text_.empty()) OPENSSL_cleanse(text_.data(), text_.size());
    text_.clear();
}

std::string CodeVerifier::challenge() const {
    std::array<unsigned char, SHA256_DIGEST_LENGTH> digest{};
    SHA256(reinterpret_cast<const unsigned char*>(text_.data()), text_.size(), digest.data());
    return base64Url(digest.data(), digest.size());
}

void PendingHandoff::begin(CodeVerifier verifier) {
    std::lock_guard lock(mutex_);
    verifier_ = std::move(verifier);
}

std::optional<CodeVerifier> PendingHandoff::take() {
    std::lock_guard lock(mutex_);
    std::optional<CodeVerifier> taken = std::move(verifier_);
    verifier_.reset();
    return taken;
}

}  // namespace zelvorin
