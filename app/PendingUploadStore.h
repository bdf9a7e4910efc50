#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace zelvorin {

// The queue folder could not be made, or a queued file could not be written. The message is the
// Dutch text the user sees, followed by the underlying error.
class PendingUploadStoreError : public std::runtime_error {
public:
    enum class Kind { cannotCreateDirectory, writeFailed };
    PendingUploadStoreError(Kind kind, const std::string& underlying);
    Kind kind() const { return kind_; }

private:
    Kind kind_;
};

// Owns the folder "PendingUploads" in the group container, where queued receipts and files shared
// from other applications (with a ".meta.json" side-car) wait. Rows of the queue name a file by
// its path relative to the container: "PendingUploads/<name>". Holds no state besides the paths.
class PendingUploadStore {
public:
    static constexpr const char* kFolderName = "PendingUploads";

    // Writes `bytes` to `target` so that it holds all of them or does not exist; throws
    // std::system_error (ENOSPC, EACCES, ...). The platform's edge: tests make it fail.
    using FileWriter = std::function<void(const std::filesystem::path& target, const std::string& bytes)>;

    explicit PendingUploadStore(std::filesystem::path groupContainer, FileWriter writer = {});

    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path absolutePath(const std::string& relativePath) const;
    static std::string relativePath(const std::string& fileName);

    // Creates the folder when needed (cannotCreateDirectory) and writes the file atomically under
    // `fileName` (writeFailed). Returns the relative path.
    std::string store(const std::string& fileName, const std::string& bytes) const;
    // The file's bytes; nothing when it is gone.
    std::optional<std::string> read(const std::string& relativePath) const;
    // Removes the file; a file already gone is no error.
    void remove(const std::string& relativePath) const;
    // The names in the folder (none when it does not exist), sorted.
    std::vector<std::string> entries() const;

private:
    std::filesystem::path container_;
    std::filesystem::path folder_;
    FileWriter writer_;
};

}  // namespace zelvorin
