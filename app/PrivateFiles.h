#pragma once

#include <filesystem>
#include <string>

namespace zelvorin {

// The device's data is its owner's alone: folders 0700, files 0600, whatever the umask says.

// Creates `folder` (and its parents) and makes it 0700. Throws std::filesystem::filesystem_error.
void makePrivateFolder(const std::filesystem::path& folder);

// fsync of a folder, so that a rename or unlink in it survives a power cut.
void syncFolder(const std::filesystem::path& folder);

// New content written beside its target (mkstemp, 0600) and flushed to disk, not yet in place:
// everything that can fail for lack of space has happened once it exists. commit() renames it over
// the target and syncs the folder; a staged file that is never committed is removed again.
class StagedFile {
public:
    // Throws std::system_error (ENOSPC, EACCES, ...) and leaves nothing behind.
    StagedFile(std::filesystem::path target, const std::string& contents);
    ~StagedFile();
    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&&) = delete;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    void commit();

private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
};

// Stage and commit in one: the file holds either its old or its new contents, never half.
void writePrivateFileAtomically(const std::filesystem::path& target, const std::string& contents);

}  // namespace zelvorin
