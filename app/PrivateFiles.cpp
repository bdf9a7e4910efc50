#include "app/PrivateFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>
#include <vector>

#include "app/FileDescriptor.h"

namespace zelvorin {

namespace {

[[noreturn]] void throwErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

void writeAll(int fd, const std::string& text, const std::filesystem::path& path) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            throwErrno("schrijven van " + path.string());
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

}  // namespace

void makePrivateFolder(const std::filesystem::path& folder) {
    // Every folder made on the way is private too (the data root included), not only the last.
    std::vector<std::filesystem::path> missing;
    for (std::filesystem::path at = folder; !at.empty() && !std::filesystem::exists(at);
         at = at.parent_path()) {
        missing.push_back(at);
        if (at == at.parent_path()) break;
    }
    std::filesystem::create_directories(folder);
    for (const std::filesystem::path& made : missing)
        std::filesystem::permissions(made, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
}

void syncFolder(const std::filesystem::path& folder) {
    const FileDescriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) return;  // nothing to make durable where the folder cannot be opened
    ::fsync(fd.get());
}

StagedFile::StagedFile(std::filesystem::path target, const std::string& contents)
    : target_(std::move(target)) {
    std::string pattern = target_.string() + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    FileDescriptor fd(::mkostemp(name.data(), O_CLOEXEC));  // mkstemp creates 0600
    if (!fd) throwErrno("aanmaken van een tijdelijk bestand naast " + target_.string());
    temporary_ = name.data();
    try {
        writeAll(fd.get(), contents, temporary_);
        if (::fsync(fd.get()) != 0) throwErrno("wegschrijven van " + temporary_.string());
    } catch (...) {
        fd.reset();
        ::unlink(temporary_.c_str());
        throw;
    }
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : target_(std::move(other.target_)), temporary_(std::exchange(other.temporary_, {})) {}

StagedFile::~StagedFile() {
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void StagedFile::commit() {
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) throwErrno("vervangen van " + target_.string());
    temporary_.clear();
    syncFolder(target_.parent_path());
}

void writePrivateFileAtomically(const std::filesystem::path& target, const std::string& contents) {
    StagedFile(target, contents).commit();
}

}  // namespace zelvorin
