#include "app/UserDefaults.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace zelvorin {

namespace {

void writeAll(int fd, const std::string& text, const std::filesystem::path& path) {
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) continue;
            throw std::system_error(errno, std::generic_category(), "schrijven van " + path.string());
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

}  // namespace

UserDefaults::UserDefaults(std::filesystem::path file, Diagnostic diagnostic)
    : file_(std::move(file)), diagnostic_(std::move(diagnostic)) {
    load();
}

void UserDefaults::load() {
    std::ifstream in(file_, std::ios::binary);
    if (!in) return;  // first start: nothing stored yet
    std::ostringstream buffer;
    buffer << in.rdbuf();
    nlohmann::json parsed = nlohmann::json::parse(buffer.str(), nullptr, /*allow_exceptions=*/false);
    if (parsed.is_object()) {
        values_ = std::move(parsed);
        return;
    }
    if (diagnostic_) {
        diagnostic_("[AppEnvironment] Instellingenbestand " + file_.string() +
                    " is geen geldige JSON; het wordt vervangen.");
    }
    values_ = nlohmann::json::object();
    std::lock_guard lock(mutex_);
    save();
}

std::optional<std::string> UserDefaults::string(const std::string& key) const {
    std::lock_guard lock(mutex_);
    auto it = values_.find(key);
    if (it == values_.end() || !it->is_string()) return std::nullopt;
    return it->get<std::string>();
}

std::optional<bool> UserDefaults::boolean(const std::string& key) const {
    std::lock_guard lock(mutex_);
    auto it = values_.find(key);
    if (it == values_.end() || !it->is_boolean()) return std::nullopt;
    return it->get<bool>();
}

void UserDefaults::set(const std::string& key, const std::string& value) {
    std::lock_guard lock(mutex_);
    values_[key] = value;
    save();
}

void UserDefaults::set(const std::string& key, bool value) {
    std::lock_guard lock(mutex_);
    values_[key] = value;
    save();
}

void UserDefaults::save() const {
    std::filesystem::create_directories(file_.parent_path());
    std::filesystem::path temporary = file_;
    temporary += ".tmp";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) throw std::system_error(errno, std::generic_category(), "openen van " + temporary.string());
    try {
        writeAll(fd, values_.dump(2) + "\n", temporary);
        if (::fsync(fd) != 0) throw std::system_error(errno, std::generic_category(), "fsync");
    } catch (...) {
        ::close(fd);
        ::unlink(temporary.c_str());
        throw;
    }
    ::close(fd);
    std::filesystem::rename(temporary, file_);
}

}  // namespace zelvorin
