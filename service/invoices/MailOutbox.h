#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace zelvorin::service {

// The folder `outbox/` under the service's data directory, where every message the service sends
// is kept as an RFC 5322 file ("<name>.eml"), and, when an SMTP server is configured, delivered.
class MailOutbox {
public:
    explicit MailOutbox(std::filesystem::path dataDirectory,
                        std::optional<std::string> smtpUrl = std::nullopt)
        : folder_(std::move(dataDirectory) / "outbox"), smtpUrl_(std::move(smtpUrl)) {}

    const std::filesystem::path& folder() const { return folder_; }
    // Writes the message whole or not at all (a temporary file, flushed, then renamed) and
    // returns its path. Throws ServiceError(storageFull) on a full disk, internal otherwise.
    std::filesystem::path write(const std::string& name, const std::string& text) const;
    // Writes the message and delivers it over SMTP when a server is configured; a delivery that
    // fails takes the written message back and throws ServiceError(conflict).
    std::filesystem::path send(const std::string& name, const std::string& text, const std::string& from,
                               const std::string& to) const;
    // Takes back a message whose transaction did not commit.
    void remove(const std::filesystem::path& message) const noexcept;

private:
    std::filesystem::path folder_;
    std::optional<std::string> smtpUrl_;
};

}  // namespace zelvorin::service
