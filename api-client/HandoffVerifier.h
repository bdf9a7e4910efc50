#pragma once

#include <mutex>
#include <optional>
#include <string>

namespace zelvorin {

// The secret half of one browser sign-in. It is made when the sign-in page is opened, which only
// gets its S256 challenge, and it is sent once, in the body of that sign-in's redeem. It is never
// written to disk or to a log: whoever reads the callback URL (a browser history, another program
// handed the link) holds a code that the service redeems for nobody without it.
class CodeVerifier {
public:
    // 32 bytes of the system's cryptographic generator, base64url (43 characters).
    static CodeVerifier generate();

    CodeVerifier(CodeVerifier&& other) noexcept;
    CodeVerifier& operator=(CodeVerifier&& other) noexcept;
    CodeVerifier(const CodeVerifier&) = delete;
    CodeVerifier& operator=(const CodeVerifier&) = delete;
    ~CodeVerifier();  // wipes the text

    // For the redeem's body only.
    const std::string& text() const { return text_; }
    // base64url of the text's SHA-256, without padding.
    std::string challenge() const;

private:
    explicit CodeVerifier(std::string text) : text_(std::move(text)) {}
    void wipe() noexcept;

    std::string text_;
};

// The verifier of the sign-in this process opened last, waiting for its callback. The process
// keeps one, so a callback that arrives through the scheme handler instead of the waiting
// browser hand-off finds it too; opening another sign-in replaces it.
class PendingHandoff {
public:
    void begin(CodeVerifier verifier);
    // The waiting verifier, which is no longer waiting afterwards; nothing when none waits.
    std::optional<CodeVerifier> take();

private:
    std::mutex mutex_;
    std::optional<CodeVerifier> verifier_;
};

}  // namespace zelvorin
