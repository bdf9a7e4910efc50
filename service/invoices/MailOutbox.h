#pragma once

#include <filesystem>
#include <string>

namespace zelvorin::service {

// The folder `outbox/` under the service's data directory, where every message the service sends
// is kept as an RFC 5322 file ("<name>.eml").
class MailOutbox {
public:
    explicit MailOutbox(std::filesystem::path dataDirectory) : folder_(std::move(dataDirectory) / "outbox") {}

    const std::filesystem::path& folder() const { return folder_; }
    // Writes the message whole or not at all (a temporary file, flushed, then renamed) and
    // returns its path. Throws ServiceError(storageFull) on a full disk, internal otherwise.
    std::filesystem::path write(const std::string& name, const std::string& text) const;
    // Takes back a message whose transaction did not commit.
    void remove(const std::filesystem::path& message) const noexcept;

private:
    std::filesystem::path folder_;
};

}  // namespace zelvorin::service
