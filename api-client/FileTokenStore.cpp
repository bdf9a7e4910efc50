#include "api-client/FileTokenStore.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace zelvorin {

std::optional<TokenPair> FileTokenStore::load() {
    std::lock_guard lock(mutex_);
    std::ifstream in(file_);
    if (!in) return std::nullopt;
    std::stringstream text;
    text << in.rdbuf();
    return TokenPair::fromJson(nlohmann::json::parse(text.str(), nullptr, false));
}

void FileTokenStore::save(const TokenPair& pair) {
    std::lock_guard lock(mutex_);
    std::error_code ignored;
    const std::filesystem::path folder = file_.parent_path();
    if (!folder.empty() && !std::filesystem::exists(folder, ignored)) {
        std::filesystem::create_directories(folder, ignored);
        // A folder made to hold the tokens is nobody else's business, not even to list.
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, ignored);
    }
    const std::filesystem::path temporary = file_.string() + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) throw std::runtime_error("Kan de aanmeldgegevens niet opslaan in " + file_.string() + ".");
    const std::string text = pair.toJson().dump();
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    if (!written || !synced || std::rename(temporary.c_str(), file_.c_str()) != 0) {
        std::filesystem::remove(temporary, ignored);
        throw std::runtime_error("Kan de aanmeldgegevens niet opslaan in " + file_.string() + ".");
    }
}

bool FileTokenStore::clear() {
    std::lock_guard lock(mutex_);
    std::error_code error;
    std::filesystem::remove(file_, error);
    return !std::filesystem::exists(file_, error);
}

std::shared_ptr<void> FileTokenStore::holdForRefresh() {
    const std::filesystem::path lockFile = file_.string() + ".lock";
    std::error_code ignored;
    std::filesystem::create_directories(lockFile.parent_path(), ignored);
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return nullptr;  // no lock to be had: refresh without one, as a single process would
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    // Closing the descriptor releases the lock.
    return std::shared_ptr<void>(nullptr, [fd](void*) { ::close(fd); });
}

}  // namespace zelvorin
